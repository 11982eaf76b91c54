#include "search/IndexBuilder.h"

#include <sqlite3.h>
#include <signal.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unordered_map>

#include "archive/VxbFile.h"
#include "base/KelException.h"
#include "base/KelFile.h"
#include "platform/SystemError.h"
#include "search/IndexLocation.h"
#include "search/IndexSchema.h"
#include "search/PageText.h"
#include "search/SqliteDatabase.h"
#include "search/SymbolNames.h"
#include "search/TitleText.h"
#include "search/TopicPages.h"

namespace search {

namespace {

// Titles read before the common suffix is chosen; the pages wait in memory.
constexpr std::size_t kSuffixSample = 256;

constexpr const char* kSchema =
    "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA page_size = 4096;"
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value) WITHOUT ROWID;"
    "CREATE TABLE pages(id INTEGER PRIMARY KEY, slot INTEGER NOT NULL, path TEXT NOT NULL,"
    " title TEXT NOT NULL, head TEXT NOT NULL, rest BLOB NOT NULL);"
    "CREATE VIRTUAL TABLE text USING fts5(title, symbols, headings, body, content='', detail=column,"
    " tokenize='unicode61 remove_diacritics 2');"
    // The text's segments are merged into one at the end ('optimize'): merging
    // them on the way as well, four at a time, would write the same words over
    // and over. Only a pile of 64 segments is merged before.
    "INSERT INTO text(text, rank) VALUES('automerge', 0);"
    "INSERT INTO text(text, rank) VALUES('crisismerge', 64);"
    "CREATE VIRTUAL TABLE titles USING fts5(name, pages UNINDEXED,"
    " tokenize='unicode61 remove_diacritics 2', prefix='2 3');"
    "CREATE VIRTUAL TABLE symbols USING fts5(name, pages UNINDEXED,"
    " tokenize='unicode61 remove_diacritics 2', prefix='2 3');"
    "BEGIN;";

struct Page {
  std::uint32_t slot;
  std::string path;
  PageText text;
};

// How much of TEXT is kept when at most LIMIT bytes are: up to the last blank
// before LIMIT, so that no word is cut.
std::size_t CutLength(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  const std::size_t blank = text.rfind(' ', limit);
  if (blank != std::string_view::npos && blank > 0) return blank;
  // Text without blanks (some scripts use none) is cut where a character begins.
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

// TEXT packed with zlib at its fastest level: a few kilobytes of text a page,
// where a stronger level would save little room and cost a build much time.
std::string Packed(std::string_view text) {
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::string packed(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()),
                Z_BEST_SPEED) != Z_OK)
    throw new CKelException(1014);
  packed.resize(size);
  return packed;
}

// The distinct names of one kind, each with the pages that carry it, written at
// the end numbered shortest first. Archives often repeat a name on many pages
// (the same title in every version of a manual): each is ranked once.
class DistinctNames {
 public:
  void Add(const std::string& name, std::int64_t page) {
    std::vector<std::int64_t>& pages = m_pages[name];
    if (pages.size() < kPagesPerName && (pages.empty() || pages.back() != page))
      pages.push_back(page);
  }

  void Write(SqliteDatabase& db, const char* table) {
    std::vector<const std::pair<const std::string, std::vector<std::int64_t>>*> names;
    names.reserve(m_pages.size());
    for (const auto& entry : m_pages) names.push_back(&entry);
    std::sort(names.begin(), names.end(), [](const auto* a, const auto* b) {
      if (a->first.size() != b->first.size()) return a->first.size() < b->first.size();
      if (a->second[0] != b->second[0]) return a->second[0] < b->second[0];
      return a->first < b->first;
    });
    SqliteStatement insert(db, ("INSERT INTO " + std::string(table) +
                                "(rowid, name, pages) VALUES(?1, ?2, ?3)").c_str());
    std::int64_t row = 0;
    for (const auto* name : names) {
      std::string pages;
      for (std::int64_t page : name->second)
        pages += (pages.empty() ? "" : " ") + std::to_string(page);
      insert.Bind(1, ++row).Bind(2, name->first).Bind(3, pages).Run();
    }
    m_pages.clear();
  }

