// Search over several archives at once, the small API that hosts call. Each
// archive is searched through its own index; results are merged by rank.
// An archive without a current index is indexed by a thread of the service in
// the background while the others answer, and tells so in the results (never
// holding up a request). Searches and suggestions run on the caller's thread,
// one at a time; the service may be asked from one thread only.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "search/ArchiveIndex.h"
#include "search/FoldingTokenizer.h"
#include "search/RegisteredArchives.h"
#include "search/SearchResult.h"

namespace search {

class SearchService {
 public:
  struct Options {
    std::string indexFolder;  // "" for IndexFolder()
    // Archives searched beside the fixed ones (RegisteredArchives for the
    // catalog), asked again when the last answer is older than a second; may be
    // empty.
    std::function<std::vector<SearchableArchive>()> moreArchives;
    // False where another process builds the indexes (the parent of a host's
    // worker processes): a missing or stale index is reported as pending only.
    bool buildIndexes = true;
  };

  SearchService(std::vector<SearchableArchive> archives, Options options);
  ~SearchService();  // stops a build under way and waits for the thread
  SearchService(const SearchService&) = delete;
  SearchService& operator=(const SearchService&) = delete;

  // Replaces the archives searched beside moreArchives.
  void SetArchives(std::vector<SearchableArchive> archives) { m_archives = std::move(archives); }
  // Starts building the missing and stale indexes of every archive.
  void Prepare();
  // The LIMIT best pages for TEXT in the archive named ARCHIVE ("" for all);
  // FILE, when given, keeps to the archive of that path as the service lists it
  // (two archives may share a name).
  SearchResults Search(std::string_view text, std::string_view archive, std::size_t limit,
                       std::string_view file = {});
  // Up to LIMIT titles and symbols for TEXT as typed so far, in the same archives.
  std::vector<Suggestion> Suggest(std::string_view text, std::string_view archive,
                                  std::size_t limit, std::string_view file = {});
  // Waits until no index is waiting or being built.
  void WaitUntilIdle();

 private:
  struct Usable {
    SearchableArchive archive;
    ArchiveIndex* index;
  };
  // The archives asked for, with their indexes where they are current; the
  // others are queued for building and named in RESULTS.
  std::vector<Usable> IndexesFor(std::string_view archive, std::string_view file,
                                 SearchResults& results);
  ArchiveIndex* IndexOf(const SearchableArchive& archive, SearchResults& results);
  void Queue(const std::string& path);
  void BuildQueued();

  std::vector<SearchableArchive> m_archives;
  Options m_options;
  std::vector<SearchableArchive> m_more;  // the last answer of moreArchives
  std::chrono::steady_clock::time_point m_moreAsked;
  FoldingTokenizer m_tokenizer;
  std::map<std::string, std::unique_ptr<ArchiveIndex>> m_open;  // by archive path

  std::mutex m_mutex;  // guards what the builder thread shares
  std::condition_variable m_changed;
  std::deque<std::string> m_queue;
  std::string m_building;
  struct Failure {
    ArchiveIdentity identity;  // of the file that failed; a changed file is tried again
    std::string message;
  };
  std::map<std::string, Failure> m_failures;  // by archive path
  std::atomic<bool> m_stop{false};
  std::thread m_builder;
};

}  // namespace search
