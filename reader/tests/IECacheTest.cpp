#include "reader/IECache.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/KelException.h"
#include "platform/FileFaults.h"
#include "platform/UrlCache.h"
#include "reader/CacheEntryList.h"
#include "tools/vxb/ArchiveWriter.h"

namespace fs = std::filesystem;

namespace {

// Records what a delivery object tells the browser, in order.
class RecordingSink : public IInternetProtocolSink {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT Switch(PROTOCOLDATA*) override { return E_NOTIMPL; }
  HRESULT ReportProgress(ULONG status, LPCWSTR text) override {
    reports.push_back("progress " + std::to_string(status) + " " + text);
    return S_OK;
  }
  HRESULT ReportData(DWORD flags, ULONG progress, ULONG progressMax) override {
    reports.push_back("data " + std::to_string(flags) + " " + std::to_string(progress) + " " +
                      std::to_string(progressMax));
    return S_OK;
  }
  HRESULT ReportResult(HRESULT, DWORD, LPCWSTR) override { return S_OK; }

  std::vector<std::string> reports;
};

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

class IECacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vxiecache-XXXXXX";
    m_root = mkdtemp(pattern);
    setenv("VXST_CACHE_DIR", (m_root / "cache").c_str(), 1);
    m_topics = {{"sheet.xls", Pattern(70000)}, {"doc.pdf", Pattern(5000)}};
    stow::ArchiveProperties properties;
    properties.name = "Manual";
    properties.firmCode = 10;
    stow::ArchiveWriter writer(properties);
    for (const auto& [path, bytes] : m_topics) writer.AddBytes(path, bytes);
    writer.Write((m_root / "manual.vxb").string());
    m_archive.SetPath((m_root / "manual.vxb").string());
    m_archive.LoadTopicTable();
  }
  void TearDown() override {
    CacheEntryList::Destroy();
    SetUrlCacheAccessRefused(false);
    unsetenv("VXST_CACHE_DIR");
    fs::remove_all(m_root);
  }

  std::unique_ptr<IECache> Deliver(std::string path) {
    EXPECT_TRUE(m_archive.OpenTopic(-1, path)) << path;
    return CreateDeliveryObject(&m_sink, "vexost://Manual/" + path, &m_archive);
  }

  // Reads everything in pieces of SIZE bytes.
  static std::string ReadAll(IECache& delivery, std::uint32_t size = 4096) {
    std::string out;
    std::vector<char> piece(size);
    for (int guard = 0; guard < 100000; ++guard) {
      std::uint32_t count = 0;
      bool ended = delivery.Read(piece.data(), size, count);
      out.append(piece.data(), count);
      if (ended) return out;
    }
    ADD_FAILURE() << "no end";
    return out;
  }

  fs::path m_root;
  std::map<std::string, std::string> m_topics;
  ThisVxbFile m_archive;
  RecordingSink m_sink;
};

TEST_F(IECacheTest, CacheFailuresThrowTheGenericError) {
  SetUrlCacheAccessRefused(true);
  std::unique_ptr<IECache> delivery = Deliver("sheet.xls");
  try {
    delivery->Start();
    FAIL() << "no error";
  } catch (CKelException* e) {
    std::unique_ptr<CKelException> owned(e);
    EXPECT_EQ(e->m_code, 1000u);
    EXPECT_EQ(e->m_arg1, "CreateUrlCacheEntry failed.");
  }
  EXPECT_EQ(m_sink.reports, (std::vector<std::string>{"progress 22 application/msexcel"}));
  EXPECT_TRUE(CacheEntryList::Instance().Urls().empty());
}

TEST_F(IECacheTest, RepeatedRequestsReplaceTheEntryAndAreListedOnce) {
  std::string first, second;
  {
    std::unique_ptr<IECache> delivery = Deliver("sheet.xls");
    delivery->Start();
    first = delivery->GetCacheFileName();
  }
  {
    std::unique_ptr<IECache> delivery = Deliver("sheet.xls");
    delivery->Start();
    second = delivery->GetCacheFileName();
    EXPECT_EQ(ReadAll(*delivery), m_topics["sheet.xls"]);
    std::uint32_t after = 1;
    char probe[16];
    EXPECT_TRUE(delivery->Read(probe, sizeof probe, after)) << "a read after the end ends again";
    EXPECT_EQ(after, 0u);
  }
  // A placeholder is listed for clearing like a whole cache file.
  Deliver("doc.pdf")->Start();
  EXPECT_FALSE(fs::exists(first));
  EXPECT_TRUE(fs::exists(second));
  EXPECT_EQ(CacheEntryList::Instance().Urls(),
            (std::set<std::string>{"vexost://Manual/doc.pdf", "vexost://Manual/sheet.xls"}));
  EXPECT_EQ(CacheEntryList::Instance().Counter(), 3u);
  CacheEntryList::Instance().Clear();
  EXPECT_FALSE(fs::exists(second));
}

// A cache file that cannot be written whole: the failure is reported, the entry
// is neither committed nor listed, and the half-written file is gone.
class CacheFileFaultTest : public IECacheTest {
 protected:
  void ExpectNothingLeft(FileFault fault, std::uint32_t code) {
    // Not mapped, the archive's bytes are read, where the faults reach them.
    FileFaults faults;
    faults.Add({.call = os::FileCall::Map, .pathPart = "", .error = ERROR_NOT_ENOUGH_MEMORY});
    m_archive.LoadTopicTable();
    std::unique_ptr<IECache> delivery = Deliver("sheet.xls");
    faults.Add(std::move(fault));
    std::uint32_t thrown = 0;
    try {
      delivery->Start();
    } catch (CKelException* e) {
      thrown = e->m_code;
      delete e;
    }
    EXPECT_EQ(thrown, code);
    ASSERT_FALSE(delivery->GetCacheFileName().empty());
    EXPECT_FALSE(fs::exists(delivery->GetCacheFileName()));
    UrlCacheEntryInfo info;
    EXPECT_FALSE(GetUrlCacheEntryInfo("vexost://Manual/sheet.xls", &info));
    EXPECT_TRUE(CacheEntryList::Instance().Urls().empty());
  }
};

TEST_F(CacheFileFaultTest, AFaultWhileWritingLeavesNothing) {
  const std::string cache = (m_root / "cache").string();
  const std::tuple<const char*, FileFault, std::uint32_t> cases[] = {
      {"full disk", {.call = os::FileCall::Write, .pathPart = cache, .limit = 1000}, 1010},
      {"refused write", {.call = os::FileCall::Write, .pathPart = cache, .error = ERROR_ACCESS_DENIED, .skip = 1},
       1013},
      {"archive read error", {.call = os::FileCall::Read, .pathPart = "manual.vxb", .error = ERROR_READ_FAULT},
       1009},
      {"short archive read", {.call = os::FileCall::Read, .pathPart = "manual.vxb", .limit = 100}, 1009},
  };
  for (const auto& [what, fault, code] : cases) {
    SCOPED_TRACE(what);
    ExpectNothingLeft(fault, code);
  }
}

}  // namespace