 private:
  std::unordered_map<std::string, std::vector<std::int64_t>> m_pages;
};

std::string Stem(const std::string& path) {
  const std::string name = path.substr(path.rfind('/') + 1);
  return name.substr(0, name.rfind('.'));
}

class IndexWriter {
 public:
  IndexWriter(const std::string& path)
      : m_db(path, SqliteDatabase::Mode::Create),
        m_page((m_db.Execute(kSchema), m_db),
               "INSERT INTO pages(id, slot, path, title, head, rest) VALUES(?1, ?2, ?3, ?4, ?5, ?6)"),
        m_text(m_db, "INSERT INTO text(rowid, title, symbols, headings, body) "
                     "VALUES(?1, ?2, ?3, ?4, ?5)"),
        m_meta(m_db, "INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)") {}

  void SetTitleSuffix(std::string suffix) { m_suffix = std::move(suffix); }

  void Add(const Page& page) {
    const std::int64_t id = ++m_pages;
    std::string title = WithoutSuffix(page.text.title, m_suffix);
    if (title.empty()) title = Stem(page.path);
    const std::string indexedTitle = WithoutSectionNumber(title);
    std::string symbols = Stem(page.path);
    for (const std::string& anchor : page.text.anchors) {
      if (IsGeneratedAnchor(anchor)) continue;
      const std::string symbol(SymbolOf(anchor));
      symbols += ' ';
      symbols += symbol;
      if (IsSymbolName(symbol)) m_symbols.Add(symbol, id);
    }
    m_titles.Add(indexedTitle, id);
    std::string headings;
    for (const std::string& heading : page.text.headings) headings += heading + '\n';
    const std::string_view body = page.text.body;
    const std::size_t head = CutLength(body, kPageHead);
    m_page.Bind(1, id).Bind(2, static_cast<std::int64_t>(page.slot)).Bind(3, page.path).Bind(4, title);
    m_page.Bind(5, body.substr(0, head));
    m_page.BindBlob(6, Packed(body.substr(head, CutLength(body, kSnippetText) - head))).Run();
    m_text.Bind(1, id).Bind(2, indexedTitle).Bind(3, symbols).Bind(4, headings);
    m_text.Bind(5, page.text.body).Run();
  }

  void Meta(const char* key, const std::string& value) { m_meta.Bind(1, key).Bind(2, value).Run(); }

  // Merges each full-text index into one segment and writes a compact copy of
  // the whole to TARGET (the working file keeps the pages the merges freed).
  void Finish(const std::string& target) {
    m_titles.Write(m_db, "titles");
    m_symbols.Write(m_db, "symbols");
    m_db.Execute("INSERT INTO text(text) VALUES('optimize');"
                 "INSERT INTO titles(titles) VALUES('optimize');"
                 "INSERT INTO symbols(symbols) VALUES('optimize');"
                 "COMMIT;");
    SqliteStatement(m_db, "VACUUM INTO ?1").Bind(1, target).Run();
  }

  std::uint32_t Pages() const { return static_cast<std::uint32_t>(m_pages); }

 private:
  SqliteDatabase m_db;
  SqliteStatement m_page;
  SqliteStatement m_text;
  DistinctNames m_titles;
  DistinctNames m_symbols;
  SqliteStatement m_meta;
  std::string m_suffix;
  std::int64_t m_pages = 0;
};

// The files of a build beside TARGET: the working file the tables are written
// to and the compact copy that is renamed to TARGET. Both are removed unless the
// copy was kept.
class TemporaryIndex {
 public:
  explicit TemporaryIndex(const std::string& target)
      : m_target(target),
        m_path(target + ".tmp" + std::to_string(::getpid())),
        m_work(m_path + "-work") {
    RemoveLeftovers();
  }
  ~TemporaryIndex() {
    std::remove(m_work.c_str());
    if (!m_kept) std::remove(m_path.c_str());
  }
  const std::string& Path() const { return m_path; }
  const std::string& WorkPath() const { return m_work; }
  void Keep() {
    if (std::rename(m_path.c_str(), m_target.c_str()) != 0)
      CKelFile::ThrowFileError(CKelFile(m_target), 1007, WinErrorFromErrno(errno), m_target);
    m_kept = true;
  }

