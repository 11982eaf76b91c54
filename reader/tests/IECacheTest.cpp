#include "reader/IECache.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
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
    m_topics = {{"a.GIF", Pattern(3000)},      {"doc.pdf", Pattern(100000)},
                {"sheet.xls", Pattern(70000)}, {"x.bmp", Pattern(10)},
                {"README", "no extension"},    {"page.htm", "<p>hello</p>"},
                {"notes.Doc", Pattern(5)},     {"empty.txt", ""}};
    stow::ArchiveProperties properties;
    properties.name = "Manual";
    properties.firmCode = 10;
    stow::ArchiveWriter writer(properties);
    for (const auto& [path, bytes] : m_topics) {
      fs::path source = m_root / ("source-" + std::to_string(writer_files_++));
      std::ofstream(source, std::ios::binary) << bytes;
      writer.AddFile(path, source.string(), bytes.size());
    }
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

  static std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  fs::path m_root;
  std::map<std::string, std::string> m_topics;
  int writer_files_ = 0;
  ThisVxbFile m_archive;
  RecordingSink m_sink;
};

const char* KindOf(IECache* delivery) {
  if (dynamic_cast<DummyFileCache*>(delivery)) return "placeholder file";
  if (dynamic_cast<FileCache*>(delivery)) return "file";
  return dynamic_cast<PassthroughCache*>(delivery) ? "pass-through" : "?";
}

// Each type of topic: how it is delivered, what the browser is told in which
// order ("FILE" stands for the cache file's name), what the cache file holds.
TEST_F(IECacheTest, EachTypeIsDeliveredItsWay) {
  struct Case {
    const char* path;
    const char* kind;
    const char* type;
    std::vector<std::string> reports;
    std::uint32_t pieceSize;
  };
  const Case cases[] = {
      {"a.GIF", "pass-through", "GIF", {"progress 22 image/gif", "data 13 3000 3000"}, 1000},
      {"x.bmp", "pass-through", "BMP", {"data 13 10 10"}, 4096},  // no MIME type known
      {"empty.txt", "pass-through", "TXT", {"progress 22 text/plain", "data 13 0 0"}, 4096},
      {"doc.pdf", "placeholder file", "PDF",
       {"progress 22 application/pdf", "progress 14 FILE", "data 13 100000 100000"}, 7000},
      {"sheet.xls", "file", "XLS",
       {"progress 22 application/msexcel", "progress 14 FILE", "data 16 0 0"}, 9999},
      {"notes.Doc", "file", "DOC",
       {"progress 22 application/msword", "progress 14 FILE", "data 16 0 0"}, 4096},
      {"README", "file", "", {"progress 14 FILE", "data 13 12 12"}, 4096},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    m_sink.reports.clear();
    std::unique_ptr<IECache> delivery = Deliver(c.path);
    EXPECT_STREQ(KindOf(delivery.get()), c.kind);
    EXPECT_EQ(delivery->GetType(), c.type);
    delivery->Start();
    const std::string file = delivery->GetCacheFileName();
    std::vector<std::string> reports = c.reports;
    for (std::string& report : reports)
      if (report == "progress 14 FILE") report = "progress 14 " + file;
    EXPECT_EQ(m_sink.reports, reports);
    const std::string& topic = m_topics[c.path];
    if (std::string(c.kind) == "pass-through") {
      EXPECT_EQ(file, "");
      EXPECT_FALSE(fs::exists(m_root / "cache" / "index")) << "pass-through topics use no cache";
    }
    if (std::string(c.kind) == "placeholder file") {
      EXPECT_EQ(FileBytes(file), std::string(1024, ' '));
    }
    if (std::string(c.kind) == "file") {
      // Written whole before it is announced, named with the type as extension;
      // the archive's source of the topic is used up already.
      EXPECT_EQ(FileBytes(file), topic);
      EXPECT_EQ(fs::path(file).extension(), *c.type ? std::string(".") + c.type : "");
      std::uint32_t count = 0;
      char probe[16];
      EXPECT_TRUE(m_archive.ReadTopicData(probe, sizeof probe, count));
      EXPECT_EQ(count, 0u);
    }
    EXPECT_EQ(ReadAll(*delivery, c.pieceSize), topic);
    std::uint32_t after = 1;
    char probe[16];
    EXPECT_TRUE(delivery->Read(probe, sizeof probe, after));
    EXPECT_EQ(after, 0u);
  }
  // The placeholder stays as it is, listed for clearing as the URL's cache entry.
  UrlCacheEntryInfo info;
  ASSERT_TRUE(GetUrlCacheEntryInfo("vexost://Manual/doc.pdf", &info));
  EXPECT_EQ(FileBytes(info.localFileName), std::string(1024, ' '));
  EXPECT_EQ(CacheEntryList::Instance().Urls().count("vexost://Manual/doc.pdf"), 1u);
}

TEST_F(IECacheTest, GeneratedPageIsHtmlPassedThrough) {
  std::string page(1500, 'p');
  m_archive.SetPage(page);
  std::unique_ptr<IECache> delivery =
      CreateDeliveryObject(&m_sink, "vexost://Manual/missing", &m_archive);
  EXPECT_NE(dynamic_cast<PassthroughCache*>(delivery.get()), nullptr);
  delivery->Start();
  EXPECT_EQ(m_sink.reports, (std::vector<std::string>{"progress 22 text/html", "data 13 1500 1500"}));
  EXPECT_EQ(ReadAll(*delivery, 1000), page);
  EXPECT_TRUE(m_archive.GetPageText().empty());
}

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
  }
  EXPECT_FALSE(fs::exists(first));
  EXPECT_TRUE(fs::exists(second));
  EXPECT_EQ(CacheEntryList::Instance().Urls().size(), 1u);
  EXPECT_EQ(CacheEntryList::Instance().Counter(), 2u);
  CacheEntryList::Instance().Clear();
  EXPECT_FALSE(fs::exists(second));
}

// A cache file that cannot be written whole: the failure is reported, the entry
// is neither committed nor listed, and the half-written file is gone.
class CacheFileFaultTest : public IECacheTest {
 protected:
  void ExpectNothingLeft(FileFault fault, std::uint32_t code) {
    std::unique_ptr<IECache> delivery = Deliver("sheet.xls");
    FileFaults faults;
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
