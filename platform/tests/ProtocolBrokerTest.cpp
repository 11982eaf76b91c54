#include <gtest/gtest.h>

#include "platform/ProtocolBroker.h"
#include "platform/tests/ComTestSupport.h"

namespace {

constexpr DWORD kAllData =
    BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE;

using Broker = FakeModuleRegistry;

// Records each call, in order, as one line.
class Recorder final : public ProtocolListener {
 public:
  explicit Recorder(std::size_t stopAfterChunks = SIZE_MAX) : m_stopAfter(stopAfterChunks) {}
  void OnReport(const ProtocolReport& report) override {
    calls.push_back(report.kind == ProtocolReportKind::Data ? "data" : "report");
  }
  bool OnData(std::string_view chunk) override {
    calls.push_back("chunk " + std::to_string(chunk.size()));
    bytes.append(chunk);
    return --m_stopAfter != 0;
  }
  std::vector<std::string> calls;
  std::string bytes;

 private:
  std::size_t m_stopAfter;
};

TEST_F(Broker, FetchesCollectReportsInOrderAndAllBytes) {
  using R = ProtocolReport;
  const struct {
    const char* url;
    DWORD flags;
    HRESULT result;
    const char* mimeType;
    const char* cacheFile;
    const char* bytes;
    std::vector<ProtocolReport> reports;
  } cases[] = {
      {"vxfake:text/Hello, reader!", 0, S_OK, "text/plain", "", "Hello, reader!",
       {R::Progress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, "text/plain"), R::Data(kAllData, 14, 14)}},
      // Success reported before reading loses no data.
      {"vxfake:complete/all here", 0, S_OK, "", "", "all here", {R::Data(kAllData, 8, 8), R::Result(S_OK, 0, "")}},
      {"vxfake:cached/sheet.xls", 0, S_OK, "application/octet-stream", "/cache/sheet.xls", "sheet.xls",
       {R::Progress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, "application/octet-stream"),
        R::Progress(BINDSTATUS_CACHEFILENAMEAVAILABLE, "/cache/sheet.xls"),
        R::Data(BSCF_AVAILABLEDATASIZEUNKNOWN, 0, 0)}},
      {"vxfake:text/abc", PI_PARSE_URL, S_OK, "", "", "", {}},  // parse only: nothing started
      {"vxfake:switch/later", 0, S_OK, "text/plain", "", "later",  // answered with Continue
       {R::Progress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, "text/plain"), R::Data(kAllData, 5, 5)}},
      {"vxfake:bindinfo", 0, S_OK, "", "", "",
       {R::Progress(BINDSTATUS_SENDINGREQUEST, "verb=0 flags=128 size=" + std::to_string(sizeof(BINDINFO))),
        R::Progress(BINDSTATUS_SENDINGREQUEST, "vxfake:bindinfo")}},
      {"vxfake:nodata", 0, S_OK, "", "", "", {}},  // nothing read when no data was announced
      {"VXFake:nodata", 0, S_OK, "", "", "", {}},  // the scheme without regard to case
      {"vxfake:fail", 0, INET_E_RESOURCE_NOT_FOUND, "", "", "", {}},
      {"vxfake:result", 0, INET_E_DATA_NOT_AVAILABLE, "", "", "", {R::Result(INET_E_DATA_NOT_AVAILABLE, 7, "gone")}},
  };
  ProtocolBroker broker;
  for (const auto& c : cases) {
    const ProtocolResponse response = broker.Fetch(c.url, c.flags);
    EXPECT_EQ(response.result, c.result) << c.url;
    EXPECT_EQ(response.mimeType, c.mimeType) << c.url;
    EXPECT_EQ(response.cacheFile, c.cacheFile) << c.url;
    EXPECT_EQ(response.bytes, c.bytes) << c.url;
    EXPECT_EQ(response.reports, c.reports) << c.url;
  }
}

TEST_F(Broker, StreamsChunkByChunkAfterTheReportsAndAListenerThatStopsAborts) {
  Recorder recorder;
  EXPECT_EQ(ProtocolBroker(4096).Stream("vxfake:big/10000", recorder), S_OK);
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"data", "chunk 4096", "chunk 4096", "chunk 1808"}));
  ASSERT_EQ(recorder.bytes.size(), 10000u);
  for (std::size_t i = 0; i < recorder.bytes.size(); ++i)
    ASSERT_EQ(static_cast<unsigned char>(recorder.bytes[i]), i % 251) << i;
  Recorder stopping(2);
  EXPECT_EQ(ProtocolBroker(1000).Stream("vxfake:big/5000", stopping), E_ABORT);
  EXPECT_EQ(stopping.calls, (std::vector<std::string>{"data", "chunk 1000", "chunk 1000", "report"}));
}

