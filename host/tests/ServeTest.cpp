// vxstserve end to end: archives packed by vxb from files written here, served to
// curl, compared to the bytes of the files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "host/tests/ServerProcess.h"

namespace {

class ServeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 rng(1);
    for (char& c : m_image) c = static_cast<char>(rng());
    PackFiles(m_scratch, "manual.vxb", "Manual", 7,
              {{"index.htm", m_page},
               {"style.css", "body { color: black; }\n"},
               {"sub/picture.gif", m_image},
               {"sub/page.htm", "<p>sub page</p>"},
               {"caf\xC3\xA9.htm", "<p>caf\xC3\xA9</p>"},
               {"why?.htm", "<p>asked</p>"}});
    PackFiles(m_scratch, "other.vxb", "Other", 7, {{"start.htm", "<p>the other archive</p>"}},
              "start.htm");
  }

  TempFolder m_scratch;
  const std::string m_page = "<html><head><link rel=stylesheet href=style.css></head><body>" +
                             std::string(3000, 'x') +
                             "<a href=\"vexost://Manual/sub/page.htm\">p</a></body></html>";
  std::string m_image = std::string(70000, '\0');
};

TEST_F(ServeTest, TopicsByteExactWithTypesStatusesRangesValidatorsAndHostForms) {
  ASSERT_EQ(::mkfifo((m_scratch / "fifo.vxb").c_str(), 0600), 0);
  ServerProcess server({m_scratch / "manual.vxb", m_scratch / "other.vxb"}, m_scratch);
  ASSERT_EQ(server.Urls().size(), 2u);
  EXPECT_EQ(server.Urls()[0], server.Origin() + "/vexost://Manual/");
  EXPECT_EQ(HeaderValue(Curl(server.Urls()[0]).headers, "Location"), "/vexost://Manual/index.htm");
  std::string page = m_page;
  page.replace(page.find("vexost:"), 0, "/");  // served under the host's root
  // Every query the host takes gets its answer, however many arguments it holds.
  std::string many, flood = "?";
  for (int i = 0; i < 300; ++i) many += (i ? "&a" : "?a") + std::to_string(i) + "=1";
  while (flood.size() < 8100) flood += "&a";
  const std::string css = "body { color: black; }\n", image = "/vexost://Manual/sub/picture.gif";
  struct Case {
    std::string target, options;
    int status;
    std::string type, body;  // "" for any
  };
  const Case cases[] = {
      {"/vexost://Manual/index.htm", "", 200, "text/html", page},
      {image, "", 200, "image/gif", m_image},
      {image, "-H 'Range: bytes=100-199'", 206, "image/gif", m_image.substr(100, 100)},
      {image, "-H 'Range: bytes=70000-'", 416, "", ""},
      {"/vexost://Manual/caf%C3%A9.htm", "", 200, "", "<p>caf\xC3\xA9</p>"},
      // A query (a cache-busting version on a style sheet) names no other file; an
      // escaped "?" belongs to the topic's name.
      {"/vexost://Manual/style.css?v=2.1&x", "", 200, "text/css", css},
      {"/vexost://Manual/style.css" + many, "", 200, "text/css", css},
      {"/vexost://Manual/style.css" + flood, "", 200, "text/css", css},
      {"/vexost://Manual/style.css" + flood + std::string(200, 'b'), "", 414, "", ""},
      {"/vexost://Manual/" + std::string(9000, 'a'), "", 414, "", ""},
      {"/vexost://Manual/why%3F.htm", "", 200, "", "<p>asked</p>"},
      {"/vexost://Other/start.htm", "", 200, "", "<p>the other archive</p>"},
      {"/vexost://Manual/index.htm", "-X DELETE", 405, "", ""},
      {"/vexost://Manual/missing.htm", "", 404, "", ""},
      {"/vexost://Nobody/", "", 404, "", ""},
      {"/vexost:/Manual", "", 400, "", ""},
      {"/", "", 200, "", ""},
      {"/etc/passwd", "", 404, "", ""},
      // On loopback the local user opens any archive file by its path.
      {"/vexost://file:" + m_scratch / "other.vxb" + "/", "-L", 200, "",
       "<p>the other archive</p>"},
      {"/vexost://Manual/index.htm", "--compressed", 200, "text/html", page},
  };
  for (const Case& c : cases) {
    const CurlResult answer = Curl(server.Origin() + c.target, c.options);
    const std::string what = c.target.substr(0, 60) + " " + c.options;
    EXPECT_EQ(answer.status, c.status) << what;
    EXPECT_TRUE(HeaderValue(answer.headers, "Content-Type").starts_with(c.type)) << what;
    EXPECT_EQ(answer.body, c.body.empty() ? answer.body : c.body) << what;
    EXPECT_EQ(HeaderValue(answer.headers, "Access-Control-Allow-Origin"), "") << what;
  }
  const std::string url = server.Origin() + image;
  const CurlResult whole = Curl(url);
  const std::string etag = HeaderValue(whole.headers, "ETag");
  ASSERT_FALSE(etag.empty());
  EXPECT_FALSE(HeaderValue(whole.headers, "Last-Modified").empty());
  EXPECT_EQ(Curl(url, "-H " + Quote("If-None-Match: " + etag)).status, 304);
  const CurlResult part = Curl(url, "-H 'Range: bytes=100-199'");
  EXPECT_EQ(HeaderValue(part.headers, "Content-Range"), "bytes 100-199/70000");
  const CurlResult packed = Curl(server.Origin() + "/vexost://Manual/index.htm", "--compressed");
  EXPECT_EQ(HeaderValue(packed.headers, "Content-Encoding"), "gzip");
  const std::string port = std::to_string(server.Port());
  struct HostCase {
    std::string headers;  // after the request line
    const char* version;
    int status;
  };
  const HostCase hostCases[] = {
      {"Host: 127.0.0.1:" + port + "\r\n", "HTTP/1.1", 200},
      {"Host: LOCALHOST:" + port + "\r\n", "HTTP/1.1", 200},
      {"host: LocalHost:" + port + "\r\n", "HTTP/1.1", 200},
      {"Host: attacker.example:80\r\n", "HTTP/1.1", 403},
      {"Host: localhost\r\n", "HTTP/1.1", 403},  // another port is another site
      {"", "HTTP/1.1", 400},
      {"", "HTTP/1.0", 200},
      {"Host: 127.0.0.1:" + port + "\r\nHost: 127.0.0.1:" + port + "\r\n", "HTTP/1.1", 400},
      {"Host: 127.0.0.1:" + port + "\r\nHOST: attacker.example\r\n", "HTTP/1.1", 400},
      {"Host: 127.0.0.1:" + port + "\r\nHost: attacker.example\r\n", "HTTP/1.0", 400},
  };
  for (const HostCase& c : hostCases) {
    const std::string answer =
        RawRequest(server.Port(), std::string("GET /vexost://Manual/index.htm ") + c.version +
                                      "\r\n" + c.headers + "Connection: close\r\n\r\n");
    EXPECT_EQ(StatusOf(answer), c.status) << c.version << " with " << c.headers << answer;
  }
  // A FIFO never opened for writing must not hold the request thread.
  const CurlResult fifo = Curl(
      server.Origin() + "/vexost://file:" + m_scratch / "fifo.vxb" + "/index.htm", "--max-time 10");
  EXPECT_EQ(fifo.status, 404);
  EXPECT_NE(fifo.body.find("is no regular file"), std::string::npos) << fifo.body;
}