 private:
  // Files of earlier builds of the same index whose process is gone (killed
  // before it could tidy up), and this process's own.
  void RemoveLeftovers() const {
    const std::size_t slash = m_target.rfind('/');
    const std::string folder = m_target.substr(0, slash);
    const std::string prefix = m_target.substr(slash + 1) + ".tmp";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      const std::string name = entry.path().filename().string();
      if (!name.starts_with(prefix)) continue;
      const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
      if (pid == ::getpid() || (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH))
        std::filesystem::remove(entry.path(), error);
    }
  }

  std::string m_target;
  std::string m_path;
  std::string m_work;
  bool m_kept = false;
};

}  // namespace

IndexBuildResult BuildIndex(const std::string& archivePath, const IndexBuildOptions& options) {
  const std::optional<ArchiveIdentity> before = IdentityOfFile(archivePath);
  ThisVxbFile archive;
  archive.SetPath(archivePath);
  archive.LoadTopicTable();
  ArchiveIdentity identity = before.value_or(ArchiveIdentity{});
  identity.name = archive.GetArchiveName();

  IndexBuildResult result;
  result.indexPath = options.indexPath.empty() ? IndexPathOf(archivePath) : options.indexPath;
  CKelFile(result.indexPath.substr(0, result.indexPath.rfind('/'))).CreateFolders();
  TemporaryIndex temporary(result.indexPath);
  auto owner = std::make_unique<IndexWriter>(temporary.WorkPath());
  IndexWriter& writer = *owner;

  std::uint64_t total = 0;
  std::uint64_t done = 0;
  const std::vector<TopicPage> topics = HtmlTopics(archive, total);
  std::vector<Page> waiting;
  std::vector<std::string> sampleTitles;
  bool suffixChosen = false;
  const auto chooseSuffix = [&] {
    const std::string suffix = CommonTitleSuffix(sampleTitles);
    writer.SetTitleSuffix(suffix);
    writer.Meta("title_suffix", suffix);
    for (const Page& page : waiting) writer.Add(page);
    waiting.clear();
    suffixChosen = true;
  };
  for (const TopicPage& topic : topics) {
    if (options.cancel && options.cancel->load()) CKelAbortException::Throw(1);
    Page page{topic.slot, topic.path, {}};
    try {
      page.text = ExtractPageText(ReadTopicPage(archive, topic.slot));
    } catch (CKelException* e) {
      // A damaged topic is passed over; the others are still worth finding.
      std::unique_ptr<CKelException> owned(e);
      ++result.unreadable;
      if (options.onUnreadable) options.onUnreadable(topic.path, *owned);
      continue;
    }
    done += std::min(archive.GetSlot(topic.slot).expandedLength, kLargestPageRead);
    if (options.progress) options.progress(done, total);
    if (suffixChosen) {
      writer.Add(page);
      continue;
    }
    sampleTitles.push_back(page.text.title);
    waiting.push_back(std::move(page));
    if (waiting.size() == kSuffixSample) chooseSuffix();
  }
  if (!suffixChosen) chooseSuffix();
  writer.Meta("format", std::to_string(kIndexFormat));
  writer.Meta("path", identity.path);
  writer.Meta("size", std::to_string(identity.size));
  writer.Meta("modified", std::to_string(identity.modified));
  writer.Meta("name", identity.name);
  writer.Meta("title", archive.GetTitle());
  writer.Finish(temporary.Path());
  result.pages = writer.Pages();
  owner.reset();  // closed before it takes its place
  temporary.Keep();
  if (const std::optional<ArchiveIdentity> index = IdentityOfFile(result.indexPath))
    result.indexBytes = index->size;
  return result;
}

}  // namespace search
