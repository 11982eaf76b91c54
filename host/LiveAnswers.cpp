#include "host/LiveAnswers.h"

#include <iterator>

std::shared_ptr<const CachedAnswer> LiveAnswers::Find(const std::string& key,
                                                      const FileStamp& stamp) {
  auto found = m_entries.find(key);
  if (found == m_entries.end()) return nullptr;
  const Entry& entry = found->second;
  std::shared_ptr<const ResponseBody> body = entry.body.lock();
  if (!body || entry.stamp != stamp) {
    m_entries.erase(found);
    return nullptr;
  }
  auto answer = std::make_shared<CachedAnswer>();
  answer->mimeType = entry.mimeType;
  answer->etag = entry.etag;
  answer->gzip = entry.gzip;
  answer->body = std::move(body);
  return answer;
}

void LiveAnswers::Keep(const std::string& key, const FileStamp& stamp, const CachedAnswer& answer) {
  m_entries.insert_or_assign(key,
                             Entry{stamp, answer.mimeType, answer.etag, answer.gzip, answer.body});
  if (m_entries.size() >= m_sweepAt) Sweep();
}

void LiveAnswers::Sweep() {
  for (auto entry = m_entries.begin(); entry != m_entries.end();)
    entry = entry->second.body.expired() ? m_entries.erase(entry) : std::next(entry);
  m_sweepAt = 2 * m_entries.size() + 64;
}
