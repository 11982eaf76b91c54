#include "host/ReaderGateway.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>

#include "base/HtmlEscape.h"
#include "host/ArchiveListPage.h"
#include "host/DialogPages.h"
#include "host/FormData.h"
#include "host/FormToken.h"
#include "host/HttpCaching.h"
#include "host/PageLinks.h"
#include "host/PageOutcome.h"
#include "platform/ModuleResource.h"
#include "reader/PagePaths.h"
#include "reader/ReaderPages.h"
#include "reader/client/ReaderOutcome.h"

namespace {

constexpr std::size_t kMaxTarget = 8192;
constexpr std::size_t kMinCompressed = 256;
constexpr std::string_view kScheme = "vexost://";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}

std::vector<std::string> PathsOf(const std::vector<HandedArchive>& archives) {
  std::vector<std::string> paths;
  for (const HandedArchive& archive : archives) paths.push_back(archive.path);
  return paths;
}

// Collects what the handler reports and drains its bytes into a body; stops at
// the first bytes of a topic that the browser is to ask for by its own URL.
class Drain final : public ProtocolListener {
 public:
  explicit Drain(std::size_t bound) : body(std::make_shared<ResponseBody>(bound)) {}
  void OnReport(const ProtocolReport& report) override {
    reports.push_back(report);
    if (report.kind != ProtocolReportKind::Progress) return;
    if (report.statusCode == BINDSTATUS_MIMETYPEAVAILABLE ||
        report.statusCode == BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE)
      mimeType = report.text;
    if (report.statusCode == BINDSTATUS_READEROUTCOME) {
      readerPage = true;
      outcome = report.text;
    }
    if (report.statusCode == BINDSTATUS_READERTOPIC) topic = ReaderTopic::Parse(report.text);
  }
  bool OnData(std::string_view chunk) override {
    if (!Redirect().empty()) return false;
    writeFailed = writeFailed || !body->Append(chunk);
    return !writeFailed;
  }
  char* ReadTarget(ULONG size) override { return body->Room(size); }
  // The topic's own URL when the request did not name it there: the URL without
  // topic of the start topic, a topic number, a path found only in the folder of
  // another client's page. Its relative links resolve under its own URL only.
  std::string Redirect() const {
    return topic && topic->found != TopicFound::Named ? topic->url : std::string();
  }
  // Whether the answer depends on the URL alone, so that it may be kept under it.
  bool NamedByUrl() const { return topic && topic->found == TopicFound::Named; }
  // Whether the reader served the page after which it asks the user, on the
  // next request of the same name: which firm code, or where the file went.
  bool AsksNextTime() const {
    return outcome == std::to_string(kPageAmbiguousFirmCode) || RegisteredFileFails();
  }
  // A file named by the URL is not asked for again: its page says what is wrong.
  bool RegisteredFileFails() const { return outcome == std::to_string(kPageRegisteredFileFails); }

  std::shared_ptr<ResponseBody> body;
  std::vector<ProtocolReport> reports;
  std::string mimeType;
  std::optional<ReaderTopic> topic;
  std::string outcome;  // the reader's BINDSTATUS_READEROUTCOME text
  bool readerPage = false;  // the reader served a page of its own or no topic
  bool writeFailed = false;
};

// Of the topic's bytes; its gzip form has the same tag with "-gz" added.
std::string EntityTag(const ResponseBody& body) {
  char text[48];
  std::snprintf(text, sizeof text, "\"%08x-%llx\"", static_cast<unsigned>(body.Digest()),
                static_cast<unsigned long long>(body.Size()));
  return text;
}

std::shared_ptr<const CachedAnswer> AnswerOf(std::string mimeType,
                                             std::shared_ptr<const ResponseBody> body) {
  auto answer = std::make_shared<CachedAnswer>();
  answer->mimeType = std::move(mimeType);
  answer->etag = EntityTag(*body);
  answer->body = std::move(body);
  return answer;
}

// The key of the gzip form of the answer kept under KEY; no target holds a zero.
std::string GzipKey(const std::string& key) { return key + '\0' + "gzip"; }

}  // namespace

void HttpResponse::SetText(int statusCode, std::string contentType, std::string text) {
  status = statusCode;
  SetHeader("Content-Type", std::move(contentType));
  body = std::make_shared<ResponseBody>(std::move(text));
  offset = 0;
  length = body->Size();
}

