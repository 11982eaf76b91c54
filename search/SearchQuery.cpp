#include "search/SearchQuery.h"

#include "search/TitleText.h"

namespace search {

namespace {

std::string Quoted(const std::string& word) {
  std::string quoted = "\"";
  for (char c : word) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string TermExpression(const QueryTerm& term, bool phrasesAsWords) {
  const bool grouped = phrasesAsWords && term.words.size() > 1;
  std::string expression;
  for (const std::string& word : term.words) {
    if (!expression.empty()) expression += grouped ? " AND " : " + ";
    expression += Quoted(word);
  }
  if (grouped) return "(" + expression + ")";
  return term.prefix ? expression + " *" : expression;
}

}  // namespace

SearchQuery::SearchQuery(std::string_view text, const FoldingTokenizer& tokenizer) {
  const std::string plain = WithoutSectionNumber(text);
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t at = 0; at <= plain.size(); ++at) {
    if (at < plain.size() && plain[at] != '"') continue;
    const std::string_view part = std::string_view(plain).substr(start, at - start);
    if (quoted) {
      QueryTerm phrase;
      phrase.words = tokenizer.Words(part);
      if (!phrase.words.empty()) m_terms.push_back(std::move(phrase));
    } else {
      for (std::string& word : tokenizer.Words(part)) m_terms.push_back({{std::move(word)}, false});
    }
    quoted = !quoted;
    start = at + 1;
  }
  // The last word grows while it is typed: it is a prefix unless something
  // (a blank, a closing quote) follows it.
  const bool typing = !plain.empty() && plain.back() != ' ' && plain.back() != '"';
  if (typing && !m_terms.empty() && m_terms.back().words.size() == 1)
    m_terms.back().prefix = true;
}

std::vector<std::string> SearchQuery::Words() const {
  std::vector<std::string> words;
  for (const QueryTerm& term : m_terms) words.insert(words.end(), term.words.begin(), term.words.end());
  return words;
}

void SearchQuery::DropTrailingWords(const std::vector<std::string>& suffixWords) {
  if (suffixWords.empty() || m_terms.size() <= suffixWords.size()) return;
  const std::size_t first = m_terms.size() - suffixWords.size();
  for (std::size_t i = 0; i < suffixWords.size(); ++i) {
    const QueryTerm& term = m_terms[first + i];
    if (term.words.size() != 1) return;
    const bool last = i + 1 == suffixWords.size();
    const std::string& word = term.words[0];
    if (last && term.prefix ? !suffixWords[i].starts_with(word) : word != suffixWords[i]) return;
  }
  m_terms.resize(first);
}

void SearchQuery::EndPrefix() {
  if (!m_terms.empty()) m_terms.back().prefix = false;
}

std::vector<std::vector<std::string>> SearchQuery::Phrases() const {
  std::vector<std::vector<std::string>> phrases;
  for (const QueryTerm& term : m_terms)
    if (term.words.size() > 1) phrases.push_back(term.words);
  return phrases;
}

std::string SearchQuery::Expression(bool all, std::string_view columns, bool phrasesAsWords) const {
  std::string expression;
  for (const QueryTerm& term : m_terms) {
    if (!expression.empty()) expression += all ? " AND " : " OR ";
    expression += TermExpression(term, phrasesAsWords);
  }
  if (columns.empty() || expression.empty()) return expression;
  return std::string(columns) + " : (" + expression + ")";
}

std::string SearchQuery::BeginningExpression(std::string_view column) const {
  std::string phrase;
  for (const std::string& word : Words()) phrase += (phrase.empty() ? "" : " + ") + Quoted(word);
  if (!m_terms.empty() && m_terms.back().prefix) phrase += " *";
  return std::string(column) + " : ^ " + phrase;
}

}  // namespace search
