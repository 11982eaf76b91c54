// vexost: URLs: the grammar (two URLs one after another, so that the second may
// begin with the archive prefix of the first), unescaping, and the combination
// of relative links. Input: first URL, a zero byte, second URL.
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "reader/ProtocolInfo.h"
#include "reader/RequestUrl.h"
#include "reader/tests/RequestUrlTestSupport.h"

namespace {

void Parse(RequestUrlGrammar& grammar, request_url_tests::RecordingServices& services,
           std::string_view url) {
  RequestUrl request;
  const bool named = grammar.ParseRequestUrl(url, request, services);
  if (grammar.GetLastUrl() != url.substr(0, url.find('\0'))) std::abort();
  // A URL that names an archive names a file, or the archive open now by prefix.
  if (named && request.archivePath.empty() && grammar.GetArchivePrefix().empty()) std::abort();
  for (const auto& page : services.pages)
    if (page.page < 1 || page.page > 11) std::abort();
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

  request_url_tests::RecordingServices services;
  services.registered["Manual"] = {"/docs/manual.vxb", 10};
  services.registered["A"] = {"/docs/a.vxb", 0xFFFFFFFF};
  RequestUrlGrammar grammar;
  Parse(grammar, services, first);
  Parse(grammar, services, second);
  (void)UnescapeRequestUrl(second);
  Combine(first, second);
  return 0;
}
