#include "search/Snippet.h"

#include <algorithm>

#include "base/HtmlEscape.h"

namespace search {

namespace {

constexpr std::size_t kWindowWords = 24;
constexpr std::size_t kFirstLook = 4096;       // text searched for the words first,
constexpr std::size_t kScanLimit = 64 * 1024;  // and at most
constexpr std::size_t kLeadWords = 4;          // shown before the first word found
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

struct Word {
  std::size_t start, end;
  int match;  // index of the query word, -1 for none
};

int MatchOf(const std::string& folded, const std::vector<std::string>& words, bool lastIsPrefix) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const bool prefix = lastIsPrefix && i + 1 == words.size();
    if (folded == words[i] || (prefix && folded.starts_with(words[i]))) return static_cast<int>(i);
  }
  return -1;
}

std::size_t DistinctMatches(const std::vector<Word>& text, std::size_t from, std::size_t to,
                            std::size_t wordCount) {
  std::vector<bool> seen(wordCount);
  std::size_t count = 0;
  for (std::size_t i = from; i < to; ++i)
    if (text[i].match >= 0 && !seen[text[i].match]) seen[text[i].match] = true, ++count;
  return count;
}

// Moves AT back to the start of a UTF-8 character.
std::size_t CharStart(std::string_view text, std::size_t at) {
  while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
  return at;
}

}  // namespace

Snippet MakeSnippet(std::string_view text, const std::vector<std::string>& words,
                    bool lastIsPrefix, const FoldingTokenizer& tokenizer) {
  std::vector<Word> found;
  std::size_t best = 0, bestCount = 0;
  // Most pages show the words near their top: a short look first, a longer one
  // when it did not find them all.
  for (std::size_t limit : {kFirstLook, kScanLimit}) {
    const std::string_view scanned = text.substr(0, CharStart(text, std::min(text.size(), limit)));
    found.clear();
    tokenizer.Tokenize(scanned, [&](const Token& token) {
      found.push_back({token.start, token.end, MatchOf(token.folded, words, lastIsPrefix)});
    });
    best = bestCount = 0;
    for (std::size_t i = 0; i < found.size() && bestCount < words.size(); ++i) {
      if (found[i].match < 0) continue;
      const std::size_t count =
          DistinctMatches(found, i, std::min(found.size(), i + kWindowWords), words.size());
      if (count > bestCount) best = i, bestCount = count;
    }
    if (bestCount == words.size() || scanned.size() == text.size()) break;
  }
  Snippet snippet;
  if (found.empty()) return snippet;
  const std::size_t first = best > kLeadWords ? best - kLeadWords : 0;
  const std::size_t last = std::min(found.size(), first + kWindowWords) - 1;
  const std::size_t from = found[first].start;
  if (from > 0) snippet.text = kEllipsis;
  const std::size_t offset = snippet.text.size();
  snippet.text += text.substr(from, found[last].end - from);
  for (std::size_t i = first; i <= last; ++i)
    if (found[i].match >= 0)
      snippet.marks.emplace_back(found[i].start - from + offset, found[i].end - from + offset);
  if (found[last].end < text.size()) snippet.text += kEllipsis;
  return snippet;
}

std::string SnippetHtml(const Snippet& snippet) {
  std::string html;
  std::size_t at = 0;
  for (const auto& [start, end] : snippet.marks) {
    html += vxs::EscapeHtml(std::string_view(snippet.text).substr(at, start - at));
    html += "<b>" + vxs::EscapeHtml(std::string_view(snippet.text).substr(start, end - start)) + "</b>";
    at = end;
  }
  return html + vxs::EscapeHtml(std::string_view(snippet.text).substr(at));
}

}  // namespace search