ReaderGateway::ReaderGateway(Options options)
    : m_options(std::move(options)),
      m_broker(256 * 1024),
      m_cache(m_options.cacheBound, m_options.cacheBound / 4),
      m_known(PathsOf(m_options.handedArchives)),
      m_startTime(static_cast<std::int64_t>(std::time(nullptr))) {
  // The host's own list page is made from the reader's page code linked into the
  // host, which follows the same rule as the module's pages.
  PagePaths::SetShown(!m_options.remoteClients);
  std::string error;
  if (!m_options.modulePath.empty() && !m_dialogs.Attach(m_options.modulePath, error))
    std::fprintf(stderr, "vxstserve: the reader's dialogs stay on standard error: %s\n",
                 error.c_str());
}

std::string ReaderGateway::VexostUrlOf(const std::string& target) {
  const std::string path = target.substr(0, target.find('?'));
  if (path == "/") return "vexost:";
  if (path.size() > 1 && path[0] == '/' && StartsWithNoCase(path.substr(1), "vexost:"))
    return path.substr(1);
  return "";
}

std::string ReaderGateway::HandedArchiveOf(const std::string& url,
                                           const std::vector<HandedArchive>& handed) {
  if (!StartsWithNoCase(url, kScheme)) return "";
  std::string_view rest = std::string_view(url).substr(kScheme.size());
  // Each of these could make the reader read another archive part than the plain
  // name: "::" anywhere, "|" (a colon), an escaped colon.
  if (rest.find("::") != std::string_view::npos || rest.find('|') != std::string_view::npos ||
      rest.find("%3a") != std::string_view::npos || rest.find("%3A") != std::string_view::npos)
    return "";
  std::string_view name = rest.substr(0, rest.find('/'));
  if (name.empty() || name.find_first_of("%\\:#") != std::string_view::npos) return "";
  for (const HandedArchive& archive : handed)
    if (archive.name == name) return archive.path;
  return "";
}

HttpResponse ReaderGateway::Serve(const HttpRequest& request) {
  HttpResponse response;
  // The Host check keeps pages of other sites from reaching a loopback host
  // through a name of theirs; a host for other machines is reached by any name
  // its clients or its proxy use.
  const auto& hosts = m_options.allowedHosts;
  if (!m_options.remoteClients && !request.host.empty() &&
      std::none_of(hosts.begin(), hosts.end(),
                   [&](const std::string& host) { return EqualsNoCase(host, request.host); })) {
    response.SetText(403, "text/plain; charset=utf-8", "Unknown host name.\n");
    return response;
  }
  if (request.target.size() > kMaxTarget) {
    response.SetText(414, "text/plain; charset=utf-8", "URL too long.\n");
    return response;
  }
  if (m_options.search && SearchPages::Handles(request.target)) return m_options.search->Serve(request);
  if (request.method == "POST") return ServeFormPost(request);
  if (request.method != "GET" && request.method != "HEAD") {
    response.SetText(405, "text/plain; charset=utf-8", "Only GET and HEAD are served.\n");
    response.SetHeader("Allow", "GET, HEAD");
    return response;
  }
  if (StartsWithNoCase(request.target, "/res://"))
    return ServeResource(request, request.target.substr(1));
  std::string url = VexostUrlOf(request.target);
  if (url.empty()) {
    response.SetText(404, "text/plain; charset=utf-8",
                     "Not found. Archives are served under /vexost://NAME/.\n");
    return response;
  }
  if (IsArchiveListUrl(url)) {
    std::string page = ArchiveListPage(m_options.handedArchives, m_options.modulePath, url);
    if (m_options.search) page = SearchPages::WithSearchBox(page);
    std::string rewritten;
    response.SetText(200, "text/html; charset=utf-8",
                     RewritePageLinks(page, rewritten) ? std::move(rewritten) : std::move(page));
    response.SetHeader("Cache-Control", "no-cache");
    return response;
  }
  return ServeReader(request, url);
}

HttpResponse ReaderGateway::ServeReader(const HttpRequest& request, const std::string& url) {
  HttpResponse failure;
  if (m_options.remoteClients && !m_known.Admits(url)) {
    failure.SetText(404, "text/plain; charset=utf-8",
                    "Not found. This host serves the archives it knows by name.\n");
    return failure;
  }
  std::shared_ptr<const CachedAnswer> answer = ReadTopic(url, failure);
  if (!answer) return failure;
  if (request.range.empty() && AcceptsGzip(request.acceptEncoding))
    if (std::shared_ptr<const CachedAnswer> packed = Compressed(url, answer)) answer = packed;
  return Finish(request, 200, *answer);
}

