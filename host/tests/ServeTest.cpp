// vxstserve end to end: archives packed by vxb from files written here, served to
// curl, compared to the bytes of the files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <future>
#include <random>

#include "host/tests/ServerProcess.h"

namespace {

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

class ServeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(m_scratch / "manual/sub");
    std::filesystem::create_directories(m_scratch / "other");
    m_page = "<html><head><link rel=stylesheet href=style.css></head><body>" +
             std::string(3000, 'x') + "<a href=\"vexost://Manual/sub/page.htm\">p</a></body></html>";
    m_scratch.Write("manual/index.htm", m_page);
    m_scratch.Write("manual/style.css", "body { color: black; }\n");
    m_image = RandomBytes(70000, 1);
    m_scratch.Write("manual/sub/picture.gif", m_image);
    m_scratch.Write("manual/sub/page.htm", "<p>sub page</p>");
    m_scratch.Write("manual/caf\xC3\xA9.htm", "<p>caf\xC3\xA9</p>");
    m_scratch.Write("manual/why?.htm", "<p>asked</p>");
    m_scratch.Write("other/start.htm", "<p>the other archive</p>");
    Pack("manual", "manual.vxb", "Manual", "index.htm");
    Pack("other", "other.vxb", "Other", "start.htm");
  }

  void Pack(const std::string& folder, const std::string& file, const std::string& name,
            const std::string& start) {
    std::string command = Quote(BuiltProgram("tools/vxb/vxb")) + " pack " +
                          Quote(m_scratch / folder) + " -o " + Quote(m_scratch / file) +
                          " --name " + name + " --firm-code 7 --start " + start + " >/dev/null";
    ASSERT_EQ(RunCommand(command), 0) << command;
  }

  TempFolder m_scratch;
  std::string m_page;
  std::string m_image;
};

TEST_F(ServeTest, TopicsByteExactWithTypesAndStatuses) {
  ServerProcess server({m_scratch / "manual.vxb", m_scratch / "other.vxb"}, m_scratch);
  ASSERT_EQ(server.Urls().size(), 2u);
  EXPECT_EQ(server.Urls()[0], server.Origin() + "/vexost://Manual/");
  std::string base = server.Origin() + "/vexost://Manual/";

  EXPECT_EQ(HeaderValue(Curl(base).headers, "Location"), "/vexost://Manual/index.htm");
  CurlResult start = Curl(base + "index.htm");
  EXPECT_EQ(start.status, 200);
  EXPECT_EQ(HeaderValue(start.headers, "Content-Type").rfind("text/html", 0), 0u);
  EXPECT_NE(start.body.find("href=\"/vexost://Manual/sub/page.htm\""), std::string::npos)
      << "absolute vexost: links are served under the host's root";

  CurlResult image = Curl(base + "sub/picture.gif");
  EXPECT_EQ(image.status, 200);
  EXPECT_EQ(HeaderValue(image.headers, "Content-Type"), "image/gif");
  EXPECT_EQ(image.body, m_image);

  CurlResult accented = Curl(base + "caf%C3%A9.htm");
  EXPECT_EQ(accented.status, 200);
  EXPECT_EQ(accented.body, "<p>caf\xC3\xA9</p>");

  // A query (a cache-busting version on a style sheet) names no other file; an
  // escaped "?" belongs to the topic's name.
  CurlResult versioned = Curl(base + "style.css?v=2.1&x");
  EXPECT_EQ(versioned.status, 200);
  EXPECT_EQ(versioned.body, "body { color: black; }\n");
  EXPECT_EQ(Curl(base + "why%3F.htm").body, "<p>asked</p>");

  EXPECT_EQ(Curl(server.Origin() + "/vexost://Other/start.htm").body, "<p>the other archive</p>");
  EXPECT_EQ(Curl(base + "missing.htm").status, 404);
  EXPECT_EQ(Curl(server.Origin() + "/vexost://Nobody/").status, 404);
  EXPECT_EQ(Curl(server.Origin() + "/vexost:/Manual").status, 400);
  EXPECT_EQ(Curl(server.Origin() + "/").status, 200);
  EXPECT_EQ(Curl(server.Origin() + "/etc/passwd").status, 404);
  // On loopback the local user opens any archive file by its path.
  EXPECT_EQ(Curl(server.Origin() + "/vexost://file:" + m_scratch / "other.vxb" + "/", "-L").body,
            "<p>the other archive</p>");
}

TEST_F(ServeTest, ValidatorsRangesAndCompression) {
  ServerProcess server({m_scratch / "manual.vxb"}, m_scratch);
  std::string url = server.Origin() + "/vexost://Manual/sub/picture.gif";
  CurlResult whole = Curl(url);
  std::string etag = HeaderValue(whole.headers, "ETag");
  ASSERT_FALSE(etag.empty());
  EXPECT_FALSE(HeaderValue(whole.headers, "Last-Modified").empty());
  EXPECT_EQ(Curl(url, "-H " + Quote("If-None-Match: " + etag)).status, 304);

  CurlResult part = Curl(url, "-H 'Range: bytes=100-199'");
  EXPECT_EQ(part.status, 206);
  EXPECT_EQ(part.body, m_image.substr(100, 100));
  EXPECT_EQ(HeaderValue(part.headers, "Content-Range"), "bytes 100-199/70000");
  EXPECT_EQ(Curl(url, "-H 'Range: bytes=70000-'").status, 416);

  CurlResult packed = Curl(server.Origin() + "/vexost://Manual/index.htm", "--compressed");
  EXPECT_EQ(HeaderValue(packed.headers, "Content-Encoding"), "gzip");
  EXPECT_EQ(packed.body.size(), m_page.size() + 1);  // the rewritten link gained a '/'
}

