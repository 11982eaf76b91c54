#include "host/ResponseCache.h"

#include <sys/stat.h>

std::optional<FileStamp> StampOfFile(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileStamp{
      status.st_dev, status.st_ino, static_cast<std::int64_t>(status.st_size),
      static_cast<std::int64_t>(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec};
}

std::shared_ptr<const CachedAnswer> ResponseCache::Find(const std::string& key) {
  auto found = m_entries.find(key);
  if (found == m_entries.end()) return nullptr;
  Order::iterator entry = found->second;
  if (StampOfFile(entry->archivePath) != entry->stamp) {
    Drop(entry);
    return nullptr;
  }
  m_order.splice(m_order.begin(), m_order, entry);
  return entry->answer;
}

void ResponseCache::Store(const std::string& key, const std::string& archivePath,
                          const FileStamp& stamp, std::shared_ptr<const CachedAnswer> answer) {
  if (auto found = m_entries.find(key); found != m_entries.end()) Drop(found->second);
  const ResponseBody& body = *answer->body;
  if (!body.InMemory() || body.Size() > m_entryBound || body.Size() > m_byteBound) return;
  while (m_bytes + body.Size() > m_byteBound) Drop(std::prev(m_order.end()));
  m_order.push_front({key, archivePath, stamp, std::move(answer)});
  m_entries.emplace(key, m_order.begin());
  m_bytes += body.Size();
}

void ResponseCache::Clear() {
  m_entries.clear();
  m_order.clear();
  m_bytes = 0;
}

void ResponseCache::Drop(Order::iterator entry) {
  m_bytes -= entry->answer->body->Size();
  m_entries.erase(entry->key);
  m_order.erase(entry);
}
