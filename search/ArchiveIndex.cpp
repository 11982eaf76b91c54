#include "search/ArchiveIndex.h"

#include <zlib.h>

#include <algorithm>
#include <map>
#include <unordered_map>

#include "base/KelException.h"
#include "base/KelFile.h"
#include "search/IndexSchema.h"
#include "search/PageText.h"
#include "search/TopicPages.h"
#include "search/Snippet.h"
#include "search/TitleText.h"

namespace search {

namespace {

constexpr std::size_t kTitleCandidates = 200;
constexpr std::size_t kSymbolCandidates = 50;
constexpr std::size_t kShortestSuggested = 2;
// Pages with a phrase's words that are checked for the phrase itself.
constexpr std::size_t kPhraseCandidates = 100;
// Kept text is cut at a blank before kSnippetText bytes, at most this far before.
constexpr std::size_t kLongestCutWord = 256;
constexpr std::size_t kRespelledWords = 6;
constexpr std::size_t kLongestRespelled = 40;

// The first LIMIT bytes of a text packed with zlib, cut where a UTF-8 character
// begins.
std::string Unpacked(std::string_view packed, std::size_t limit) {
  std::string text;
  text.resize(limit);
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return {};
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  stream.avail_in = static_cast<uInt>(packed.size());
  stream.next_out = reinterpret_cast<Bytef*>(text.data());
  stream.avail_out = static_cast<uInt>(limit);
  inflate(&stream, Z_SYNC_FLUSH);
  std::size_t size = limit - stream.avail_out;
  inflateEnd(&stream);
  if (stream.avail_out == 0) {
    // The last character may be cut: it goes.
    std::size_t start = size;
    while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) --start;
    if (start > 0 && static_cast<unsigned char>(text[start - 1]) >= 0xC0) size = start - 1;
  }
  text.resize(size);
  return text;
}

// Edit distance of A and B (adjacent swaps count one), or BOUND + 1 when larger.
std::size_t Distance(std::string_view a, std::string_view b, std::size_t bound) {
  if (a.size() > b.size() + bound || b.size() > a.size() + bound) return bound + 1;
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t rowBest = bound + 1;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      rowBest = std::min(rowBest, d[i][j]);
    }
    if (rowBest > bound) return bound + 1;
  }
  return d[a.size()][b.size()];
}

bool SameWords(const std::vector<std::string>& name, const std::vector<std::string>& query,
               bool lastIsPrefix) {
  if (name.size() != query.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const bool prefix = lastIsPrefix && i + 1 == name.size();
    if (prefix ? !name[i].starts_with(query[i]) : name[i] != query[i]) return false;
  }
  return true;
}

// The page numbers of a name's row, as the index lists them: "3 17 45".
std::vector<std::int64_t> PageNumbers(const std::string& list) {
  std::vector<std::int64_t> pages;
  const char* at = list.c_str();
  while (*at) {
    char* next = nullptr;
    const long long page = std::strtoll(at, &next, 10);
    if (next == at) break;
    pages.push_back(page);
    at = next;
  }
  return pages;
}

}  // namespace

struct ArchiveIndex::Candidate {
  std::int64_t page;
  MatchTier tier;
  double coverage;
  double score;  // bm25 of the names table for title and symbol tiers, else of the text
};

ArchiveIndex::ArchiveIndex(std::string path, const FoldingTokenizer& tokenizer)
    : m_db(std::move(path), SqliteDatabase::Mode::ReadOnly), m_tokenizer(tokenizer) {
  std::map<std::string, std::string> meta;
  {
    SqliteStatement read(m_db, "SELECT key, value FROM meta");
    while (read.Step()) meta[read.Text(0)] = read.Text(1);
  }
  if (meta["format"] != std::to_string(kIndexFormat))
    CKelFile::ThrowFileError(CKelFile(m_db.Path()), 1031, ERROR_INVALID_DATA,
                             " (an index of another format)");
  m_identity.path = meta["path"];
  m_identity.size = std::strtoull(meta["size"].c_str(), nullptr, 10);
  m_identity.modified = std::strtoll(meta["modified"].c_str(), nullptr, 10);
  m_identity.name = meta["name"];
  m_suffixWords = tokenizer.Words(meta["title_suffix"]);
  for (NameKind kind : {NameKind::Title, NameKind::Symbol}) {
    const std::string table = kind == NameKind::Title ? "titles" : "symbols";
    m_names[int(kind)] = std::make_unique<SqliteStatement>(
        m_db, ("SELECT pages, name, bm25(" + table + ") AS score FROM " + table + " WHERE " +
               table + " MATCH ?1 ORDER BY score LIMIT ?2").c_str());
    // Rows are numbered shortest name first: the first rows matched are the ones
    // to suggest, and the LIMIT ends the reading.
    m_shortest[int(kind)] = std::make_unique<SqliteStatement>(
        m_db, ("SELECT pages, name FROM " + table + " WHERE " + table +
               " MATCH ?1 ORDER BY rowid LIMIT ?2").c_str());
  }
  m_text = std::make_unique<SqliteStatement>(
      m_db, ("SELECT rowid, " + std::string(kTextRank) +
             " AS score FROM text WHERE text MATCH ?1 ORDER BY score LIMIT ?2").c_str());
  m_page = std::make_unique<SqliteStatement>(
      m_db, "SELECT path, title, head, slot FROM pages WHERE id = ?1");
  m_rest = std::make_unique<SqliteStatement>(m_db, "SELECT rest FROM pages WHERE id = ?1");

}