// Bad command lines and an archive that is not there: one message that says what
// is wrong, before any worker starts.
TEST(ServeCommandLine, FailuresSayWhatIsWrongOnce) {
  TempFolder scratch;
  const std::string gone = scratch / "gone.vxb";
  struct Case {
    std::string words;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"--idle-seconds 0", 2, "--idle-seconds needs a number from 1 to 3600"},
      {"--idle-seconds 20s", 2, "--idle-seconds needs a number from 1 to 3600"},
      {"--max-connections", 2, "--max-connections needs a number from 1 to 1000000"},
      {"--max-connections 0", 2, "--max-connections needs a number from 1 to 1000000"},
      {"--port 70000", 2, "--port needs a number from 0 to 65535"},
      {"--workers 0", 2, "--workers needs a number from 1 to 256"},
      {"--public=yes", 2, "unknown option --public=yes"},
      {Quote(gone) + " --workers 2", 1, "fatal error VK1001 - file " + gone + " not found."},
  };
  for (const Case& c : cases) {
    std::string output;
    EXPECT_EQ(RunCommand("VXST_REGISTRY_DIR=" + Quote(scratch / "registry") + " " +
                             Quote(BuiltProgram("host/vxstserve")) + " " + c.words + " 2>&1",
                         &output),
              c.status)
        << c.words;
    EXPECT_TRUE(output.starts_with("vxstserve: " + c.message + "\n")) << output;
    EXPECT_EQ(output.find("vxstserve: ", 1), std::string::npos) << "one message: " << output;
  }
}

}  // namespace
