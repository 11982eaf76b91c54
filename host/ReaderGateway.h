// The host's request logic: turns an HTTP request into a vexost: URL, has the
// reader module serve it through the protocol broker, drains the answer into a
// complete body and writes the HTTP response (status, type, validators, ranges,
// compression). Runs on the server's one request thread, as the module's
// apartment requires. The reader's dialogs become pages (host/WebDialogs.h); the
// file dialog's form is the only thing posted, and only with the token of its
// page. A URL that does not name its topic by path (the start topic, a topic
// number, a path found only in the folder of the page served before) is
// redirected to the topic's own URL, so that its relative links resolve where the
// topic lies. Topics of the archives handed to the reader that their URL names
// are kept in a response cache and sent again without the reader while their
// file is unchanged, and clients reading the same topic at once share one body.
// A host for other machines (remote clients) serves known archives only and
// offers no file dialog, under any Host name. "/" lists the archives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/HttpExchange.h"
#include "host/KnownArchives.h"
#include "host/LiveAnswers.h"
#include "host/ResponseCache.h"
#include "host/SearchPages.h"
#include "host/WebDialogs.h"
#include "platform/ProtocolBroker.h"
#include "reader/client/ReaderControlClient.h"

class ReaderGateway {
 public:
  struct Options {
    std::vector<std::string> allowedHosts;  // Host header values a loopback host accepts
    std::size_t memoryBound = 8 * 1024 * 1024;  // larger bodies go to a temporary file
    std::string modulePath;  // the reader module, the only source of res:// images
    std::vector<HandedArchive> handedArchives;  // their topics are cached
    std::size_t cacheBound = 64 * 1024 * 1024;  // bytes of all cached bodies
    std::string formToken;  // carried by the file dialog's form (host/FormToken.h)
    // Clients on other machines: file: URLs only for known archives
    // (host/KnownArchives.h), pages without server paths, no file dialog.
    bool remoteClients = false;
    SearchPages* search = nullptr;  // /search and /suggest, and the list page's box
    bool searchBar = false;  // the search box on the archives' HTML pages too
  };

  explicit ReaderGateway(Options options);

  HttpResponse Serve(const HttpRequest& request);

  // The vexost: URL an HTTP target names ("/" the list page), or "" for none. A
  // query is dropped: topics are files, and pages add queries to the links of
  // their style sheets and scripts to outwit caches ("style.css?v=2"); a "?" of
  // a topic's name travels escaped.
  static std::string VexostUrlOf(const std::string& target);
  // The file of the handed archive that URL names plainly by name (no file path,
  // firm code, escape or topic text that could change which archive is meant),
  // or "": only such answers may be cached.
  static std::string HandedArchiveOf(const std::string& url,
                                     const std::vector<HandedArchive>& handed);

 private:
  HttpResponse ServeReader(const HttpRequest& request, const std::string& url);
  // The file dialog's form: hands the path entered to the reader's file dialog
  // and sends the browser back to the page, or shows the form again with what
  // was wrong.
  HttpResponse ServeFormPost(const HttpRequest& request);
  HttpResponse ServeResource(const HttpRequest& request, const std::string& url);
  // The topic at URL from the cache or the reader; null with RESPONSE set when
  // the reader served no topic or asked the user. FILEANSWER goes to the
  // reader's file dialog, if it opens one (and then the cache is not asked).
  std::shared_ptr<const CachedAnswer> ReadTopic(const std::string& url, HttpResponse& response,
                                                std::optional<WebDialogs::FileAnswer> fileAnswer = {});
  // The page of the dialog the last request showed; false when it showed none.
  // The file dialog's form only when FILEFORM (a registered archive's file).
  bool DialogPage(const std::string& url, HttpResponse& response, bool fileForm) const;
  // The gzip form of ANSWER (cached with it), or null when it does not pay.
  std::shared_ptr<const CachedAnswer> Compressed(const std::string& url,
                                                 const std::shared_ptr<const CachedAnswer>& answer);
  HttpResponse Finish(const HttpRequest& request, int status, const CachedAnswer& answer);

  Options m_options;
  ProtocolBroker m_broker;
  ResponseCache m_cache;
  LiveAnswers m_live;
  KnownArchives m_known;
  WebDialogs m_dialogs;
  std::int64_t m_startTime;
};
