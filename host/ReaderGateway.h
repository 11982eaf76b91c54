// The host's request logic: turns an HTTP request into a vexost: URL, has the
// reader module serve it through the protocol broker, drains the answer into a
// complete body and writes the HTTP response (status, type, validators, ranges,
// compression). Runs on the server's one request thread, as the module's
// apartment requires.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/HttpExchange.h"
#include "platform/ProtocolBroker.h"

class ReaderGateway {
 public:
  struct Options {
    std::vector<std::string> allowedHosts;  // Host header values accepted
    std::size_t memoryBound = 8 * 1024 * 1024;  // larger bodies go to a temporary file
    std::string modulePath;  // the reader module, the only source of res:// images
  };

  explicit ReaderGateway(Options options);

  HttpResponse Serve(const HttpRequest& request);

  // The vexost: URL an HTTP target names ("/" the list page), or "" for none.
  static std::string VexostUrlOf(const std::string& target);

 private:
  HttpResponse ServeReader(const HttpRequest& request, const std::string& url);
  HttpResponse ServeResource(const HttpRequest& request, const std::string& url);
  HttpResponse Finish(const HttpRequest& request, int status, std::string mimeType,
                      std::shared_ptr<const ResponseBody> body);

  Options m_options;
  ProtocolBroker m_broker;
  std::int64_t m_startTime;
};