ArchiveIndex::~ArchiveIndex() = default;

SearchQuery ArchiveIndex::QueryOf(std::string_view text) const {
  SearchQuery query(text, m_tokenizer);
  query.DropTrailingWords(m_suffixWords);
  return query;
}

void ArchiveIndex::AddNameMatches(const SearchQuery& query, std::vector<Candidate>& candidates) {
  const std::vector<std::string> words = query.Words();
  const bool prefix = !query.Terms().empty() && query.Terms().back().prefix;
  std::unordered_map<std::int64_t, std::size_t> known;  // page -> its place in CANDIDATES
  for (std::size_t i = 0; i < candidates.size(); ++i) known.emplace(candidates[i].page, i);
  // Titles and symbols apart: an archive with many symbols that hold the words
  // must not crowd the titles out.
  for (NameKind kind : {NameKind::Title, NameKind::Symbol}) {
    SqliteStatement& names = *m_names[int(kind)];
    const bool title = kind == NameKind::Title;
    const std::size_t wanted = title ? kTitleCandidates : kSymbolCandidates;
    names.Bind(1, query.Expression(true, "name"));
    names.Bind(2, static_cast<std::int64_t>(wanted));
    std::size_t pagesSeen = 0;
    while (pagesSeen < wanted && names.Step()) {
      const std::string name = names.Text(1);
      const std::vector<std::string> nameWords = m_tokenizer.Words(name);
      // A title names its subject before its first separator ("json — JSON
      // encoder and decoder"): the query naming just that is the title too.
      const bool exact = SameWords(nameWords, words, prefix) ||
                         (title && SameWords(m_tokenizer.Words(LeadingPart(name)), words, prefix));
      const MatchTier tier = exact ? (title ? MatchTier::ExactTitle : MatchTier::ExactSymbol)
                                   : (title ? MatchTier::TitleWords : MatchTier::SymbolWords);
      const double coverage = exact || nameWords.empty()
                                  ? (exact ? 1.0 : 0.0)
                                  : std::min(1.0, double(words.size()) / double(nameWords.size()));
      const double score = names.Real(2);
      for (std::int64_t page : PageNumbers(names.Text(0))) {
        if (pagesSeen == wanted) break;
        ++pagesSeen;
        const Candidate candidate{page, tier, coverage, score};
        const auto [at, added] = known.emplace(page, candidates.size());
        if (added) {
          candidates.push_back(candidate);
          continue;
        }
        Candidate& before = candidates[at->second];
        if (tier < before.tier || (tier == before.tier && coverage > before.coverage))
          before = candidate;
      }
    }
    names.Reset();
  }
}

void ArchiveIndex::AddTextMatches(const std::string& expression, std::size_t limit,
                                  std::vector<Candidate>& candidates) {
  m_text->Bind(1, expression).Bind(2, static_cast<std::int64_t>(limit));
  while (m_text->Step()) {
    const std::int64_t page = m_text->Number(0);
    if (std::none_of(candidates.begin(), candidates.end(),
                     [&](const Candidate& c) { return c.page == page; }))
      candidates.push_back({page, MatchTier::Text, 0, m_text->Real(1)});
  }
  m_text->Reset();
}

std::vector<SearchHit> ArchiveIndex::Search(std::string_view text, std::size_t limit,
                                            bool allowPartial, bool& partial) {
  partial = false;
  const SearchQuery query = QueryOf(text);
  if (query.Empty() || limit == 0) return {};
  std::vector<Candidate> candidates;
  AddNameMatches(query, candidates);
  // Titles and symbols rank first: the text is asked only for what they leave.
  // The text holds no positions: pages that have a phrase's words are checked
  // for the phrase itself.
  const std::vector<std::vector<std::string>> phrases = query.Phrases();
  if (candidates.size() < limit) {
    const std::size_t named = candidates.size();
    AddTextMatches(query.Expression(true, {}, true), phrases.empty() ? limit : kPhraseCandidates,
                   candidates);
    if (!phrases.empty()) KeepPhraseHolders(candidates, named, phrases, limit);
  }
  if (candidates.empty() && allowPartial && query.Terms().size() > 1) {
    AddTextMatches(query.Expression(false, {}, true), limit, candidates);
    partial = !candidates.empty();
  }
  return Finish(candidates, query, limit);
}

