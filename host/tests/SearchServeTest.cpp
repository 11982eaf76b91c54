// Search over HTTP end to end: vxstserve indexes the archives it serves in the
// background and answers /search (page and JSON) and /suggest over them and the
// registered ones.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "host/tests/ServerProcess.h"

namespace {

class SearchServeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_scratch.Write("served.htm", "<title>Zebra crossing</title><p>Stripes on roads.</p>");
    m_scratch.Write("also.htm", "<title>Animals</title><p>A zebra has stripes.</p>");
    m_scratch.Write("registered.htm", "<title>Zebra</title><p>The animal. &lt;b&gt;</p>");
    Pack("served.htm", "also.htm", "served.vxb", "Served");
    Pack("registered.htm", "", "registered.vxb", "Registered");
    const std::string key =
        "HKCU\\Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\03.00\\Documents\\Registered\\FC7";
    const std::string command = "VXST_REGISTRY_DIR=" + Quote(m_scratch / "registry") + " " +
                                Quote(BuiltProgram("platform/tools/vxreg/vxreg")) + " add " +
                                Quote(key) + " /v Doc /d " + Quote(m_scratch / "registered.vxb") +
                                " /f >/dev/null";
    ASSERT_EQ(RunCommand(command), 0) << command;
  }

  void Pack(const std::string& page, const std::string& more, const std::string& file,
            const std::string& name) {
    const std::string folder = m_scratch / (name + "-tree");
    RunCommand("mkdir -p " + Quote(folder) + " && cp " + Quote(m_scratch / page) + " " +
               (more.empty() ? "" : Quote(m_scratch / more)) + " " + Quote(folder));
    const std::string command = Quote(BuiltProgram("tools/vxb/vxb")) + " pack " + Quote(folder) +
                                " -o " + Quote(m_scratch / file) + " --name " + name +
                                " --firm-code 7 >/dev/null";
    ASSERT_EQ(RunCommand(command), 0) << command;
  }

  // Asks until no archive is pending any more (indexes are built in the background).
  CurlResult Settled(const ServerProcess& server, const std::string& target) {
    CurlResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    do {
      result = Curl(server.Origin() + target);
      if (result.body.find("\"pending\":[]") != std::string::npos) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return result;
  }

  TempFolder m_scratch;
};

TEST_F(SearchServeTest, ResultsOfAllArchivesMergedByRank) {
  ServerProcess server({m_scratch / "served.vxb"}, m_scratch);
  const CurlResult json = Settled(server, "/search?q=zebra&format=json");
  EXPECT_EQ(json.status, 200);
  EXPECT_EQ(HeaderValue(json.headers, "Content-Type"), "application/json");
  const char* expected[] = {
      "{\"archive\":\"Registered\",\"path\":\"registered.htm\",\"title\":\"Zebra\",\"snippet\":"
      "\"The animal. \\u0026lt;b\\u0026gt;\",\"url\":\"/vexost://Registered/registered.htm\"}",
      "{\"archive\":\"Served\",\"path\":\"served.htm\",\"title\":\"Zebra crossing\"",
      "{\"archive\":\"Served\",\"path\":\"also.htm\",\"title\":\"Animals\",\"snippet\":\"A "
      "\\u003cb\\u003ezebra\\u003c/b\\u003e has stripes.\"",
  };
  std::size_t at = 0;
  for (const char* result : expected) {
    const std::size_t found = json.body.find(result, at);
    EXPECT_NE(found, std::string::npos) << result << " after " << at << " in\n" << json.body;
    at = found == std::string::npos ? at : found;
  }
  EXPECT_EQ(Curl(server.Origin() + "/vexost://Registered/registered.htm").status, 200);

  const CurlResult one = Curl(server.Origin() + "/search?q=stripes&archive=served&format=json");
  EXPECT_EQ(one.body.find("Registered"), std::string::npos) << one.body;
  EXPECT_NE(one.body.find("also.htm"), std::string::npos) << one.body;

  const CurlResult suggest = Curl(server.Origin() + "/suggest?q=zeb");
  EXPECT_EQ(suggest.status, 200);
  EXPECT_EQ(suggest.body.find("{\"suggestions\":[{\"text\":\"Zebra\",\"kind\":\"title\""), 0u)
      << suggest.body;
}

TEST_F(SearchServeTest, PagesBadRequestsAndTheListBox) {
  ServerProcess server({m_scratch / "served.vxb"}, m_scratch);
  Settled(server, "/search?q=zebra&format=json");
  const CurlResult page = Curl(server.Origin() + "/search?q=%3Cscript%3Ezebra");
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(HeaderValue(page.headers, "Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(page.body.find("<script>zebra"), std::string::npos) << "the query is text, not markup";
  EXPECT_NE(page.body.find("&lt;script&gt;zebra"), std::string::npos);
  EXPECT_NE(page.body.find("<a href=\"/vexost://Served/served.htm\">Zebra crossing</a>"),
            std::string::npos)
      << page.body;

  const struct {
    const char* target;
    int status;
    const char* text;
  } cases[] = {
      {"/search", 400, "No words to search"},
      {"/search?q=+++", 400, "No words to search"},
      {"/search?q=x&archive=Nothing", 404, "No archive named Nothing"},
      {"/search?q=qqqqqqqq&format=json", 200, "\"results\":[]"},
      {"/suggest", 200, "{\"suggestions\":[]}"},
  };
  for (const auto& c : cases) {
    const CurlResult result = Curl(server.Origin() + c.target);
    EXPECT_EQ(result.status, c.status) << c.target;
    EXPECT_NE(result.body.find(c.text), std::string::npos) << c.target << ": " << result.body;
  }
  EXPECT_EQ(Curl(server.Origin() + "/search?q=x", "-X POST").status, 405);
  const CurlResult list = Curl(server.Origin() + "/");
  EXPECT_NE(list.body.find("<form class=\"vxsearch\" action=\"/search\""), std::string::npos);
}

TEST_F(SearchServeTest, ArchivePagesGetTheSearchBarOnlyWhenAsked) {
  m_scratch.Write("barred.htm", "<HTML><BODY class=\"x\"><p>Stripes.</p></BODY></HTML>");
  Pack("barred.htm", "", "barred.vxb", "Barred");
  const std::string file = "<HTML><BODY class=\"x\"><p>Stripes.</p></BODY></HTML>";
  for (const bool bar : {false, true}) {
    // Worker processes serve the pages, so they must be handed the option too.
    ServerProcess server({m_scratch / "barred.vxb"}, m_scratch,
                         bar ? std::vector<std::string>{"--search-bar", "--workers", "2"}
                             : std::vector<std::string>{});
    const CurlResult page = Curl(server.Origin() + "/vexost://Barred/barred.htm");
    EXPECT_EQ(page.status, 200) << bar;
    if (!bar) {
      EXPECT_EQ(page.body, file) << "served as the file holds it";
      continue;
    }
    EXPECT_TRUE(page.body.starts_with("<HTML><BODY class=\"x\">\n<form class=\"vxsearch\""))
        << page.body;
    EXPECT_NE(page.body.find("<input type=\"hidden\" name=\"archive\" value=\"Barred\">"),
              std::string::npos)
        << page.body;
    EXPECT_TRUE(page.body.ends_with("</script>\n<p>Stripes.</p></BODY></HTML>")) << page.body;
  }
}

}  // namespace
