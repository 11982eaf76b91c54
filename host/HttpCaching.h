// HTTP validation and partial content for a complete response body: entity
// tags, conditional requests, single byte ranges and gzip for text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct ByteRange {
  std::uint64_t first = 0;
  std::uint64_t length = 0;
};

// The range of a "Range: bytes=..." header for a body of SIZE bytes: nullopt when
// the header asks for no single satisfiable range that we serve (several ranges or
// a malformed header: the whole body is sent); UNSATISFIABLE is set when the range
// lies wholly beyond the body.
std::optional<ByteRange> ParseByteRange(std::string_view header, std::uint64_t size,
                                        bool& unsatisfiable);

// True when an If-None-Match header lists ETAG (or "*"); weak comparison.
bool EntityTagMatches(std::string_view ifNoneMatch, std::string_view etag);

// An HTTP date (IMF-fixdate) for a time in seconds since 1970, and back (nullopt
// when the text is no date).
std::string FormatHttpDate(std::int64_t seconds);
std::optional<std::int64_t> ParseHttpDate(std::string_view text);

// Whether a body of this MIME type is worth compressing.
bool IsCompressibleType(std::string_view mimeType);
// True when the Accept-Encoding header admits gzip.
bool AcceptsGzip(std::string_view acceptEncoding);
// The gzip form of BYTES; false when compression failed.
bool Gzip(std::string_view bytes, std::string& out);
