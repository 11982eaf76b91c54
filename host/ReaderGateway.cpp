#include "host/ReaderGateway.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <memory>

#include "host/HttpCaching.h"
#include "host/PageOutcome.h"
#include "host/PageLinks.h"
#include "platform/ModuleResource.h"

namespace {

constexpr std::size_t kMaxTarget = 8192;
constexpr std::size_t kMinCompressed = 256;

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

// Collects what the handler reports and drains its bytes into a body.
class Drain : public ProtocolListener {
 public:
  explicit Drain(std::size_t bound) : body(std::make_shared<ResponseBody>(bound)) {}
  void OnReport(const ProtocolReport& report) override {
    reports.push_back(report);
    if (report.kind == ProtocolReportKind::Progress &&
        (report.statusCode == BINDSTATUS_MIMETYPEAVAILABLE ||
         report.statusCode == BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE))
      mimeType = report.text;
  }
  bool OnData(std::string_view chunk) override {
    writeFailed = writeFailed || !body->Append(chunk);
    return !writeFailed;
  }

  std::shared_ptr<ResponseBody> body;
  std::vector<ProtocolReport> reports;
  std::string mimeType;
  bool writeFailed = false;
};

std::string EntityTag(const ResponseBody& body, bool gzip) {
  char text[40];
  std::snprintf(text, sizeof text, "\"%016llx%s\"",
                static_cast<unsigned long long>(body.Digest()), gzip ? "-gz" : "");
  return text;
}

std::shared_ptr<ResponseBody> BodyOf(std::string_view bytes) {
  auto body = std::make_shared<ResponseBody>(bytes.size());
  body->Append(bytes);
  return body;
}

}  // namespace

void HttpResponse::SetText(int statusCode, std::string contentType, std::string text) {
  status = statusCode;
  SetHeader("Content-Type", std::move(contentType));
  body = BodyOf(text);
  offset = 0;
  length = body->Size();
}

ReaderGateway::ReaderGateway(Options options)
    : m_options(std::move(options)), m_startTime(static_cast<std::int64_t>(std::time(nullptr))) {}

std::string ReaderGateway::VexostUrlOf(const std::string& target) {
  if (target == "/") return "vexost:";
  if (target.size() > 1 && target[0] == '/' && StartsWithNoCase(target.substr(1), "vexost:"))
    return target.substr(1);
  return "";
}

HttpResponse ReaderGateway::Serve(const HttpRequest& request) {
  HttpResponse response;
  const auto& hosts = m_options.allowedHosts;
  if (!request.host.empty() && std::find(hosts.begin(), hosts.end(), request.host) == hosts.end()) {
    response.SetText(403, "text/plain; charset=utf-8", "Unknown host name.\n");
    return response;
  }
  if (request.method != "GET" && request.method != "HEAD") {
    response.SetText(405, "text/plain; charset=utf-8", "Only GET and HEAD are served.\n");
    response.SetHeader("Allow", "GET, HEAD");
    return response;
  }
  if (request.target.size() > kMaxTarget) {
    response.SetText(414, "text/plain; charset=utf-8", "URL too long.\n");
    return response;
  }
  if (StartsWithNoCase(request.target, "/res://")) return ServeResource(request, request.target.substr(1));
  std::string url = VexostUrlOf(request.target);
  if (url.empty()) {
    response.SetText(404, "text/plain; charset=utf-8",
                     "Not found. Archives are served under /vexost://NAME/.\n");
    return response;
  }
  return ServeReader(request, url);
}

HttpResponse ReaderGateway::ServeReader(const HttpRequest& request, const std::string& url) {
  Drain drain(m_options.memoryBound);
  HRESULT hr = m_broker.Stream(url, drain);
  if (drain.writeFailed) {
    HttpResponse response;
    response.SetText(500, "text/plain; charset=utf-8", "The response could not be buffered.\n");
    return response;
  }
  int status = HttpStatusOf(hr, drain.reports);
  if (FAILED(hr) && drain.body->Size() == 0) {
    HttpResponse response;
    response.SetText(status, "text/plain; charset=utf-8", FailureText(hr, drain.reports));
    return response;
  }
  std::string mimeType = drain.mimeType.empty() ? "application/octet-stream" : drain.mimeType;
  std::shared_ptr<const ResponseBody> body = drain.body;
  if (StartsWithNoCase(mimeType, "text/html") && drain.body->InMemory())
    body = BodyOf(RewritePageLinks(drain.body->Memory()));
  return Finish(request, status, mimeType, body);
}

HttpResponse ReaderGateway::ServeResource(const HttpRequest& request, const std::string& url) {
  std::string bytes, mimeType;
  HttpResponse response;
  if (!ReadModuleResourceUrl(url, m_options.modulePath, bytes, mimeType)) {
    response.SetText(404, "text/plain; charset=utf-8", "No such resource.\n");
    return response;
  }
  return Finish(request, 200, mimeType, BodyOf(bytes));
}

HttpResponse ReaderGateway::Finish(const HttpRequest& request, int status, std::string mimeType,
                                   std::shared_ptr<const ResponseBody> body) {
  HttpResponse response;
  response.status = status;
  response.SetHeader("Content-Type", mimeType);
  response.SetHeader("X-Content-Type-Options", "nosniff");
  response.SetHeader("Cache-Control", "no-cache");
  if (status != 200) {  // pages for failures: no validators, no ranges
    response.body = body;
    response.length = body->Size();
    return response;
  }
  bool gzip = body->InMemory() && body->Size() >= kMinCompressed && IsCompressibleType(mimeType) &&
              request.range.empty();
  if (IsCompressibleType(mimeType)) response.SetHeader("Vary", "Accept-Encoding");
  gzip = gzip && AcceptsGzip(request.acceptEncoding);
  std::string etag = EntityTag(*body, gzip);
  response.SetHeader("ETag", etag);
  response.SetHeader("Last-Modified", FormatHttpDate(m_startTime));
  response.SetHeader("Accept-Ranges", "bytes");
  bool notModified = !request.ifNoneMatch.empty()
                         ? EntityTagMatches(request.ifNoneMatch, etag)
                         : ParseHttpDate(request.ifModifiedSince).value_or(-1) >= m_startTime;
  if (notModified) {
    response.status = 304;
    return response;
  }
  if (gzip) {
    std::string packed;
    if (Gzip(body->Memory(), packed)) {
      response.SetHeader("Content-Encoding", "gzip");
      body = BodyOf(packed);
    }
  }
  response.body = body;
  response.length = body->Size();
  if (!request.range.empty()) {
    bool unsatisfiable = false;
    std::optional<ByteRange> range = ParseByteRange(request.range, body->Size(), unsatisfiable);
    if (unsatisfiable) {
      response.status = 416;
      response.SetHeader("Content-Range", "bytes */" + std::to_string(body->Size()));
      response.length = 0;
    } else if (range) {
      response.status = 206;
      response.offset = range->first;
      response.length = range->length;
      response.SetHeader("Content-Range", "bytes " + std::to_string(range->first) + "-" +
                                              std::to_string(range->first + range->length - 1) +
                                              "/" + std::to_string(body->Size()));
    }
  }
  return response;
}