HttpResponse ReaderGateway::ServeFormPost(const HttpRequest& request) {
  HttpResponse response;
  if (m_options.remoteClients) {
    response.SetText(403, "text/plain; charset=utf-8",
                     "Files are chosen on the server's own machine only.\n");
    return response;
  }
  const std::string url = VexostUrlOf(request.target);
  if (url.empty() || !StartsWithNoCase(url, kScheme)) {
    response.SetText(405, "text/plain; charset=utf-8", "Only the file dialog's form is posted.\n");
    response.SetHeader("Allow", "GET, HEAD");
    return response;
  }
  // A page of another site must not drive the reader: browsers name the page
  // that posts a form in its Origin header.
  const auto& hosts = m_options.allowedHosts;
  if (std::none_of(hosts.begin(), hosts.end(), [&](const std::string& host) {
        return EqualsNoCase(request.origin, "http://" + host);
      })) {
    response.SetText(403, "text/plain; charset=utf-8",
                     "Forms are taken from this host's own pages only.\n");
    return response;
  }
  if (!StartsWithNoCase(request.contentType, "application/x-www-form-urlencoded")) {
    response.SetText(415, "text/plain; charset=utf-8",
                     "The form is posted as application/x-www-form-urlencoded.\n");
    return response;
  }
  std::map<std::string, std::string> fields = ParseFormData(request.body);
  // A form written into an archive page is of this origin too, but carries no
  // token: only the dialog pages of this run of the host hand it out.
  if (!FormTokenMatches(m_options.formToken, fields["token"])) {
    response.SetText(403, "text/plain; charset=utf-8",
                     "The form was not served by this host, or by an earlier run of it.\n");
    return response;
  }
  if (fields["path"].empty() || fields["path"].find('\0') != std::string::npos) {
    response.SetText(400, "text/plain; charset=utf-8", "The form names no file path.\n");
    return response;
  }
  response = HttpResponse{};
  ReadTopic(url, response, WebDialogs::FileAnswer{fields["path"], !fields["update"].empty()});
  if (m_dialogs.FileSelectShown()) return response;  // the path was refused: the form again
  response = HttpResponse{};
  response.SetText(303, "text/plain; charset=utf-8", "See " + request.target + "\n");
  response.SetHeader("Location", request.target);
  return response;
}

bool ReaderGateway::DialogPage(const std::string& url, HttpResponse& response,
                               bool fileForm) const {
  std::string page;
  if (const auto& firmCode = m_dialogs.FirmCodeShown())
    page = FirmCodePage(*firmCode, url);
  else if (const auto& file = m_dialogs.FileSelectShown();
           file && fileForm && !m_options.remoteClients)
    page = FileSelectPage(*file, m_dialogs.Messages(), url, m_options.formToken);
  else
    return false;  // the reader's page: a file named by URL, or a host for other machines
  response.SetText(200, "text/html; charset=utf-8", std::move(page));
  response.SetHeader("Cache-Control", "no-store");
  response.SetHeader("X-Frame-Options", "DENY");
  response.SetHeader("X-Content-Type-Options", "nosniff");
  return true;
}

std::shared_ptr<const CachedAnswer> ReaderGateway::ReadTopic(
    const std::string& url, HttpResponse& response,
    std::optional<WebDialogs::FileAnswer> fileAnswer) {
  const std::string archive = HandedArchiveOf(url, m_options.handedArchives);
  std::optional<FileStamp> stamp;
  if (!archive.empty()) {
    if (!fileAnswer)
      if (std::shared_ptr<const CachedAnswer> kept = m_cache.Find(url)) return kept;
    stamp = StampOfFile(archive);  // before reading: a change meanwhile shows later
    if (!fileAnswer && stamp)
      if (std::shared_ptr<const CachedAnswer> live = m_live.Find(url, *stamp)) return live;
  }
  // The reader asks the user only on the request after the one it answered with
  // its page; a host's answer may not depend on an earlier request (another
  // client's, or one that reached another worker): such a request is made once
  // more, so that every request gets the question.
  std::optional<Drain> read;
  HRESULT hr = S_OK;
  for (int attempt = 0; attempt < 2 && (!read || read->AsksNextTime()); ++attempt) {
    read.emplace(m_options.memoryBound);
    m_dialogs.BeginRequest(fileAnswer);
    hr = m_broker.Stream(url, *read);
    if (m_dialogs.FirmCodeShown() || m_dialogs.FileSelectShown() || m_dialogs.AnswerTaken()) break;
  }
  const Drain& drain = *read;
  drain.body->FitMemory();
  if (DialogPage(url, response, drain.RegisteredFileFails())) return nullptr;
  if (const std::string target = drain.Redirect(); !target.empty()) {
    const std::string location = "/" + vxs::EscapeUrlComponent(target, "/:");
    response.SetText(302, "text/plain; charset=utf-8", "See " + location + "\n");
    response.SetHeader("Location", location);
    response.SetHeader("Cache-Control", "no-cache");
    return nullptr;
  }
  if (drain.writeFailed) {
    response.SetText(500, "text/plain; charset=utf-8", "The response could not be buffered.\n");
    return nullptr;
  }
  int status = HttpStatusOf(hr, drain.reports);
  if (FAILED(hr) && drain.body->Size() == 0) {
    response.SetText(status, "text/plain; charset=utf-8", FailureText(hr, drain.reports));
    return nullptr;
  }
  std::string mimeType = drain.mimeType.empty() ? "application/octet-stream" : drain.mimeType;
  std::shared_ptr<const ResponseBody> body = drain.body;
  std::string rewritten;
  if (StartsWithNoCase(mimeType, "text/html") && drain.body->InMemory() &&
      RewritePageLinks(drain.body->Memory(), rewritten))
    body = std::make_shared<ResponseBody>(std::move(rewritten));
  if (m_options.search && m_options.searchBar && status == 200 && !drain.readerPage &&
      StartsWithNoCase(mimeType, "text/html") && body->InMemory())
    body = std::make_shared<ResponseBody>(SearchPages::WithSearchBox(body->Memory(), url));
  if (status != 200) {
    response = Finish(HttpRequest{}, status, *AnswerOf(std::move(mimeType), std::move(body)));
    return nullptr;
  }
  std::shared_ptr<const CachedAnswer> topic = AnswerOf(std::move(mimeType), std::move(body));
  if (stamp && SUCCEEDED(hr) && !drain.readerPage && drain.NamedByUrl()) {
    m_cache.Store(url, archive, *stamp, topic);
    m_live.Keep(url, *stamp, *topic);
  }
  return topic;
}

