#include "reader/CacheEntryList.h"

#include <memory>

#include "platform/SystemError.h"
#include "platform/UrlCache.h"

namespace {

std::unique_ptr<CacheEntryList> g_instance;

bool IsDeletionSettled(const std::string& url) {
  return DeleteUrlCacheEntry(url.c_str()) || GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace

void CacheEntryList::Add(const std::string& url) {
  m_urls.insert(url);
  if (++m_counter == kClearEvery) {
    Clear();
    m_counter = 0;
  }
}

void CacheEntryList::Clear() { std::erase_if(m_urls, IsDeletionSettled); }

CacheEntryList& CacheEntryList::Instance() {
  if (!g_instance) g_instance = std::make_unique<CacheEntryList>();
  return *g_instance;
}

void CacheEntryList::Destroy() {
  if (!g_instance) return;
  g_instance->Clear();
  g_instance.reset();
}
