// SwPlugProt's answers about URLs (IInternetProtocolInfo) and about the
// connection behind a request (IWinInetInfo, IWinInetHttpInfo: none).
#include <cstring>

#include "reader/ProtocolInfo.h"
#include "reader/SwPlugProt.h"

HRESULT SwPlugProt::ParseUrl(LPCWSTR url, PARSEACTION action, DWORD flags, LPWSTR result,
                             DWORD size, DWORD* length, DWORD /*reserved*/) {
  return AnswerParseUrl(url, action, flags, result, size, length);
}

HRESULT SwPlugProt::CombineUrl(LPCWSTR baseUrl, LPCWSTR relativeUrl, DWORD flags, LPWSTR result,
                               DWORD size, DWORD* length, DWORD /*reserved*/) {
  return AnswerCombineUrl(baseUrl, relativeUrl, flags, result, size, length);
}

HRESULT SwPlugProt::CompareUrl(LPCWSTR url1, LPCWSTR url2, DWORD flags) {
  return AnswerCompareUrl(url1, url2, flags);
}

HRESULT SwPlugProt::QueryInfo(LPCWSTR /*url*/, QUERYOPTION option, DWORD /*flags*/, LPVOID buffer,
                              DWORD size, DWORD* length, DWORD /*reserved*/) {
  DWORD value = 0;
  switch (option) {
    case QUERY_RECOMBINE:
    case QUERY_USES_NETWORK:
    case QUERY_IS_SECURE: value = 0; break;
    case QUERY_CAN_NAVIGATE: value = 1; break;
    default: return INET_E_QUERYOPTION_UNKNOWN;
  }
  // Room for the 32-bit answer; a smaller buffer is told the size it needs.
  if (length) *length = sizeof value;
  if (!buffer || size < sizeof value) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(buffer, &value, sizeof value);
  return S_OK;
}

HRESULT SwPlugProt::QueryOption(DWORD /*option*/, LPVOID /*buffer*/, DWORD* /*size*/) {
  return E_NOTIMPL;
}

HRESULT SwPlugProt::QueryInfo(DWORD /*option*/, LPVOID /*buffer*/, DWORD* /*size*/,
                              DWORD* /*flags*/, DWORD* /*reserved*/) {
  return E_NOTIMPL;
}
