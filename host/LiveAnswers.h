// Answers that clients are still receiving, by key, held weakly: a request for a
// topic whose answer is still on its way to another client takes that same
// body, so that a large topic drained into a temporary file exists once on disk
// however many clients read it at once. A body is forgotten with its last
// response; the answer cache (host/ResponseCache.h) is what keeps bodies longer.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "host/ResponseCache.h"

class LiveAnswers {
 public:
  // The answer kept under KEY while its body is alive and it was read from the
  // archive in the state STAMP; null otherwise.
  std::shared_ptr<const CachedAnswer> Find(const std::string& key, const FileStamp& stamp);
  // Notes ANSWER under KEY, read from the archive in the state STAMP.
  void Keep(const std::string& key, const FileStamp& stamp, const CachedAnswer& answer);

  std::size_t Count() const { return m_entries.size(); }

 private:
  struct Entry {
    FileStamp stamp;
    std::string mimeType;
    std::string etag;
    bool gzip = false;
    std::weak_ptr<const ResponseBody> body;
  };
  // Forgets the entries whose body is gone, once there are twice as many as
  // after the last sweep: the cost per Keep stays constant.
  void Sweep();

  std::unordered_map<std::string, Entry> m_entries;
  std::size_t m_sweepAt = 64;
};
