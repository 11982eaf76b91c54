// One HTTP request and its response as the host's handlers see them, apart from
// the HTTP library.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/ResponseBody.h"

struct HttpRequest {
  std::string method;
  std::string target;  // the request target exactly as sent, escapes undecoded
  std::string host;
  std::string origin;
  std::string range;
  std::string ifNoneMatch;
  std::string ifModifiedSince;
  std::string acceptEncoding;
  std::string contentType;
  std::string body;  // form data of a POST
};

struct HttpResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::shared_ptr<const ResponseBody> body;  // null: no body
  std::uint64_t offset = 0;                  // the part of BODY to send
  std::uint64_t length = 0;

  void SetHeader(std::string name, std::string value) {
    headers.emplace_back(std::move(name), std::move(value));
  }
  // A whole text body.
  void SetText(int statusCode, std::string contentType, std::string text);
};