void ArchiveIndex::KeepPhraseHolders(std::vector<Candidate>& candidates, std::size_t from,
                                     const std::vector<std::vector<std::string>>& phrases,
                                     std::size_t limit) {
  std::vector<Candidate> kept(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(from));
  std::sort(candidates.begin() + static_cast<std::ptrdiff_t>(from), candidates.end(),
            [](const Candidate& a, const Candidate& b) { return a.score < b.score; });
  for (std::size_t i = from; i < candidates.size() && kept.size() < limit; ++i)
    if (HoldsPhrases(candidates[i].page, phrases)) kept.push_back(candidates[i]);
  candidates = std::move(kept);
}

bool ArchiveIndex::HoldsPhrases(std::int64_t page,
                                const std::vector<std::vector<std::string>>& phrases) {
  m_page->Bind(1, page);
  std::string head;
  std::int64_t slot = -1;
  if (m_page->Step()) {
    head = m_page->Text(2);
    slot = m_page->Number(3);
  }
  m_page->Reset();
  const std::string text = KeptText(page, std::move(head));
  if (HasPhrases(text, phrases)) return true;
  // The text kept is all of it unless it was cut near kSnippetText bytes: then
  // the page itself is read from the archive.
  if (text.size() + kLongestCutWord < kSnippetText || slot < 0) return false;
  try {
    if (!m_archive) {
      auto archive = std::make_unique<ThisVxbFile>();
      archive->SetPath(m_identity.path);
      archive->LoadTopicTable();
      m_archive = std::move(archive);
    }
    return HasPhrases(ExtractPageText(ReadTopicPage(*m_archive, static_cast<std::uint32_t>(slot))).body,
                      phrases);
  } catch (CKelException* e) {
    e->Delete();  // an archive that cannot be read now cannot confirm the phrase
    m_archive.reset();
    return false;
  }
}

bool ArchiveIndex::HasPhrases(std::string_view text,
                              const std::vector<std::vector<std::string>>& phrases) const {
  const std::vector<std::string> words = m_tokenizer.Words(text);
  for (const std::vector<std::string>& phrase : phrases) {
    if (std::search(words.begin(), words.end(), phrase.begin(), phrase.end()) == words.end())
      return false;
  }
  return true;
}

std::vector<SearchHit> ArchiveIndex::Finish(std::vector<Candidate>& candidates,
                                            const SearchQuery& query, std::size_t limit) {
  std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    if (a.tier != b.tier) return a.tier < b.tier;
    if (a.coverage != b.coverage) return a.coverage > b.coverage;
    if (a.score != b.score) return a.score < b.score;
    return a.page < b.page;  // pages are numbered shortest path first
  });
  if (candidates.size() > limit) candidates.resize(limit);
  const std::vector<std::string> words = query.Words();
  const bool prefix = !query.Terms().empty() && query.Terms().back().prefix;
  std::vector<SearchHit> hits;
  for (const Candidate& candidate : candidates) {
    m_page->Bind(1, candidate.page);
    if (m_page->Step()) {
      SearchHit hit;
      hit.archive = m_identity.name;
      hit.archivePath = m_identity.path;
      hit.path = m_page->Text(0);
      hit.title = m_page->Text(1);
      // A page found by its title or a symbol is shown by its top when the words
      // are not there; only pages found by their text are read further.
      const bool textMatch = candidate.tier == MatchTier::Text;
      hit.snippet = SnippetOf(candidate.page, m_page->Text(2), words, prefix, textMatch);
      hit.tier = candidate.tier;
      hit.coverage = candidate.coverage;
      hit.score = candidate.score;
      hits.push_back(std::move(hit));
    }
    m_page->Reset();
  }
  return hits;
}

std::string ArchiveIndex::KeptText(std::int64_t page, std::string head) {
  m_rest->Bind(1, page);
  if (m_rest->Step()) head += Unpacked(m_rest->Blob(0), kSnippetText);
  m_rest->Reset();
  return head;
}

Snippet ArchiveIndex::SnippetOf(std::int64_t page, const std::string& head,
                                const std::vector<std::string>& words, bool prefix, bool readOn) {
  bool complete = false;
  Snippet snippet = MakeSnippet(head, words, prefix, m_tokenizer, &complete);
  // Not all words near the top: the rest of the text kept is read as well.
  if (!complete && readOn && head.size() + kLongestCutWord >= kPageHead)
    snippet = MakeSnippet(KeptText(page, head), words, prefix, m_tokenizer);
  return snippet;
}

