// vexost: URLs: the grammar (two URLs one after another, so that the second may
// begin with the archive prefix of the first, and must read as it reads alone),
// unescaping, and the combination of relative links. Input: first URL, a zero
// byte, second URL.
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "reader/ProtocolInfo.h"
#include "reader/RequestUrl.h"
#include "reader/tests/RequestUrlTestSupport.h"

namespace {

using request_url_tests::RecordingServices;

RecordingServices Services() {
  RecordingServices services;
  services.registered["Manual"] = {"/docs/manual.vxb", 10};
  services.registered["A"] = {"/docs/a.vxb", 0xFFFFFFFF};
  return services;
}

// What a URL came to: whether it names an archive, which file (OPEN for the
// archive open now), the topic and the pages arranged.
struct Reading {
  bool named;
  std::string archive, archiveUrl, topicPath;
  std::uint32_t topicNumber;
  std::vector<request_url_tests::ArrangedPage> pages;
  bool operator==(const Reading&) const = default;
};

Reading Parse(RequestUrlGrammar& grammar, std::string_view url, const std::string& open) {
  RecordingServices services = Services();
  RequestUrl request;
  const bool named = grammar.ParseRequestUrl(url, request, services);
  if (grammar.GetLastUrl() != url.substr(0, url.find('\0'))) std::abort();
  // A URL that names an archive names a file, or the archive open now by prefix.
  if (named && request.archivePath.empty() && grammar.GetArchivePrefix().empty()) std::abort();
  for (const auto& page : services.pages)
    if (page.page < 1 || page.page > 11) std::abort();
  if (!named) return {false, {}, {}, {}, 0, services.pages};
  return {true, request.archivePath.empty() ? open : request.archivePath, request.archiveUrl,
          request.topicPath, request.topicNumber, services.pages};
}

void Combine(std::string_view base, std::string_view relative) {
  const std::string baseText(base.substr(0, base.find('\0')));
  const std::string relativeText(relative.substr(0, relative.find('\0')));
  const std::optional<std::string> combined = CombineArchiveUrl(baseText, relativeText);
  for (DWORD size : {0u, 8u, 64u, 4096u}) {
    std::vector<char> result(size + 1, '\x7F');
    DWORD length = 0;
    const HRESULT answer = AnswerCombineUrl(baseText.c_str(), relativeText.c_str(), 0,
                                            result.data(), size, &length);
    if (result[size] != '\x7F') std::abort();  // nothing written past the buffer
    if (answer == S_OK && (!combined || length != 2 * combined->size() ||
                           std::string(result.data()) != *combined))
      std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputReader input(data, size);
  const std::string first = input.Piece();
  const std::string_view second = input.Rest();

  RequestUrlGrammar grammar, fresh;
  const Reading before = Parse(grammar, first, "");
  if (Parse(grammar, second, before.archive) != Parse(fresh, second, "")) std::abort();
  (void)UnescapeRequestUrl(second);
  Combine(first, second);
  return 0;
}
