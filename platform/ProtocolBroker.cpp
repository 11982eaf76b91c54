#include "platform/ProtocolBroker.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/RegistryText.h"

namespace {

// A handler that answers S_OK with nothing this many times in a row has stalled.
constexpr unsigned kMaxEmptyReads = 64;
// Result buffers offered to IInternetProtocolInfo: at least twice the longest URL
// of the original platform (2084 characters), and never above 1 MiB.
constexpr std::size_t kMinTextResult = 2 * 2084;
constexpr std::size_t kMaxTextResult = 1 << 20;

// The scheme of URL in lower case (RFC 3986: a letter, then letters, digits, "+",
// "-" or "."; ended by ":"), or nullopt.
std::optional<std::string> SchemeOf(std::string_view url) {
  std::size_t colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  std::string scheme;
  for (std::size_t i = 0; i < colon; ++i) {
    char c = url[i];
    char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    bool letter = lower >= 'a' && lower <= 'z';
    bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!letter && (i == 0 || !other)) return std::nullopt;
    scheme += lower;
  }
  return scheme;
}

// A URL is handed on as a zero-terminated text: one holding a zero byte would
// arrive cut short.
bool HoldsZero(std::string_view url) { return url.find('\0') != std::string_view::npos; }

// Calls CALL(buffer, capacity, &needed) and takes the zero-terminated text it
// wrote; asks once more with a larger buffer when the handler failed for want of
// room and said how much it needs.
template <class Call>
HRESULT CallForText(std::size_t capacity, std::string& result, Call call) {
  capacity = std::clamp(capacity, kMinTextResult, kMaxTextResult);
  HRESULT hr = E_FAIL;
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::string buffer(capacity + 1, '\0');
    DWORD needed = 0;
    hr = call(buffer.data(), static_cast<DWORD>(capacity), &needed);
    if (SUCCEEDED(hr)) {
      result.assign(buffer.c_str());
      return hr;
    }
    if (needed <= capacity || needed > kMaxTextResult) return hr;
    capacity = needed;
  }
  return hr;
}

// The broker's side of one request: the sink the handler reports to and the bind
// information it asks for.
class Binding final : public IInternetProtocolSink, public IInternetBindInfo {
 public:
  Binding(std::string url, ProtocolListener& listener, IInternetProtocol& protocol)
      : m_url(std::move(url)), m_listener(&listener), m_protocol(&protocol) {}

  const char* Url() const { return m_url.c_str(); }
  bool DataReported() const { return m_dataReported; }
  bool ResultReported() const { return m_resultReported; }
  // The failure reported through ReportResult, else S_OK.
  HRESULT Result() const { return m_resultReported ? m_result : S_OK; }
  // Ends the request: a handler that keeps the sink reports into the void.
  void Detach() {
    m_listener = nullptr;
    m_protocol = nullptr;
  }

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IInternetProtocolSink)
      *ppv = static_cast<IInternetProtocolSink*>(this);
    else if (riid == IID_IInternetBindInfo)
      *ppv = static_cast<IInternetBindInfo*>(this);
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

  HRESULT Switch(PROTOCOLDATA* data) override {
    // The browser hands the data back on its own thread; the broker is on it.
    return m_protocol ? m_protocol->Continue(data) : E_UNEXPECTED;
  }
  HRESULT ReportProgress(ULONG statusCode, LPCWSTR text) override {
    return Report(ProtocolReport::Progress(statusCode, text ? text : ""));
  }
  HRESULT ReportData(DWORD flags, ULONG progress, ULONG progressMax) override {
    m_dataReported = true;
    return Report(ProtocolReport::Data(flags, progress, progressMax));
  }
  HRESULT ReportResult(HRESULT result, DWORD error, LPCWSTR text) override {
    if (!m_resultReported) {
      m_resultReported = true;
      m_result = result;
    }
    return Report(ProtocolReport::Result(result, error, text ? text : ""));
  }

  HRESULT GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) override {
    if (!bindFlags || !bindInfo || bindInfo->cbSize < sizeof(ULONG)) return E_INVALIDARG;
    *bindFlags = BINDF_PULLDATA;
    BINDINFO filled{};
    filled.cbSize = bindInfo->cbSize;
    filled.dwBindVerb = BINDVERB_GET;
    std::memcpy(static_cast<void*>(bindInfo), &filled,
                std::min<std::size_t>(bindInfo->cbSize, sizeof filled));
    return S_OK;
  }
  HRESULT GetBindString(ULONG kind, LPOLESTR* texts, ULONG count, ULONG* fetched) override {
    if (!texts || !fetched) return E_INVALIDARG;
    *fetched = 0;
    if (kind != BINDSTRING_URL || count == 0) return INET_E_USE_DEFAULT_SETTING;
    texts[0] = static_cast<LPOLESTR>(CoTaskMemAlloc(m_url.size() + 1));
    if (!texts[0]) return E_OUTOFMEMORY;
    std::memcpy(texts[0], m_url.c_str(), m_url.size() + 1);
    *fetched = 1;
    return S_OK;
  }

 private:
  ~Binding() = default;

  HRESULT Report(const ProtocolReport& report) {
    if (m_listener) m_listener->OnReport(report);
    return S_OK;
  }

  ULONG m_references = 0;
  std::string m_url;
  ProtocolListener* m_listener;
  IInternetProtocol* m_protocol;
  bool m_dataReported = false;
  bool m_resultReported = false;
  HRESULT m_result = S_OK;
};

