#include "reader/ProtocolInfo.h"

#include <algorithm>
#include <cstring>

#include "reader/AsciiText.h"

namespace {

constexpr DWORD kParseSecurityUrl = 3;  // PARSE_SECURITY_URL
constexpr std::string_view kSecurityUrl = "vexost:";
constexpr std::string_view kLocalFilePrefix = "file:///";
constexpr std::string_view kFileUrlStart = "vexost://file:";

// Position of the first ".vxb" in any case, npos when there is none.
std::size_t FindArchiveExtension(std::string_view url) { return AsciiFindNoCase(url, ".vxb"); }

std::optional<std::string> CombinePdf(std::string_view base, std::string_view relative) {
  if (!base.starts_with(kFileUrlStart)) return std::nullopt;
  const std::size_t p = FindArchiveExtension(base);
  // Without ".vxb" the base names no archive file to place the document in.
  if (p == std::string_view::npos) return std::nullopt;
  const std::string_view archive = base.substr(0, p + 4);
  if (!relative.starts_with(kFileUrlStart)) {
    const std::string_view separator = relative.starts_with('/') ? "" : "/";
    return std::string(archive).append(separator).append(relative);
  }
  if (AsciiEqualNoCase(base.substr(0, p), relative.substr(0, p))) return std::nullopt;
  const std::size_t common = std::min(base.size(), relative.size());
  const std::size_t differ = std::mismatch(base.begin(), base.begin() + common, relative.begin()).first - base.begin();
  // Both begin with "vexost://file:", so they differ behind it and differ - 1 is in range.
  return std::string(archive).append(relative.substr(differ - 1));
}

// Writes TEXT with its zero into RESULT when SIZE allows.
bool WriteResult(std::string_view text, char* result, DWORD size, DWORD needed) {
  if (size < needed || size < text.size() + 1) return false;
  std::memcpy(result, text.data(), text.size());
  result[text.size()] = '\0';
  return true;
}

}  // namespace

std::optional<std::string> CombineArchiveUrl(std::string_view baseUrl, std::string_view relativeUrl) {
  if (relativeUrl.starts_with("file:///vexost")) return std::string(relativeUrl.substr(kLocalFilePrefix.size()));
  if (AsciiEndsWithNoCase(relativeUrl, ".pdf"))
    return CombinePdf(baseUrl, relativeUrl);
  return std::nullopt;
}

HRESULT AnswerParseUrl(const char*, DWORD action, DWORD, char* result, DWORD size, DWORD* length) {
  if (action != kParseSecurityUrl) return E_NOTIMPL;
  if (result == nullptr || !WriteResult(kSecurityUrl, result, size, 0)) return E_POINTER;
  if (length != nullptr) *length = static_cast<DWORD>(kSecurityUrl.size() + 2);
  return S_OK;
}

HRESULT AnswerCombineUrl(const char* baseUrl, const char* relativeUrl, DWORD, char* result,
                         DWORD size, DWORD* length) {
  if (baseUrl == nullptr || relativeUrl == nullptr || result == nullptr) return E_POINTER;
  const std::optional<std::string> combined = CombineArchiveUrl(baseUrl, relativeUrl);
  if (!combined || combined->size() > 0x7FFFFFFF) return E_NOTIMPL;
  const DWORD reported = static_cast<DWORD>(2 * combined->size());
  if (!WriteResult(*combined, result, size, reported)) return E_NOTIMPL;
  if (length != nullptr) *length = reported;
  return S_OK;
}

HRESULT AnswerCompareUrl(const char*, const char*, DWORD) { return E_NOTIMPL; }
