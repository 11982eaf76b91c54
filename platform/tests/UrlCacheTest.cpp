#include "platform/UrlCache.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/SystemError.h"
#include "platform/SystemTime.h"
#include "platform/UrlCacheIndex.h"

namespace fs = std::filesystem;

namespace {

FILETIME SecondsFromNow(long long seconds) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeFromUInt64(FileTimeToUInt64(now) + seconds * kFileTimeUnitsPerSecond);
}

class UrlCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vxurlcache-XXXXXX";
    m_root = mkdtemp(pattern);
    m_folder = m_root / "cache";
    setenv("VXST_CACHE_DIR", m_folder.c_str(), 1);
  }
  void TearDown() override {
    SetUrlCacheAccessRefused(false);
    unsetenv("VXST_CACHE_DIR");
    fs::remove_all(m_root);
  }

  // Creates an entry for URL with EXTENSION, writes TEXT into it and commits it.
  std::string Store(const std::string& url, const char* extension, const std::string& text,
                    FILETIME expire = SecondsFromNow(30)) {
    char name[URL_CACHE_FILE_NAME_SIZE];
    EXPECT_TRUE(CreateUrlCacheEntryA(url.c_str(), 0, extension, name, 0)) << GetLastError();
    std::ofstream(name, std::ios::binary) << text;
    EXPECT_TRUE(CommitUrlCacheEntryA(url.c_str(), name, expire, SecondsFromNow(0),
                                     NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr))
        << GetLastError();
    return name;
  }

  std::set<std::string> FilesIn(const fs::path& folder) const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename());
    return names;
  }

  fs::path m_root;
  fs::path m_folder;
};

