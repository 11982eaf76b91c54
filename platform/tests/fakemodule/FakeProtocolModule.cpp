// An in-process server for tests: one class, a protocol handler whose behaviour
// the URL chooses (see FakeProtocol.h).
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/SystemInfo.h"
#include "platform/RegistryScript.h"
#include "platform/UrlMon.h"
#include "platform/tests/fakemodule/FakeProtocol.h"

extern "C" {
HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
HRESULT DllCanUnloadNow();
HRESULT DllRegisterServer();
HRESULT DllUnregisterServer();
}

namespace {

std::atomic<long> g_locks{0};
constexpr DWORD kAllData =
    BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE;

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Writes TEXT into RESULT when it fits with its zero; LENGTH tells its size.
HRESULT WriteText(const std::string& text, LPWSTR result, DWORD size, DWORD* length) {
  if (length) *length = static_cast<DWORD>(text.size());
  if (!result || text.size() >= size) return E_POINTER;
  std::memcpy(result, text.c_str(), text.size() + 1);
  return S_OK;
}

class FakeProtocol final : public IInternetProtocol, public IInternetProtocolInfo {
 public:
  FakeProtocol() { ++g_locks; }

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IInternetProtocolRoot || riid == IID_IInternetProtocol)
      *ppv = static_cast<IInternetProtocol*>(this);
    else if (riid == IID_IInternetProtocolInfo)
      *ppv = static_cast<IInternetProtocolInfo*>(this);
    else
      return *ppv = nullptr, E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_references; }
  ULONG Release() override {
    ULONG left = --m_references;
    if (!left) delete this;
    return left;
  }

  HRESULT Start(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo, DWORD flags,
                HANDLE_PTR) override {
    Terminate(0);
    m_sink = sink;
    m_bindInfo = bindInfo;
    m_url = url;
    if (flags & PI_PARSE_URL) return S_OK;
    if (m_url == "vxfake:fail") return INET_E_RESOURCE_NOT_FOUND;
    if (StartsWith(m_url, "vxfake:switch/")) {
      PROTOCOLDATA data{};
      return m_sink->Switch(&data);
    }
    return Serve();
  }
  HRESULT Continue(PROTOCOLDATA*) override { return Serve(); }
  HRESULT Abort(HRESULT reason, DWORD) override {
    if (m_sink) m_sink->ReportResult(FAILED(reason) ? reason : E_ABORT, 0, nullptr);
    return S_OK;
  }
  HRESULT Terminate(DWORD) override {
    m_sink.Reset();
    m_bindInfo.Reset();
    return S_OK;
  }
  HRESULT Suspend() override { return E_NOTIMPL; }
  HRESULT Resume() override { return E_NOTIMPL; }

  HRESULT Read(void* memory, ULONG size, ULONG* count) override {
    if (m_url == "vxfake:readfail") return E_FAIL;
    *count = 0;
    if (m_url == "vxfake:stall") return S_OK;
    std::size_t piece = std::min<std::size_t>({size, m_piece, m_data.size() - m_position});
    std::memcpy(memory, m_data.data() + m_position, piece);
    m_position += piece;
    *count = static_cast<ULONG>(piece);
    return m_position == m_data.size() ? S_FALSE : S_OK;
  }
  HRESULT Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
  HRESULT LockRequest(DWORD) override { return S_OK; }
  HRESULT UnlockRequest() override { return S_OK; }

  HRESULT ParseUrl(LPCWSTR, PARSEACTION action, DWORD, LPWSTR result, DWORD size, DWORD* length,
                   DWORD) override {
    if (action != PARSE_SECURITY_URL) return E_NOTIMPL;
    return WriteText("vxfake:", result, size, length);
  }
  HRESULT CombineUrl(LPCWSTR base, LPCWSTR relative, DWORD, LPWSTR result, DWORD size,
                     DWORD* length, DWORD) override {
    if (!*relative) return E_NOTIMPL;
    return WriteText(std::string(base) + "|" + relative, result, size, length);
  }
  HRESULT CompareUrl(LPCWSTR url1, LPCWSTR url2, DWORD) override {
    return std::strcmp(url1, url2) == 0 ? S_OK : S_FALSE;
  }
  HRESULT QueryInfo(LPCWSTR, QUERYOPTION option, DWORD, LPVOID buffer, DWORD size, DWORD* length,
                    DWORD) override {
    if (option != QUERY_CAN_NAVIGATE || size < sizeof(DWORD)) return INET_E_QUERYOPTION_UNKNOWN;
    DWORD yes = 1;
    std::memcpy(buffer, &yes, sizeof yes);
    *length = sizeof yes;
    return S_OK;
  }

 private:
  ~FakeProtocol() { --g_locks; }

  HRESULT Serve() {
    if (StartsWith(m_url, "vxfake:text/") || StartsWith(m_url, "vxfake:switch/")) {
      m_data = m_url.substr(m_url.find('/') + 1);
      m_sink->ReportProgress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, "text/plain");
      return Announce(kAllData, 5);
    }
    if (StartsWith(m_url, "vxfake:complete/")) {
      m_data = m_url.substr(m_url.find('/') + 1);
      HRESULT hr = Announce(kAllData, m_data.size());
      m_sink->ReportResult(S_OK, 0, nullptr);
      return hr;
    }
    if (StartsWith(m_url, "vxfake:cached/")) {
      m_data = m_url.substr(m_url.find('/') + 1);
      m_sink->ReportProgress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, "application/octet-stream");
      m_sink->ReportProgress(BINDSTATUS_CACHEFILENAMEAVAILABLE, ("/cache/" + m_data).c_str());
      m_position = 0;
      m_piece = m_data.size();
      return m_sink->ReportData(BSCF_AVAILABLEDATASIZEUNKNOWN, 0, 0);
    }
    if (StartsWith(m_url, "vxfake:big/")) {
      m_data.resize(std::strtoul(m_url.c_str() + 11, nullptr, 10));
      for (std::size_t i = 0; i < m_data.size(); ++i) m_data[i] = static_cast<char>(i % 251);
      return Announce(kAllData, m_data.size());
    }
    if (m_url == "vxfake:bindinfo") return TellBindInfo();
    if (m_url == "vxfake:result") {
      m_sink->ReportResult(INET_E_DATA_NOT_AVAILABLE, 7, "gone");
      return S_OK;
    }
    if (m_url == "vxfake:readfail" || m_url == "vxfake:stall") return Announce(0, 1);
    return S_OK;  // vxfake:nodata and everything else
  }

  HRESULT Announce(DWORD flags, std::size_t piece) {
    m_position = 0;
    m_piece = piece;
    auto size = static_cast<ULONG>(m_data.size());
    return m_sink->ReportData(flags, size, size);
  }

  HRESULT TellBindInfo() {
    BINDINFO info{};
    info.cbSize = sizeof info;
    DWORD flags = 0;
    HRESULT hr = m_bindInfo->GetBindInfo(&flags, &info);
    if (FAILED(hr)) return hr;
    std::string text = "verb=" + std::to_string(info.dwBindVerb) +
                       " flags=" + std::to_string(flags) + " size=" + std::to_string(info.cbSize);
    ReleaseBindInfo(&info);
    m_sink->ReportProgress(BINDSTATUS_SENDINGREQUEST, text.c_str());
    LPOLESTR url = nullptr;
    ULONG fetched = 0;
    hr = m_bindInfo->GetBindString(BINDSTRING_URL, &url, 1, &fetched);
    if (FAILED(hr)) return hr;
    m_sink->ReportProgress(BINDSTATUS_SENDINGREQUEST, url);
    CoTaskMemFree(url);
    return S_OK;
  }

  ULONG m_references = 0;
  ComPtr<IInternetProtocolSink> m_sink;
  ComPtr<IInternetBindInfo> m_bindInfo;
  std::string m_url;
  std::string m_data;
  std::size_t m_position = 0;
  std::size_t m_piece = 1;
};

class FakeFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return *ppv = nullptr, E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  // The factory lives as long as the module; references to it lock nothing.
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ComPtr<IInternetProtocol> object(new FakeProtocol);
    return object->QueryInterface(riid, ppv);
  }
  HRESULT LockServer(BOOL lock) override {
    g_locks += lock ? 1 : -1;
    return S_OK;
  }
};

FakeFactory g_factory;

// What the module writes when it registers, as an in-process server of the system would.
RegistryScript ServerScript() {
  const std::string clsid = GuidToString(CLSID_FakeProtocol), classKey = "CLSID\\" + clsid;
  return {{classKey, {{"", "Fake protocol"}}},
          {classKey + "\\InprocServer32", {{"", "%MODULE%"}, {"ThreadingModel", "Apartment"}}},
          {classKey + "\\ProgID", {{"", kFakeProgId}}},
          {std::string(kFakeProgId) + "\\CLSID", {{"", clsid}}},
          {std::string(kFakeIndependentProgId) + "\\CurVer", {{"", kFakeProgId}}},
          {std::string("PROTOCOLS\\Handler\\") + kFakeScheme, {{"CLSID", clsid}}}};
}

}  // namespace

HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid != CLSID_FakeProtocol) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, ppv);
}

HRESULT DllCanUnloadNow() { return g_locks == 0 ? S_OK : S_FALSE; }

HRESULT DllRegisterServer() {
  if (std::getenv("VXFAKE_REGISTER_FAILS")) return SELFREG_E_CLASS;
  const LSTATUS status =
      ApplyRegistryScript(HKEY_CLASSES_ROOT, ServerScript(), vxs::ModuleFilePath(&g_locks));
  return status == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

HRESULT DllUnregisterServer() {
  RemoveRegistryScript(HKEY_CLASSES_ROOT, ServerScript(), vxs::ModuleFilePath(&g_locks));
  return S_OK;
}