std::shared_ptr<const CachedAnswer> ReaderGateway::Compressed(
    const std::string& url, const std::shared_ptr<const CachedAnswer>& answer) {
  const ResponseBody& body = *answer->body;
  if (!body.InMemory() || body.Size() < kMinCompressed || !IsCompressibleType(answer->mimeType))
    return nullptr;
  const std::string archive = HandedArchiveOf(url, m_options.handedArchives);
  const std::string key = GzipKey(url);
  if (!archive.empty())
    if (std::shared_ptr<const CachedAnswer> kept = m_cache.Find(key)) return kept;
  std::optional<FileStamp> stamp = archive.empty() ? std::nullopt : StampOfFile(archive);
  std::string packed;
  if (!Gzip(body.Memory(), packed)) return nullptr;
  auto gzipped = std::make_shared<CachedAnswer>();
  gzipped->mimeType = answer->mimeType;
  gzipped->body = std::make_shared<ResponseBody>(std::move(packed));
  gzipped->etag = answer->etag.substr(0, answer->etag.size() - 1) + "-gz\"";
  gzipped->gzip = true;
  // Kept only beside an answer that is kept itself (same archive, same state).
  if (stamp && m_cache.Find(url) == answer) m_cache.Store(key, archive, *stamp, gzipped);
  return gzipped;
}

HttpResponse ReaderGateway::ServeResource(const HttpRequest& request, const std::string& url) {
  std::string bytes, mimeType;
  HttpResponse response;
  if (!ReadModuleResourceUrl(url, m_options.modulePath, bytes, mimeType)) {
    response.SetText(404, "text/plain; charset=utf-8", "No such resource.\n");
    return response;
  }
  return Finish(request, 200,
                *AnswerOf(mimeType, std::make_shared<ResponseBody>(std::move(bytes))));
}

HttpResponse ReaderGateway::Finish(const HttpRequest& request, int status,
                                   const CachedAnswer& answer) {
  const std::shared_ptr<const ResponseBody>& body = answer.body;
  HttpResponse response;
  response.status = status;
  response.SetHeader("Content-Type", answer.mimeType);
  response.SetHeader("X-Content-Type-Options", "nosniff");
  response.SetHeader("Cache-Control", "no-cache");
  response.body = body;
  response.length = body->Size();
  if (status != 200) return response;  // pages for failures: no validators, no ranges
  if (IsCompressibleType(answer.mimeType)) response.SetHeader("Vary", "Accept-Encoding");
  if (answer.gzip) response.SetHeader("Content-Encoding", "gzip");
  const std::string& etag = answer.etag;
  response.SetHeader("ETag", etag);
  response.SetHeader("Last-Modified", FormatHttpDate(m_startTime));
  response.SetHeader("Accept-Ranges", "bytes");
  bool notModified = !request.ifNoneMatch.empty()
                         ? EntityTagMatches(request.ifNoneMatch, etag)
                         : ParseHttpDate(request.ifModifiedSince).value_or(-1) >= m_startTime;
  if (notModified) {
    response.status = 304;
    response.body = nullptr;
    response.length = 0;
    return response;
  }
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