// Reads what the handler announced until it answers S_FALSE. A result reported
// on the way ends the transfer when it is a failure; a success only says that the
// handler has all the data ready.
HRESULT Transfer(IInternetProtocol& protocol, const Binding& binding, ProtocolListener& listener,
                 std::vector<char>& buffer) {
  if (!binding.DataReported() || FAILED(binding.Result())) return binding.Result();
  const auto readSize = static_cast<ULONG>(buffer.size());
  for (unsigned emptyReads = 0; emptyReads < kMaxEmptyReads;) {
    ULONG count = 0;
    char* target = listener.ReadTarget(readSize);
    if (!target) target = buffer.data();
    HRESULT hr = protocol.Read(target, readSize, &count);
    if (FAILED(hr)) return hr;
    if (count > readSize) return E_UNEXPECTED;
    if (count && !listener.OnData({target, count})) {
      protocol.Abort(E_ABORT, 0);
      return E_ABORT;
    }
    if (hr == S_FALSE || FAILED(binding.Result())) return binding.Result();
    emptyReads = count ? 0 : emptyReads + 1;
  }
  return INET_E_DATA_NOT_AVAILABLE;
}

class ResponseCollector final : public ProtocolListener {
 public:
  explicit ResponseCollector(ProtocolResponse& response) : m_response(response) {}

  void OnReport(const ProtocolReport& report) override {
    if (report.kind == ProtocolReportKind::Progress) {
      if (report.statusCode == BINDSTATUS_MIMETYPEAVAILABLE ||
          report.statusCode == BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE)
        m_response.mimeType = report.text;
      else if (report.statusCode == BINDSTATUS_CACHEFILENAMEAVAILABLE)
        m_response.cacheFile = report.text;
    }
    m_response.reports.push_back(report);
  }
  bool OnData(std::string_view chunk) override {
    m_response.bytes.append(chunk);
    return true;
  }

 private:
  ProtocolResponse& m_response;
};

}  // namespace

ProtocolReport ProtocolReport::Progress(ULONG statusCode, std::string text) {
  ProtocolReport report;
  report.kind = ProtocolReportKind::Progress;
  report.statusCode = statusCode;
  report.text = std::move(text);
  return report;
}

ProtocolReport ProtocolReport::Data(DWORD flags, ULONG progress, ULONG progressMax) {
  ProtocolReport report;
  report.kind = ProtocolReportKind::Data;
  report.flags = flags;
  report.progress = progress;
  report.progressMax = progressMax;
  return report;
}

ProtocolReport ProtocolReport::Result(HRESULT result, DWORD error, std::string text) {
  ProtocolReport report;
  report.kind = ProtocolReportKind::Result;
  report.result = result;
  report.error = error;
  report.text = std::move(text);
  return report;
}

ProtocolBroker::ProtocolBroker(ULONG readSize) : m_readSize(std::max<ULONG>(readSize, 1)) {}

ProtocolBroker::~ProtocolBroker() {
  for (auto& [scheme, factory] : m_factories) factory->LockServer(false);
}

ProtocolResponse ProtocolBroker::Fetch(std::string_view url, DWORD startFlags) {
  ProtocolResponse response;
  ResponseCollector collector(response);
  response.result = Stream(url, collector, startFlags);
  return response;
}

