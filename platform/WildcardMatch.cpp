#include "platform/WildcardMatch.h"

#include <string>
#include <vector>


namespace {

// The pattern's elements after the platform's translation of its dot rules.
enum class Element { Char, Star, DosStar, DosQuestion, DosDot };

struct Token {
  Element kind;
  char32_t c = 0;
};

// Decodes the UTF-8 character at TEXT[POS] and moves POS behind it; a byte
// that starts no well-formed character stands for itself.
char32_t NextChar(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (pos + length > text.size()) length = 1;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) length = 1;
  }
  if (length == 1) {
    ++pos;
    return lead < 0x80 ? lead : 0x110000u | lead;  // a lone byte matches only itself
  }
  char32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (text[pos + i] & 0x3F);
  pos += length;
  return c;
}

std::vector<char32_t> Characters(std::string_view text) {
  std::vector<char32_t> out;
  for (std::size_t pos = 0; pos < text.size();) {
    out.push_back(NextChar(text, pos));
  }
  return out;
}

std::vector<Token> Translate(const std::vector<char32_t>& pattern) {
  std::vector<Token> tokens;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char32_t c = pattern[i];
    const char32_t next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
    if (c == '?') {
      tokens.push_back({Element::DosQuestion});
    } else if (c == '*') {
      tokens.push_back({next == '.' ? Element::DosStar : Element::Star});
    } else if (c == '.' && (next == '*' || next == '?' || next == 0)) {
      tokens.push_back({Element::DosDot});
    } else {
      tokens.push_back({Element::Char, c});
    }
  }
  return tokens;
}

class Matcher {
 public:
  Matcher(std::vector<Token> tokens, std::vector<char32_t> name)
      : m_tokens(std::move(tokens)), m_name(std::move(name)),
        m_memo((m_tokens.size() + 1) * (m_name.size() + 1), 0) {
    m_lastDot = m_name.size();  // none
    for (std::size_t i = m_name.size(); i-- > 0;) {
      if (m_name[i] == '.') {
        m_lastDot = i;
        break;
      }
    }
  }

  // Whether the tokens from T on match the name from N on (memoized, so that
  // patterns with many stars stay linear in practice).
  bool Match(std::size_t t, std::size_t n) {
    char& memo = m_memo[t * (m_name.size() + 1) + n];
    if (memo) return memo == 1;
    const bool result = Compute(t, n);
    memo = result ? 1 : 2;
    return result;
  }

 private:
  bool Compute(std::size_t t, std::size_t n) {
    const std::size_t end = m_name.size();
    if (t == m_tokens.size()) return n == end;
    const Token& token = m_tokens[t];
    switch (token.kind) {
      case Element::Char:
        return n < end && m_name[n] == token.c && Match(t + 1, n + 1);
      case Element::Star:
        for (std::size_t k = n; k <= end; ++k) {
          if (Match(t + 1, k)) return true;
        }
        return false;
      case Element::DosStar:
        // Any run that does not pass the name's last dot (when one lies ahead).
        for (std::size_t k = n; k <= end && (k <= m_lastDot || m_lastDot < n); ++k) {
          if (Match(t + 1, k)) return true;
        }
        return false;
      case Element::DosQuestion:
        if (n == end || m_name[n] == '.') return Match(SkipQuestions(t), n);
        return Match(t + 1, n + 1);
      case Element::DosDot:
        if (n < end && m_name[n] == '.') return Match(t + 1, n + 1);
        return n == end && Match(t + 1, n);
    }
    return false;
  }

  std::size_t SkipQuestions(std::size_t t) const {
    while (t < m_tokens.size() && m_tokens[t].kind == Element::DosQuestion) ++t;
    return t;
  }

  std::vector<Token> m_tokens;
  std::vector<char32_t> m_name;
  std::vector<char> m_memo;
  std::size_t m_lastDot;
};

}  // namespace

bool HasWildcards(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*" || pattern == "*") return true;
  Matcher matcher(Translate(Characters(pattern)), Characters(name));
  return matcher.Match(0, 0);
}