std::vector<Suggestion> ArchiveIndex::Suggest(std::string_view text, std::size_t limit) {
  const SearchQuery query(text, m_tokenizer);
  // A single character names too much to be worth suggesting from, also when a
  // section number ("1. A") comes before it.
  std::size_t typed = 0;
  for (const std::string& word : query.Words()) typed += word.size();
  if (limit == 0 || typed < kShortestSuggested) return {};
  std::vector<Suggestion> suggestions;
  std::vector<std::int64_t> pages;
  // The shortest names that begin with the words typed, then, when they are
  // fewer than LIMIT, the shortest that hold them anywhere.
  for (const std::string& expression :
       {query.BeginningExpression("name"), query.Expression(true, "name")}) {
    for (NameKind kind : {NameKind::Title, NameKind::Symbol}) {
      SqliteStatement& names = *m_shortest[int(kind)];
      names.Bind(1, expression).Bind(2, static_cast<std::int64_t>(limit + suggestions.size()));
      while (names.Step()) {
        Suggestion suggestion;
        suggestion.text = names.Text(1);
        const std::vector<std::int64_t> named = PageNumbers(names.Text(0));
        if (named.empty() || std::any_of(suggestions.begin(), suggestions.end(),
                        [&](const Suggestion& s) { return s.text == suggestion.text; }))
          continue;
        suggestion.kind = kind;
        suggestion.archive = m_identity.name;
        suggestion.archivePath = m_identity.path;
        suggestions.push_back(std::move(suggestion));
        pages.push_back(named.front());
      }
      names.Reset();
    }
    if (suggestions.size() >= limit) break;
  }
  for (std::size_t i = 0; i < suggestions.size(); ++i) {
    m_page->Bind(1, pages[i]);
    if (m_page->Step()) suggestions[i].path = m_page->Text(0);
    m_page->Reset();
  }
  SortSuggestions(suggestions, text, m_tokenizer);
  if (suggestions.size() > limit) suggestions.resize(limit);
  return suggestions;
}

std::string ArchiveIndex::ClosestWord(const std::string& word) {
  SqliteStatement known(m_db, "SELECT 1 FROM temp.words WHERE term = ?1");
  if (known.Bind(1, word).Step()) return word;
  const std::size_t bound = word.size() <= 4 ? 1 : 2;
  SqliteStatement all(m_db, "SELECT term, doc FROM temp.words");
  std::string best = word;
  std::size_t bestDistance = bound + 1;
  std::int64_t bestPages = 0;
  while (all.Step()) {
    const std::string term = all.Text(0);
    const std::size_t distance = Distance(word, term, bound);
    if (distance < bestDistance || (distance == bestDistance && distance <= bound && all.Number(1) > bestPages))
      best = term, bestDistance = distance, bestPages = all.Number(1);
  }
  return best;
}

std::string ArchiveIndex::Respelled(std::string_view text) {
  const SearchQuery query = QueryOf(text);
  if (query.Empty()) return {};
  m_db.Execute("CREATE VIRTUAL TABLE IF NOT EXISTS temp.words USING fts5vocab(main, text, row)");
  std::string respelled;
  bool changed = false;
  std::size_t looked = 0;
  for (const std::string& word : query.Words()) {
    // Each word costs a pass over the vocabulary: only the first few are
    // looked up, and none too long to be a misspelling of a word.
    const bool lookUp = looked < kRespelledWords && word.size() <= kLongestRespelled;
    looked += lookUp;
    const std::string closest = lookUp ? ClosestWord(word) : word;
    changed = changed || closest != word;
    respelled += (respelled.empty() ? "" : " ") + closest;
  }
  return changed ? respelled : std::string();
}

std::unique_ptr<ArchiveIndex> OpenCurrentIndex(const std::string& archivePath,
                                               const FoldingTokenizer& tokenizer,
                                               const std::string& folder) {
  const std::optional<ArchiveIdentity> identity = IdentityOfFile(archivePath);
  const std::string path = IndexPathOf(archivePath, folder);
  if (!identity || !IdentityOfFile(path)) return nullptr;
  try {
    auto index = std::make_unique<ArchiveIndex>(path, tokenizer);
    if (index->Identity().Matches(*identity)) return index;
  } catch (CKelException* e) {
    e->Delete();
  }
  return nullptr;
}

void SortSuggestions(std::vector<Suggestion>& suggestions, std::string_view text,
                     const FoldingTokenizer& tokenizer) {
  const std::string typed = tokenizer.Folded(text);
  std::vector<std::pair<bool, Suggestion>> keyed;
  for (Suggestion& suggestion : suggestions)
    keyed.emplace_back(tokenizer.Folded(suggestion.text).starts_with(typed), std::move(suggestion));
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first;
    return a.second.text.size() < b.second.text.size();
  });
  suggestions.clear();
  for (auto& [begins, suggestion] : keyed) suggestions.push_back(std::move(suggestion));
}

}  // namespace search