HRESULT ProtocolBroker::Stream(std::string_view url, ProtocolListener& listener, DWORD startFlags) {
  ComPtr<IClassFactory> factory;
  HRESULT hr = HandlerFactory(url, factory);
  if (FAILED(hr)) return hr;
  ComPtr<IInternetProtocol> protocol;
  hr = factory->CreateInstance(nullptr, IID_IInternetProtocol, protocol.putVoid());
  if (FAILED(hr)) return hr;
  ComPtr<Binding> binding(new Binding(std::string(url), listener, *protocol.get()));
  hr = protocol->Start(binding->Url(), binding.get(), binding.get(), startFlags, 0);
  if (SUCCEEDED(hr)) {
    // The read buffer is made once per broker, not per request; a request
    // started from within another one's listener gets one of its own.
    std::vector<char> buffer = std::move(m_readBuffer);
    buffer.resize(m_readSize);
    hr = Transfer(*protocol.get(), *binding.get(), listener, buffer);
    m_readBuffer = std::move(buffer);
  }
  // Also after a failed Start, so that the handler lets go of sink and bind info.
  protocol->Terminate(0);
  binding->Detach();
  return hr;
}

HRESULT ProtocolBroker::ParseUrl(std::string_view url, PARSEACTION action, DWORD flags,
                                 std::string& result) {
  ComPtr<IInternetProtocolInfo> info;
  HRESULT hr = ProtocolInfo(url, info);
  if (FAILED(hr)) return hr;
  std::string text(url);
  return CallForText(4 * text.size(), result, [&](LPWSTR buffer, DWORD size, DWORD* needed) {
    return info->ParseUrl(text.c_str(), action, flags, buffer, size, needed, 0);
  });
}

HRESULT ProtocolBroker::CombineUrl(std::string_view baseUrl, std::string_view relativeUrl,
                                   DWORD flags, std::string& result) {
  ComPtr<IInternetProtocolInfo> info;
  HRESULT hr = ProtocolInfo(baseUrl, info);
  if (FAILED(hr)) return hr;
  if (HoldsZero(relativeUrl)) return INET_E_INVALID_URL;
  std::string base(baseUrl), relative(relativeUrl);
  std::size_t capacity = 4 * (base.size() + relative.size());
  return CallForText(capacity, result, [&](LPWSTR buffer, DWORD size, DWORD* needed) {
    return info->CombineUrl(base.c_str(), relative.c_str(), flags, buffer, size, needed, 0);
  });
}

HRESULT ProtocolBroker::CompareUrl(std::string_view url1, std::string_view url2, DWORD flags) {
  ComPtr<IInternetProtocolInfo> info;
  HRESULT hr = ProtocolInfo(url1, info);
  if (FAILED(hr)) return hr;
  if (HoldsZero(url2)) return INET_E_INVALID_URL;
  return info->CompareUrl(std::string(url1).c_str(), std::string(url2).c_str(), flags);
}

HRESULT ProtocolBroker::QueryInfo(std::string_view url, QUERYOPTION option, DWORD flags,
                                  DWORD& value) {
  ComPtr<IInternetProtocolInfo> info;
  HRESULT hr = ProtocolInfo(url, info);
  if (FAILED(hr)) return hr;
  DWORD answer = 0;
  DWORD length = 0;
  hr = info->QueryInfo(std::string(url).c_str(), option, flags, &answer, sizeof answer, &length, 0);
  if (SUCCEEDED(hr)) value = answer;
  return hr;
}

HRESULT ProtocolBroker::HandlerFactory(std::string_view url, ComPtr<IClassFactory>& factory) {
  std::optional<std::string> scheme = SchemeOf(url);
  if (!scheme || HoldsZero(url)) return INET_E_INVALID_URL;
  if (auto it = m_factories.find(*scheme); it != m_factories.end()) {
    factory = it->second;
    return S_OK;
  }
  std::optional<std::string> classText =
      ReadRegistryText(HKEY_CLASSES_ROOT, "PROTOCOLS\\Handler\\" + *scheme, "CLSID");
  if (!classText) return INET_E_UNKNOWN_PROTOCOL;
  CLSID clsid{};
  HRESULT hr = CLSIDFromString(classText->c_str(), &clsid);
  if (FAILED(hr)) return hr;
  hr = CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.putVoid());
  if (FAILED(hr)) return hr;
  factory->LockServer(true);
  m_factories.emplace(*scheme, factory);
  return S_OK;
}

HRESULT ProtocolBroker::ProtocolInfo(std::string_view url, ComPtr<IInternetProtocolInfo>& info) {
  ComPtr<IClassFactory> factory;
  HRESULT hr = HandlerFactory(url, factory);
  if (FAILED(hr)) return hr;
  // A factory may answer for the class itself; else an object of the class does.
  if (SUCCEEDED(factory.As(IID_IInternetProtocolInfo, info))) return S_OK;
  return factory->CreateInstance(nullptr, IID_IInternetProtocolInfo, info.putVoid());
}
