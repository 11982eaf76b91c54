#include "reader/CacheEntryList.h"

#include "base/AutoInit.h"
#include "platform/SystemError.h"
#include "platform/UrlCache.h"

namespace {

constinit vxs::AutoInit<CacheEntryList> g_instance;

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

CacheEntryList& CacheEntryList::Instance() { return g_instance.Get(); }

void CacheEntryList::Destroy() {
  g_instance.Get().Clear();  // an empty list deletes nothing
  g_instance.Destroy();
}
