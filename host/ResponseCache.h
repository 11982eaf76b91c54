// Complete answers of the reader for topics of archives whose file the host
// knows, kept by URL so that a page asked for again is sent without the reader:
// bounded by bytes, the least recently used dropped first, and each answer
// dropped as soon as its archive file is not the one it was read from (another
// size, time of change or file).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "host/ResponseBody.h"

// What tells one state of a file from another.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  std::int64_t size = 0;
  std::int64_t changeTime = 0;  // nanoseconds
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at PATH; nullopt when it cannot be read.
std::optional<FileStamp> StampOfFile(const std::string& path);

// One answer as kept: the body in memory, its type and entity tag.
struct CachedAnswer {
  std::string mimeType;
  std::shared_ptr<const ResponseBody> body;
  std::string etag;
  bool gzip = false;  // the body is the gzip form of the topic
};

class ResponseCache {
 public:
  // BYTEBOUND: all bodies together; ENTRYBOUND: the largest body kept.
  ResponseCache(std::size_t byteBound, std::size_t entryBound)
      : m_byteBound(byteBound), m_entryBound(entryBound) {}

  // The answer kept under KEY whose archive file is still as it was, or null.
  std::shared_ptr<const CachedAnswer> Find(const std::string& key);
  // Keeps ANSWER under KEY, read from the archive at ARCHIVEPATH while it had
  // STAMP; bodies not in memory or above the entry bound are not kept.
  void Store(const std::string& key, const std::string& archivePath, const FileStamp& stamp,
             std::shared_ptr<const CachedAnswer> answer);
  void Clear();

  std::size_t Bytes() const { return m_bytes; }
  std::size_t Count() const { return m_entries.size(); }

 private:
  struct Entry {
    std::string key;
    std::string archivePath;
    FileStamp stamp;
    std::shared_ptr<const CachedAnswer> answer;
  };
  using Order = std::list<Entry>;  // most recently used first

  void Drop(Order::iterator entry);

  std::size_t m_byteBound;
  std::size_t m_entryBound;
  std::size_t m_bytes = 0;
  Order m_order;
  std::unordered_map<std::string, Order::iterator> m_entries;
};
