// The browser's part in a pluggable protocol, for hosts that serve a URL scheme
// through its registered handler: the broker finds the handler's class under
// HKEY_CLASSES_ROOT\PROTOCOLS\Handler\<scheme> (value CLSID), creates a handler
// object per request, calls Start with its own sink and bind information, reads
// until the handler answers S_FALSE and calls Terminate. What the handler reports
// on the way (progress such as the MIME type and the cache file name, data
// notifications, a result) is handed on in the order it came.
//
// Handlers may report more than the browser's own statuses: the reader module
// tells what a request came to (the page it served in place of a topic, a topic
// that is missing) with the progress status of reader/client/ReaderOutcome.h,
// which hosts find among the reports.
//
// The handler is driven synchronously on the caller's thread, as the browser's
// apartment did: a handler that answers E_PENDING fails the request. One broker
// serves one thread. The class factory of a scheme's handler is kept (and its
// module locked) from the first request for that scheme to the broker's end.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/UrlMon.h"

enum class ProtocolReportKind { Progress, Data, Result };

// One call of the handler on the sink.
struct ProtocolReport {
  ProtocolReportKind kind = ProtocolReportKind::Progress;
  ULONG statusCode = 0;   // Progress: BINDSTATUS_*
  std::string text;       // Progress: the status text; Result: the result text
  DWORD flags = 0;        // Data: BSCF_*
  ULONG progress = 0;     // Data
  ULONG progressMax = 0;  // Data
  HRESULT result = S_OK;  // Result
  DWORD error = 0;        // Result

  static ProtocolReport Progress(ULONG statusCode, std::string text);
  static ProtocolReport Data(DWORD flags, ULONG progress, ULONG progressMax);
  static ProtocolReport Result(HRESULT result, DWORD error, std::string text);
  friend bool operator==(const ProtocolReport&, const ProtocolReport&) = default;
};

// Receives a response as it comes: the reports (all of them before the data they
// announce) and the bytes, one chunk per Read of the handler.
class ProtocolListener {
 public:
  virtual void OnReport(const ProtocolReport& report) = 0;
  // False stops the transfer: the handler is aborted with E_ABORT.
  virtual bool OnData(std::string_view chunk) = 0;
  // Memory of the listener's own where the handler's next Read may put up to
  // SIZE bytes, so that they reach OnData without a copy; null: the broker's
  // read buffer.
  virtual char* ReadTarget(ULONG size) {
    (void)size;
    return nullptr;
  }

 protected:
  ~ProtocolListener() = default;
};

// A whole response.
struct ProtocolResponse {
  HRESULT result = S_OK;
  std::string mimeType;   // the last BINDSTATUS_(VERIFIED)MIMETYPEAVAILABLE text
  std::string cacheFile;  // the last BINDSTATUS_CACHEFILENAMEAVAILABLE text
  std::vector<ProtocolReport> reports;
  std::string bytes;
};

class ProtocolBroker {
 public:
  // READSIZE: the buffer offered to each Read of the handler.
  explicit ProtocolBroker(ULONG readSize = 64 * 1024);
  ProtocolBroker(const ProtocolBroker&) = delete;
  ProtocolBroker& operator=(const ProtocolBroker&) = delete;
  ~ProtocolBroker();

  // Serves URL whole. The result is S_OK, or the first failure: of finding or
  // creating the handler (INET_E_INVALID_URL without a scheme, INET_E_UNKNOWN_PROTOCOL
  // when no handler is registered, the activation errors of CoCreateInstance), of
  // Start, of Read, or the failure the handler reported through ReportResult.
  ProtocolResponse Fetch(std::string_view url, DWORD startFlags = 0);
  // Serves URL chunk by chunk to LISTENER; answers as Fetch, and E_ABORT when the
  // listener stopped the transfer.
  HRESULT Stream(std::string_view url, ProtocolListener& listener, DWORD startFlags = 0);

  // The handler's IInternetProtocolInfo. A handler that leaves the question to the
  // browser's default answers E_NOTIMPL (or INET_E_DEFAULT_ACTION); hosts then
  // apply their own default. RESULT is set only on success.
  HRESULT ParseUrl(std::string_view url, PARSEACTION action, DWORD flags, std::string& result);
  HRESULT CombineUrl(std::string_view baseUrl, std::string_view relativeUrl, DWORD flags,
                     std::string& result);
  HRESULT CompareUrl(std::string_view url1, std::string_view url2, DWORD flags);
  // For the options that answer one 32-bit value.
  HRESULT QueryInfo(std::string_view url, QUERYOPTION option, DWORD flags, DWORD& value);

 private:
  HRESULT HandlerFactory(std::string_view url, ComPtr<IClassFactory>& factory);
  HRESULT ProtocolInfo(std::string_view url, ComPtr<IInternetProtocolInfo>& info);

  ULONG m_readSize;
  std::vector<char> m_readBuffer;
  std::map<std::string, ComPtr<IClassFactory>> m_factories;  // by scheme, lower case
};