TEST_F(UrlCacheTest, StoresLooksUpAndDeletesAnEntry) {
  std::string file = Store("vexost://Manual/doc.pdf", "PDF", "data");
  EXPECT_EQ(fs::path(file).parent_path(), m_folder);
  EXPECT_EQ(fs::path(file).extension(), ".PDF");

  UrlCacheEntryInfo info;
  ASSERT_TRUE(GetUrlCacheEntryInfo("vexost://Manual/doc.pdf", &info));
  EXPECT_EQ(info.localFileName, file);
  EXPECT_EQ(info.cacheEntryType, NORMAL_CACHE_ENTRY);

  EXPECT_TRUE(DeleteUrlCacheEntry("vexost://Manual/doc.pdf"));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_FALSE(GetUrlCacheEntryInfo("vexost://Manual/doc.pdf", &info));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(DeleteUrlCacheEntry("vexost://Manual/doc.pdf"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  // The extension is kept, cleaned.
  EXPECT_EQ(fs::path(Store("u1", "xls", "")).extension(), ".xls");
  EXPECT_EQ(fs::path(Store("u2", ".pdf", "")).extension(), ".pdf");
  EXPECT_EQ(fs::path(Store("u3", "../../sh", "")).extension(), ".sh");
  EXPECT_EQ(fs::path(Store("u4", "", "")).extension(), "");
  EXPECT_EQ(SanitizeCacheExtension("a b/c.d_e-f"), "abcd_e-f");
  EXPECT_EQ(SanitizeCacheExtension(std::string(40, 'x')), std::string(16, 'x'));
}

TEST_F(UrlCacheTest, HostileUrlsExtensionsAndIndexesTouchNoFileOutsideTheFolder) {
  const std::vector<std::string> urls = {
      "vexost://file:../../../etc/passwd",   "../../escape.pdf",
      "/absolute/path/x.xls",                "vexost://a/b/../../../c.doc",
      "vexost://x/%2e%2e%2f%2e%2e%2fy.pdf",  "vexost://line\nbreak and blank%/z",
      "vexost://file:C:\\..\\..\\win.xls"};
  const std::vector<const char*> extensions = {"../../pdf", "a/b", ".pdf", "p d\nf",
                                               "..",        "",    nullptr};
  for (const std::string& url : urls)
    for (const char* extension : extensions) {
      std::string file = Store(url, extension, "x");
      EXPECT_EQ(fs::path(file).parent_path(), m_folder) << url;
      EXPECT_TRUE(IsCacheFileName(fs::path(file).filename().string())) << file;
    }
  EXPECT_EQ(FilesIn(m_root), std::set<std::string>{"cache"});
  UrlCacheEntryInfo info;
  ASSERT_TRUE(GetUrlCacheEntryInfo("vexost://line\nbreak and blank%/z", &info));
  // Altered or damaged indexes harm nothing.
  fs::create_directories(m_folder);
  std::ofstream(m_root / "victim") << "keep";
  std::ofstream(m_folder / "index") << "vexost-urlcache 1\n"
                                    << "C ../victim 1 0 0 1 evil\n"
                                    << "C 0123456789abcdef/../../victim 1 0 0 1 evil2\n"
                                    << "garbage line\n";
  EXPECT_FALSE(DeleteUrlCacheEntry("evil"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(DeleteUrlCacheEntry("evil2"));
  EXPECT_TRUE(fs::exists(m_root / "victim"));
  // A damaged index forgets its entries and their files.
  std::string file = Store("vexost://a/x.doc", "doc", "words");
  std::ofstream(m_folder / "index", std::ios::trunc) << "\x01\x02 not an index";
  EXPECT_FALSE(GetUrlCacheEntryInfo("vexost://a/x.doc", &info));
  Store("vexost://a/y.doc", "doc", "more");
  EXPECT_FALSE(fs::exists(file));
  // A reservation never committed is dropped; a recent one stays.
  std::ofstream(m_folder / "00000000000000aa.pdf") << "abandoned";
  std::ofstream(m_folder / "index", std::ios::trunc)
      << "vexost-urlcache 1\nP 00000000000000aa.pdf 1 0 0 0 u\n";
  char fresh[URL_CACHE_FILE_NAME_SIZE];
  ASSERT_TRUE(CreateUrlCacheEntryA("vexost://a/b.pdf", 0, "pdf", fresh, 0));
  EXPECT_FALSE(fs::exists(m_folder / "00000000000000aa.pdf"));
  EXPECT_TRUE(fs::exists(fresh));
}

TEST_F(UrlCacheTest, SurvivesARestartAndTheIndexRoundTripsEveryUrl) {
  std::string file = Store("vexost://Manual/sheet.xls", "XLS", "cells");
  // A new process knows nothing but what the folder holds.
  pid_t child = fork();
  if (child == 0) {
    UrlCacheEntryInfo info;
    bool found = GetUrlCacheEntryInfo("vexost://Manual/sheet.xls", &info) &&
                 info.localFileName == file;
    _exit(found && DeleteUrlCacheEntry("vexost://Manual/sheet.xls") ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_FALSE(fs::exists(m_folder / "index.tmp"));
  // The index round-trips every URL.
  std::vector<UrlCacheRecord> records = {
      {"0123456789abcdef.pdf", "vexost://a b/%41\n\t\x7f\xe4", true, 1, 2, 3, 1},
      {"fedcba9876543210", "x", false, 4, 0, 0, 0}};
  std::vector<UrlCacheRecord> back = ParseUrlCacheIndex(FormatUrlCacheIndex(records));
  ASSERT_EQ(back.size(), 2u);
  const auto fields = [](const UrlCacheRecord& r) {
    return std::tie(r.file, r.url, r.committed, r.created, r.expire, r.lastModified, r.entryType);
  };
  for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(fields(back[i]), fields(records[i])) << i;
}

TEST_F(UrlCacheTest, HonoursExpiryAndACommitReplacesTheEntryWithFilesOfTheCacheOnly) {
  std::string longGone = Store("vexost://a/old.pdf", "pdf", "", SecondsFromNow(-7200));
  Store("vexost://a/recent.pdf", "pdf", "", SecondsFromNow(-1));
  std::string lasting = Store("vexost://a/new.pdf", "pdf", "", SecondsFromNow(3600));
  std::string forever = Store("vexost://a/any.pdf", "pdf", "", FILETIME{0, 0});
  UrlCacheEntryInfo info;
  EXPECT_FALSE(GetUrlCacheEntryInfo("vexost://a/recent.pdf", &info));
  EXPECT_TRUE(GetUrlCacheEntryInfo("vexost://a/new.pdf", &info));
  EXPECT_TRUE(GetUrlCacheEntryInfo("vexost://a/any.pdf", &info));
  // A recently expired entry can still be deleted; one long expired is gone.
  EXPECT_TRUE(DeleteUrlCacheEntry("vexost://a/recent.pdf"));
  EXPECT_FALSE(fs::exists(longGone));
  EXPECT_FALSE(DeleteUrlCacheEntry("vexost://a/old.pdf"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(fs::exists(lasting));
  EXPECT_TRUE(fs::exists(forever));
  // A commit replaces the earlier entry.
  std::string first = Store("vexost://a/s.xls", "xls", "one");
  std::string second = Store("vexost://a/s.xls", "xls", "two");
  EXPECT_NE(first, second);
  EXPECT_FALSE(fs::exists(first));
  ASSERT_TRUE(GetUrlCacheEntryInfo("vexost://a/s.xls", &info));
  EXPECT_EQ(info.localFileName, second);
  // Only files the cache made are taken.
  std::ofstream(m_root / "outside.xls") << "x";
  const std::vector<std::string> foreign = {(m_root / "outside.xls").string(),
                                            (m_folder / ".." / "outside.xls").string(),
                                            (m_folder / "index").string(), ""};
  for (const std::string& name : foreign) {
    EXPECT_FALSE(CommitUrlCacheEntryA("vexost://a/s.xls", name.c_str(), SecondsFromNow(30),
                                      SecondsFromNow(0), NORMAL_CACHE_ENTRY, nullptr, 0,
                                      nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << name;
  }
  EXPECT_TRUE(fs::exists(m_root / "outside.xls"));
}

TEST_F(UrlCacheTest, RefusalsAndBadFoldersGiveWindowsErrorsAndTheFolderFollowsTheEnvironment) {
  std::string file = Store("vexost://a/s.xls", "xls", "one");
  SetUrlCacheAccessRefused(true);
  char name[URL_CACHE_FILE_NAME_SIZE];
  EXPECT_FALSE(CreateUrlCacheEntryA("vexost://a/t.xls", 0, "xls", name, 0));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteUrlCacheEntry("vexost://a/s.xls"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  SetUrlCacheAccessRefused(false);
  EXPECT_TRUE(fs::exists(file));
  EXPECT_TRUE(DeleteUrlCacheEntry("vexost://a/s.xls"));
  for (const auto& [url, buffer] : {std::pair<const char*, char*>{nullptr, name}, {"", name}, {"u", nullptr}}) {
    EXPECT_FALSE(CreateUrlCacheEntryA(url, 0, "pdf", buffer, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << (url ? url : "null") << (buffer ? "" : " no buffer");
  }

  fs::path deep = m_root / std::string(120, 'd') / std::string(120, 'e');
  setenv("VXST_CACHE_DIR", deep.c_str(), 1);
  EXPECT_FALSE(CreateUrlCacheEntryA("u", 0, "pdf", name, 0));
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);

  std::ofstream(m_root / "plainfile") << "x";
  setenv("VXST_CACHE_DIR", (m_root / "plainfile").c_str(), 1);
  EXPECT_FALSE(CreateUrlCacheEntryA("u", 0, "pdf", name, 0));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  // Without a folder of its own the cache follows the desktop's places.
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "/root";
  unsetenv("VXST_CACHE_DIR");
  setenv("XDG_CACHE_HOME", "/somewhere/cache/", 1);
  EXPECT_EQ(GetUrlCacheFolder(), "/somewhere/cache/vexost/urlcache");
  unsetenv("XDG_CACHE_HOME");
  setenv("HOME", "/home/reader", 1);
  EXPECT_EQ(GetUrlCacheFolder(), "/home/reader/.cache/vexost/urlcache");
  setenv("HOME", home.c_str(), 1);
}

TEST_F(UrlCacheTest, ConcurrentWritersLoseNothing) {
  auto writer = [&](int id) {
    for (int i = 0; i < 20; ++i) {
      std::string url = "vexost://t" + std::to_string(id) + "/" + std::to_string(i);
      char name[URL_CACHE_FILE_NAME_SIZE];
      if (!CreateUrlCacheEntryA(url.c_str(), 0, "pdf", name, 0)) return;
      CommitUrlCacheEntryA(url.c_str(), name, SecondsFromNow(3600), SecondsFromNow(0),
                           NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr);
    }
  };
  std::thread a(writer, 1), b(writer, 2);
  a.join();
  b.join();
  UrlCacheEntryInfo info;
  for (int id = 1; id <= 2; ++id)
    for (int i = 0; i < 20; ++i) {
      std::string url = "vexost://t" + std::to_string(id) + "/" + std::to_string(i);
      EXPECT_TRUE(GetUrlCacheEntryInfo(url.c_str(), &info)) << url;
    }
  EXPECT_EQ(FilesIn(m_folder).size(), 40u + 2u);  // entries, index and lock
}

}  // namespace
