#include "search/Snippet.h"

#include <algorithm>
#include <cstdint>

#include "base/HtmlEscape.h"

namespace search {

namespace {

constexpr std::size_t kWindowWords = 24;
constexpr std::size_t kLeadWords = 4;          // shown before the first word found
constexpr std::size_t kLongestTail = 16;       // of text after the last word, shown whole
constexpr std::size_t kLongestSnippet = 400;   // bytes of text
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

struct Word {
  std::size_t start, end;
  int match;  // index of the query word, -1 for none
};

int MatchOf(std::string_view folded, const std::vector<std::string>& words, bool lastIsPrefix) {
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

}  // namespace

Snippet MakeSnippet(std::string_view text, const std::vector<std::string>& words,
                    bool lastIsPrefix, const FoldingTokenizer& tokenizer, bool* complete) {
  std::vector<Word> found;
  found.reserve(1024);
  // Tokenizing stops once the words seen last hold every query word, and a
  // window's worth of words after them is there.
  std::vector<std::size_t> lastSeen(words.size(), SIZE_MAX);
  std::size_t stopAt = SIZE_MAX;
  tokenizer.Tokenize(text, [&](const Token& token) {
    const int match = MatchOf(token.folded, words, lastIsPrefix);
    found.push_back({token.start, token.end, match});
    const std::size_t index = found.size() - 1;
    if (match >= 0 && stopAt == SIZE_MAX) {
      lastSeen[static_cast<std::size_t>(match)] = index;
      const std::size_t oldest = *std::min_element(lastSeen.begin(), lastSeen.end());
      if (oldest != SIZE_MAX && index - oldest < kWindowWords) stopAt = oldest + kWindowWords;
    }
    return index + 1 < stopAt;
  });
  // The window that holds the most distinct words; the first such one.
  std::size_t best = 0, bestCount = 0;
  for (std::size_t i = 0; i < found.size() && bestCount < words.size(); ++i) {
    if (found[i].match < 0) continue;
    const std::size_t count =
        DistinctMatches(found, i, std::min(found.size(), i + kWindowWords), words.size());
    if (count > bestCount) best = i, bestCount = count;
  }
  if (complete) *complete = bestCount == words.size();
  Snippet snippet;
  if (found.empty()) return snippet;
  const std::size_t first = best > kLeadWords ? best - kLeadWords : 0;
  const std::size_t last = std::min(found.size(), first + kWindowWords) - 1;
  const std::size_t from = found[first].start;
  // Words of scripts written without blanks can be long: the window is cut
  // (where a character begins) at kLongestSnippet bytes.
  std::size_t end = found[last].end;
  if (end - from > kLongestSnippet) {
    end = from + kLongestSnippet;
    while (end > from && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  }
  if (from > 0) snippet.text = kEllipsis;
  const std::size_t offset = snippet.text.size();
  snippet.text += text.substr(from, end - from);
  for (std::size_t i = first; i <= last; ++i)
    if (found[i].match >= 0 && found[i].end <= end)
      snippet.marks.emplace_back(found[i].start - from + offset, found[i].end - from + offset);
  // After the last word only its punctuation may follow; anything more is cut.
  const std::string_view tail = text.substr(end);
  if (end == found[last].end && last + 1 == found.size() && tail.size() <= kLongestTail)
    snippet.text += tail;
  else if (!tail.empty())
    snippet.text += kEllipsis;
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
