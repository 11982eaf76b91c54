// The module-wide list of URLs whose URL cache entries the reader made, so that
// they can be deleted again. Every 25th addition clears the list.
#pragma once

#include <cstdint>
#include <set>
#include <string>

class CacheEntryList {
 public:
  static constexpr std::uint32_t kClearEvery = 25;

  // Remembers URL (once) and clears the list at every 25th addition.
  void Add(const std::string& url);

  // Deletes the cache entry of every URL, in order. A URL whose deletion fails is
  // kept for the next clearing (its entry may be committed only later), except
  // when access was refused.
  void Clear();

  const std::set<std::string>& Urls() const { return m_urls; }
  std::uint32_t Counter() const { return m_counter; }

  // The module's list, created on first use (vxs::AutoInit); Destroy clears and
  // frees it.
  static CacheEntryList& Instance();
  static void Destroy();

 private:
  std::set<std::string> m_urls;
  std::uint32_t m_counter = 0;
};
