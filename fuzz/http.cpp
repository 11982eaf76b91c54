// HTTP requests to the host, short of the reader: the checks on method, host
// and target, the target's vexost: URL, res:// URLs (no module is allowed here,
// so none is read), and the header parsers on their own: ranges, entity tags,
// dates, encodings, and the links of pages. Input: method, target, Host, Range,
// If-None-Match, If-Modified-Since and Accept-Encoding, each ended by a zero
// byte; the rest is a page whose links are rewritten.
#include <memory>

#include "fuzz/FuzzSupport.h"
#include "host/HttpCaching.h"
#include "host/PageLinks.h"
#include "host/ReaderGateway.h"

namespace {

ReaderGateway& Gateway() {
  ReaderGateway::Options options;
  options.allowedHosts = {"127.0.0.1:8080", "localhost:8080"};
  options.memoryBound = 4096;
  static ReaderGateway gateway(options);
  return gateway;
}

void CheckRange(std::string_view header, std::uint64_t size) {
  bool unsatisfiable = false;
  const std::optional<ByteRange> range = ParseByteRange(header, size, unsatisfiable);
  if (range && (unsatisfiable || range->length == 0 || range->first >= size ||
                range->length > size - range->first))
    std::abort();
}

void CheckResponse(const HttpResponse& response) {
  if (response.status < 200 || response.status > 599) std::abort();
  const std::uint64_t size = response.body ? response.body->Size() : 0;
  if (response.offset > size || response.length > size - response.offset) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputReader input(data, size);
  HttpRequest request;
  request.method = input.Piece();
  request.target = input.Piece();
  request.host = input.Piece();
  request.range = input.Piece();
  request.ifNoneMatch = input.Piece();
  request.ifModifiedSince = input.Piece();
  request.acceptEncoding = input.Piece();
  const std::string_view page = input.Rest();

  // Targets the reader would serve are left to the archive and URL targets.
  if (ReaderGateway::VexostUrlOf(request.target).empty()) CheckResponse(Gateway().Serve(request));

  for (std::uint64_t bodySize : {0ull, 1ull, 1000ull, 0xFFFFFFFFFFFFFFFFull}) CheckRange(request.range, bodySize);
  (void)EntityTagMatches(request.ifNoneMatch, request.host);
  if (const std::optional<std::int64_t> seconds = ParseHttpDate(request.ifModifiedSince)) {
    // A date read back must be the date written.
    if (*seconds >= 0 && *seconds < 253402300800 && ParseHttpDate(FormatHttpDate(*seconds)) != seconds)
      std::abort();
  }
  (void)AcceptsGzip(request.acceptEncoding);
  (void)IsCompressibleType(request.method);
  // Links only grow by the "/" put before them; an untouched page is not copied.
  std::string rewritten;
  if (RewritePageLinks(page, rewritten) && rewritten.size() < page.size()) std::abort();
  return 0;
}