TEST_F(ServeTest, HostHeaderFormsForeignHostsMethodsAndHugeTargets) {
  ServerProcess server({m_scratch / "manual.vxb"}, m_scratch);
  const std::string port = std::to_string(server.Port());
  struct Case {
    std::string headers;  // after the request line
    const char* version;
    int status;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    const std::string answer = RawRequest(server.Port(), std::string("GET /vexost://Manual/index.htm ") +
                                                            c.version + "\r\n" + c.headers +
                                                            "Connection: close\r\n\r\n");
    EXPECT_EQ(StatusOf(answer), c.status) << c.version << " with " << c.headers << answer;
  }
  std::string url = server.Origin() + "/vexost://Manual/index.htm";
  EXPECT_EQ(Curl(url, "-X DELETE").status, 405);
  EXPECT_EQ(Curl(url + std::string(9000, 'a')).status, 414);
  EXPECT_TRUE(HeaderValue(Curl(url).headers, "Access-Control-Allow-Origin").empty());
}

TEST(ServeCommandLine, BadOptionsSayWhatIsWrong) {
  struct Case {
    const char* words;
    const char* message;
  };
  const Case cases[] = {
      {"--idle-seconds 0", "--idle-seconds needs a number from 1 to 3600"},
      {"--idle-seconds 20s", "--idle-seconds needs a number from 1 to 3600"},
      {"--max-connections", "--max-connections needs a number from 1 to 1000000"},
      {"--max-connections 0", "--max-connections needs a number from 1 to 1000000"},
      {"--port 70000", "--port needs a number from 0 to 65535"},
      {"--workers 0", "--workers needs a number from 1 to 256"},
      {"--public=yes", "unknown option --public=yes"},
  };
  for (const Case& c : cases) {
    std::string output;
    EXPECT_EQ(RunCommand(Quote(BuiltProgram("host/vxstserve")) + " " + c.words + " 2>&1", &output), 2)
        << c.words;
    EXPECT_TRUE(output.starts_with(std::string("vxstserve: ") + c.message + "\n")) << output;
  }
}

// A FIFO never opened for writing must not hold the request thread.
TEST_F(ServeTest, AFileUrlNamingAFifoGetsItsErrorPageAtOnce) {
  ASSERT_EQ(::mkfifo((m_scratch / "fifo.vxb").c_str(), 0600), 0);
  ServerProcess server({}, m_scratch);
  CurlResult page = Curl(server.Origin() + "/vexost://file:" + m_scratch / "fifo.vxb" +
                             "/index.htm",
                         "--max-time 10");
  EXPECT_EQ(page.status, 404);
  EXPECT_NE(page.body.find("is no regular file"), std::string::npos) << page.body;
  EXPECT_EQ(Curl(server.Origin() + "/").status, 200);
}

// Every query the host takes gets its answer, however many arguments it holds.
TEST_F(ServeTest, LongQueryStringsAreAnswered) {
  ServerProcess server({m_scratch / "manual.vxb"}, m_scratch);
  std::string many;
  for (int i = 0; i < 300; ++i)
    many += (i ? "&a" : "?a") + std::to_string(i) + "=" + std::to_string(i);
  std::string flood = "?";
  while (flood.size() < 8100) flood += "&a";
  struct Case {
    std::string query;
    int status;
  };
  const Case cases[] = {{many, 200}, {flood, 200}, {flood + std::string(200, 'b'), 414}};
  for (const Case& c : cases) {
    const std::string answer =
        RawRequest(server.Port(), "GET /vexost://Manual/style.css" + c.query +
                                      " HTTP/1.1\r\nHost: " + server.HostHeader() +
                                      "\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(StatusOf(answer), c.status)
        << c.query.size() << " bytes of query: " << answer.substr(0, 200);
    if (c.status == 200) {
      EXPECT_TRUE(answer.ends_with("\r\n\r\nbody { color: black; }\n"));
    }
  }
}

TEST_F(ServeTest, ConcurrentClientsGetTheirOwnBytesAndAStalledOneBlocksNobody) {
  ServerProcess server({m_scratch / "manual.vxb", m_scratch / "other.vxb"}, m_scratch);
  // A client that sends half a request and then never reads.
  int stalled = ConnectTo(server.Port());
  ASSERT_GE(stalled, 0);
  std::string half = "GET /vexost://Manual/sub/picture.gif HTTP/1.1\r\nHost: x";
  ASSERT_GT(::send(stalled, half.data(), half.size(), 0), 0);

  std::vector<std::future<bool>> clients;
  for (int i = 0; i < 16; ++i)
    clients.push_back(std::async(std::launch::async, [&, i] {
      if (i % 2) return Curl(server.Origin() + "/vexost://Manual/sub/picture.gif").body == m_image;
      return Curl(server.Origin() + "/vexost://Other/start.htm").body == "<p>the other archive</p>";
    }));
  for (auto& client : clients) EXPECT_TRUE(client.get());
  ::close(stalled);
}

}  // namespace
