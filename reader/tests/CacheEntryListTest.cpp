#include "reader/CacheEntryList.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/SystemTime.h"
#include "platform/UrlCache.h"

namespace fs = std::filesystem;

namespace {

class CacheEntryListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vxentrylist-XXXXXX";
    m_root = mkdtemp(pattern);
    setenv("VXST_CACHE_DIR", (m_root / "cache").c_str(), 1);
  }
  void TearDown() override {
    SetUrlCacheAccessRefused(false);
    unsetenv("VXST_CACHE_DIR");
    fs::remove_all(m_root);
  }

  // Makes a committed cache entry for URL, as a delivery object does.
  std::string Commit(const std::string& url) {
    char name[URL_CACHE_FILE_NAME_SIZE];
    EXPECT_TRUE(CreateUrlCacheEntryA(url.c_str(), 0, "pdf", name, 0));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    FILETIME expire = FileTimeFromUInt64(FileTimeToUInt64(now) + 30 * kFileTimeUnitsPerSecond);
    EXPECT_TRUE(CommitUrlCacheEntryA(url.c_str(), name, expire, now, NORMAL_CACHE_ENTRY,
                                     nullptr, 0, nullptr, nullptr));
    return name;
  }

  static std::string Url(int i) { return "vexost://Manual/doc" + std::to_string(i) + ".pdf"; }

  fs::path m_root;
};

TEST_F(CacheEntryListTest, ClearDeletesEveryEntryAndEmptiesTheList) {
  CacheEntryList list;
  std::string a = Commit(Url(1));
  list.Add(Url(1));
  std::string b = Commit(Url(2));
  list.Add(Url(2));
  list.Add(Url(2));  // once in the set, counted twice
  EXPECT_EQ(list.Urls().size(), 2u);
  EXPECT_EQ(list.Counter(), 3u);
  list.Clear();
  EXPECT_TRUE(list.Urls().empty());
  EXPECT_EQ(list.Counter(), 3u);
  EXPECT_FALSE(fs::exists(a));
  EXPECT_FALSE(fs::exists(b));
  // Destroying the module's list clears it.
  a = Commit(Url(1));
  CacheEntryList::Instance().Add(Url(1));
  CacheEntryList::Destroy();
  EXPECT_FALSE(fs::exists(a));
  EXPECT_TRUE(CacheEntryList::Instance().Urls().empty());
  CacheEntryList::Destroy();
}

TEST_F(CacheEntryListTest, TheTwentyFifthAdditionClearsAtOnce) {
  CacheEntryList list;
  std::vector<std::string> files;
  for (int i = 1; i <= 24; ++i) {
    list.Add(Url(i));
    files.push_back(Commit(Url(i)));
  }
  EXPECT_EQ(list.Urls().size(), 24u);
  EXPECT_EQ(list.Counter(), 24u);

  // The 25th URL is added before its entry is committed: the clearing it starts
  // finds no entry for it and keeps it for the next clearing.
  list.Add(Url(25));
  std::string last = Commit(Url(25));
  EXPECT_EQ(list.Counter(), 0u);
  ASSERT_EQ(list.Urls().size(), 1u);
  EXPECT_EQ(*list.Urls().begin(), Url(25));
  for (const std::string& f : files) EXPECT_FALSE(fs::exists(f)) << f;
  EXPECT_TRUE(fs::exists(last));

  list.Clear();
  EXPECT_TRUE(list.Urls().empty());
  EXPECT_FALSE(fs::exists(last));
}

TEST_F(CacheEntryListTest, FailedDeletionsAreKeptUnlessAccessIsRefused) {
  CacheEntryList list;
  std::string file = Commit(Url(1));
  list.Add(Url(1));
  list.Add(Url(2));  // never committed: its deletion fails

  // A cache folder that cannot be reached fails every deletion: all are kept.
  std::ofstream(m_root / "not-a-folder") << "x";
  setenv("VXST_CACHE_DIR", (m_root / "not-a-folder").c_str(), 1);
  list.Clear();
  EXPECT_EQ(list.Urls().size(), 2u);

  setenv("VXST_CACHE_DIR", (m_root / "cache").c_str(), 1);
  list.Clear();
  ASSERT_EQ(list.Urls().size(), 1u);
  EXPECT_EQ(*list.Urls().begin(), Url(2));
  EXPECT_FALSE(fs::exists(file));

  // Refused access forgets the URL.
  std::string refusedFile = Commit(Url(3));
  list.Add(Url(3));
  SetUrlCacheAccessRefused(true);
  list.Clear();
  EXPECT_TRUE(list.Urls().empty());
  SetUrlCacheAccessRefused(false);
  EXPECT_TRUE(fs::exists(refusedFile));
}

}  // namespace