TEST_F(Broker, HandlerFailuresBecomeTheResultUrlsWithoutUsableHandlerFail) {
  ProtocolBroker broker;
  EXPECT_EQ(broker.Fetch("vxfake:readfail").result, E_FAIL);
  // A handler that never ends its data is given up, not waited for.
  EXPECT_EQ(broker.Fetch("vxfake:stall").result, INET_E_DATA_NOT_AVAILABLE);
  EXPECT_EQ(broker.Fetch("vxfake:text/ok").bytes, "ok");  // the handler still serves after that
  EXPECT_EQ(broker.Fetch("no scheme here").result, INET_E_INVALID_URL);
  EXPECT_EQ(broker.Fetch(":nothing").result, INET_E_INVALID_URL);
  EXPECT_EQ(broker.Fetch("1abc:x").result, INET_E_INVALID_URL);
  EXPECT_EQ(broker.Fetch(std::string_view("vxfake:text/a\0b", 15)).result, INET_E_INVALID_URL);
  EXPECT_EQ(broker.Fetch("vexost://Manual/").result, INET_E_UNKNOWN_PROTOCOL);
  PutText(HKEY_CLASSES_ROOT, "PROTOCOLS\\Handler\\vxbad", "CLSID",
          "{5A1E0002-7E57-4C0D-9A11-0000F00D0002}");
  EXPECT_EQ(broker.Fetch("vxbad:x").result, REGDB_E_CLASSNOTREG);
  PutText(HKEY_CLASSES_ROOT, "PROTOCOLS\\Handler\\vxtext", "CLSID", "not a class");
  EXPECT_EQ(broker.Fetch("vxtext:x").result, CO_E_CLASSSTRING);
}

TEST_F(Broker, AnswersOfTheHandlersProtocolInfo) {
  ProtocolBroker broker;
  std::string result = "untouched";
  EXPECT_EQ(broker.ParseUrl("vxfake:text/a", PARSE_CANONICALIZE, 0, result), E_NOTIMPL);
  EXPECT_EQ(result, "untouched");
  ASSERT_EQ(broker.ParseUrl("vxfake:text/a", PARSE_SECURITY_URL, 0, result), S_OK);
  EXPECT_EQ(result, "vxfake:");

  ASSERT_EQ(broker.CombineUrl("vxfake:text/a", "b.htm", 0, result), S_OK);
  EXPECT_EQ(result, "vxfake:text/a|b.htm");
  std::string longRelative(10000, 'x');
  ASSERT_EQ(broker.CombineUrl("vxfake:text/a", longRelative, 0, result), S_OK);
  EXPECT_EQ(result, "vxfake:text/a|" + longRelative);
  EXPECT_EQ(broker.CombineUrl("vxfake:text/a", "", 0, result), E_NOTIMPL);
  EXPECT_EQ(broker.CombineUrl("vxfake:text/a", std::string_view("b\0c", 3), 0, result),
            INET_E_INVALID_URL);

  EXPECT_EQ(broker.CompareUrl("vxfake:a", "vxfake:a", 0), S_OK);
  EXPECT_EQ(broker.CompareUrl("vxfake:a", "vxfake:b", 0), S_FALSE);

  DWORD value = 99;
  ASSERT_EQ(broker.QueryInfo("vxfake:a", QUERY_CAN_NAVIGATE, 0, value), S_OK);
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(broker.QueryInfo("vxfake:a", QUERY_IS_CACHED, 0, value), INET_E_QUERYOPTION_UNKNOWN);
  EXPECT_EQ(broker.QueryInfo("VXFAKE:x", QUERY_CAN_NAVIGATE, 0, value), S_OK);
  EXPECT_EQ(broker.QueryInfo("nothing:a", QUERY_IS_CACHED, 0, value), INET_E_UNKNOWN_PROTOCOL);
}

TEST_F(Broker, KeepsTheHandlerModuleLoadedWhileItLivesAndLoadsItAgain) {
  {
    ProtocolBroker broker;
    ASSERT_EQ(broker.Fetch("vxfake:text/a").result, S_OK);
    CoFreeUnusedLibraries();
    EXPECT_TRUE(IsLibraryLoaded(VXST_FAKE_PROTOCOL_MODULE));
  }
  CoFreeUnusedLibraries();
  EXPECT_FALSE(IsLibraryLoaded(VXST_FAKE_PROTOCOL_MODULE));
  // Loaded again on demand.
  EXPECT_EQ(ProtocolBroker().Fetch("vxfake:text/b").bytes, "b");
}

}  // namespace
