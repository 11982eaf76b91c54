#include "search/SearchService.h"

#include <algorithm>

#include "base/KelErrorMessage.h"
#include "base/KelException.h"
#include "platform/CaseFold.h"
#include "search/IndexBuilder.h"

namespace search {

namespace {

constexpr auto kMoreArchivesKept = std::chrono::seconds(1);

std::string MessageOf(CKelException& failure) {
  CKelErrorMessage messages;
  messages.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
  return messages.Report(&failure);
}

std::string Labelled(const SearchableArchive& archive, const std::string& message) {
  return (archive.name.empty() ? archive.path : archive.name) + ": " + message;
}

}  // namespace

SearchService::SearchService(std::vector<SearchableArchive> archives, Options options)
    : m_archives(std::move(archives)), m_options(std::move(options)) {
  if (m_options.indexFolder.empty()) m_options.indexFolder = IndexFolder();
}

SearchService::~SearchService() {
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
    m_queue.clear();
  }
  m_changed.notify_all();
  if (m_builder.joinable()) m_builder.join();
}

void SearchService::Prepare() {
  SearchResults ignored;
  IndexesFor({}, {}, ignored);
}

std::vector<SearchService::Usable> SearchService::IndexesFor(std::string_view name,
                                                             std::string_view file,
                                                             SearchResults& results) {
  if (m_options.moreArchives) {
    // Reading the catalog costs more than a search: a second's answer is reused.
    const auto now = std::chrono::steady_clock::now();
    if (m_moreAsked == std::chrono::steady_clock::time_point() || now - m_moreAsked > kMoreArchivesKept) {
      m_more = m_options.moreArchives();
      m_moreAsked = now;
    }
  }
  const std::vector<SearchableArchive> archives = Joined(m_archives, m_more);
  std::vector<Usable> usable;
  for (const SearchableArchive& archive : archives) {
    if (!name.empty() && !EqualNoCase(archive.name, name)) continue;
    if (!file.empty() && archive.path != file) continue;
    ++results.archives;
    if (ArchiveIndex* index = IndexOf(archive, results)) usable.push_back({archive, index});
  }
  return usable;
}

ArchiveIndex* SearchService::IndexOf(const SearchableArchive& archive, SearchResults& results) {
  std::optional<ArchiveIdentity> identity = IdentityOfFile(archive.path);
  if (!identity) {
    CKelException missing(1001, archive.path);
    results.failures.push_back(Labelled(archive, MessageOf(missing)));
    return nullptr;
  }
  identity->name = archive.name;
  auto open = m_open.find(identity->path);
  if (open != m_open.end() && open->second->Identity().Matches(*identity)) return open->second.get();
  {
    std::lock_guard lock(m_mutex);
    if (m_building == identity->path ||
        std::find(m_queue.begin(), m_queue.end(), identity->path) != m_queue.end()) {
      results.pending.push_back(archive.name.empty() ? archive.path : archive.name);
      return nullptr;
    }
    auto failed = m_failures.find(identity->path);
    if (failed != m_failures.end()) {
      if (failed->second.identity.Matches(*identity)) {
        results.failures.push_back(Labelled(archive, failed->second.message));
        return nullptr;
      }
      m_failures.erase(failed);
    }
  }
  // The index on disk, when it belongs to the archive as it is now.
  const std::string indexPath = IndexPathOf(identity->path, m_options.indexFolder);
  if (IdentityOfFile(indexPath)) {
    try {
      auto index = std::make_unique<ArchiveIndex>(indexPath, m_tokenizer);
      if (index->Identity().Matches(*identity)) {
        ArchiveIndex* found = index.get();
        m_open[identity->path] = std::move(index);
        return found;
      }
    } catch (CKelException* e) {
      e->Delete();  // damaged or of another format: built again
    }
  }
  m_open.erase(identity->path);
  Queue(identity->path);
  results.pending.push_back(archive.name.empty() ? archive.path : archive.name);
  return nullptr;
}

void SearchService::Queue(const std::string& path) {
  {
    std::lock_guard lock(m_mutex);
    if (m_stop || !m_options.buildIndexes) return;
    m_queue.push_back(path);
    if (!m_builder.joinable()) m_builder = std::thread([this] { BuildQueued(); });
  }
  m_changed.notify_all();
}

void SearchService::BuildQueued() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [&] { return m_stop || !m_queue.empty(); });
    if (m_stop) return;
    m_building = m_queue.front();
    m_queue.pop_front();
    const std::string path = m_building;
    lock.unlock();
    std::optional<ArchiveIdentity> identity = IdentityOfFile(path);
    std::string failure;
    try {
      IndexBuildOptions options;
      options.indexPath = IndexPathOf(path, m_options.indexFolder);
      options.cancel = &m_stop;
      BuildIndex(path, options);
    } catch (CKelException* e) {
      std::unique_ptr<CKelException> owned(e);
      failure = MessageOf(*owned);
    } catch (CException* e) {
      e->Delete();  // cancelled, or out of memory: nothing to keep
    }
    lock.lock();
    if (!failure.empty() && identity) m_failures[path] = {*identity, failure};
    m_building.clear();
    m_changed.notify_all();
  }
}

void SearchService::WaitUntilIdle() {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [&] { return m_stop || (m_queue.empty() && m_building.empty()); });
}

SearchResults SearchService::Search(std::string_view text, std::string_view archive,
                                    std::size_t limit, std::string_view file) {
  SearchResults results;
  const std::vector<Usable> indexes = IndexesFor(archive, file, results);
  const auto gather = [&](std::string_view query, bool allowPartial) {
    for (const Usable& usable : indexes) {
      try {
        bool partial = false;
        std::vector<SearchHit> hits = usable.index->Search(query, limit, allowPartial, partial);
        results.partial = results.partial || partial;
        for (SearchHit& hit : hits) {
          hit.archive = usable.archive.name;
          results.hits.push_back(std::move(hit));
        }
      } catch (CKelException* e) {
        std::unique_ptr<CKelException> owned(e);
        results.failures.push_back(Labelled(usable.archive, MessageOf(*owned)));
      }
    }
  };
  gather(text, false);
  if (results.hits.empty()) gather(text, true);
  if (results.hits.empty()) {
    // Nothing as typed: the words the archives do hold that come closest.
    for (const Usable& usable : indexes) {
      try {
        const std::string respelled = usable.index->Respelled(text);
        if (respelled.empty()) continue;
        results.respelled = respelled;
        gather(respelled, true);
        break;
      } catch (CKelException* e) {
        e->Delete();
      }
    }
  }
  std::stable_sort(results.hits.begin(), results.hits.end(), RanksBefore);
  if (results.hits.size() > limit) results.hits.resize(limit);
  return results;
}

std::vector<Suggestion> SearchService::Suggest(std::string_view text, std::string_view archive,
                                               std::size_t limit, std::string_view file) {
  SearchResults ignored;
  std::vector<Suggestion> suggestions;
  for (const Usable& usable : IndexesFor(archive, file, ignored)) {
    try {
      for (Suggestion& suggestion : usable.index->Suggest(text, limit)) {
        suggestion.archive = usable.archive.name;
        suggestions.push_back(std::move(suggestion));
      }
    } catch (CKelException* e) {
      e->Delete();
    }
  }
  SortSuggestions(suggestions, text, m_tokenizer);
  if (suggestions.size() > limit) suggestions.resize(limit);
  return suggestions;
}

}  // namespace search
