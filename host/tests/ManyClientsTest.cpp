// vxstserve under 200 connections at once, some asking for a large topic and then
// reading next to nothing, the others stuck in the middle of a request: the server
// keeps answering others, and the bodies it holds for the slow readers stay within
// its memory budget (the rest waits in temporary files).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <filesystem>
#include <random>

#include "host/tests/ServerProcess.h"

namespace {

constexpr int kClients = 200;
constexpr int kSlowReaderEvery = 5;  // one in five reads slowly, the others never end their request
constexpr std::size_t kTopicSize = 6 << 20;  // more than the kernel keeps for a socket

int ConnectSlowReader(std::uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  int small = 4096;  // a small window, so that the server's bytes wait at the server
  ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  ::inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

TEST(ManyClients, TwoHundredSlowReadersStayWithinTheMemoryBudget) {
  TempFolder scratch;
  std::filesystem::create_directories(scratch / "manual");
  std::mt19937 rng(3);
  std::string topic(kTopicSize, '\0');
  for (char& c : topic) c = static_cast<char>(rng());
  scratch.Write("manual/big.gif", topic);
  scratch.Write("manual/index.htm", "<p>still here</p>");
  ASSERT_EQ(RunCommand(Quote(BuiltProgram("tools/vxb/vxb")) + " pack " + Quote(scratch / "manual") +
                       " -o " + Quote(scratch / "m.vxb") +
                       " --name Manual --firm-code 1 --start index.htm >/dev/null"),
            0);
  // Without the cache every slow reader gets a body of its own: 240 MiB in all.
  // Under the address sanitizer freed memory is held back for a while; the
  // server is told not to, so that its resident size means what it says.
  const char* sanitizerOptions = std::getenv("ASAN_OPTIONS");
  const std::string saved = sanitizerOptions ? sanitizerOptions : "";
  ::setenv("ASAN_OPTIONS",
           (saved.empty() ? "" : saved + ":").append("quarantine_size_mb=0").c_str(), 1);
  ServerProcess server({scratch / "m.vxb"}, scratch, {"--cache-mb", "0", "--memory-mb", "16"});
  if (sanitizerOptions)
    ::setenv("ASAN_OPTIONS", saved.c_str(), 1);
  else
    ::unsetenv("ASAN_OPTIONS");
  ASSERT_FALSE(server.Urls().empty());
  const long before = server.ResidentKilobytes();
  ASSERT_GT(before, 0);

  std::vector<int> clients, slowReaders;
  const std::string request =
      "GET /vexost://Manual/big.gif HTTP/1.1\r\nHost: " + server.HostHeader() + "\r\n\r\n";
  const std::string half = "GET /vexost://Manual/index.htm HTTP/1.1\r\nHost: ";
  for (int i = 0; i < kClients; ++i) {
    int fd = ConnectSlowReader(server.Port());
    ASSERT_GE(fd, 0) << "connection " << i;
    const std::string& text = i % kSlowReaderEvery == 0 ? request : half;
    ASSERT_EQ(::send(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
    clients.push_back(fd);
    if (&text == &request) slowReaders.push_back(fd);
  }
  // Each slow reader has its answer begun, so the server holds all their bodies now.
  for (int fd : slowReaders) {
    char head[512];
    ASSERT_GT(::recv(fd, head, sizeof head, 0), 0);
    EXPECT_EQ(std::string(head, 12), "HTTP/1.1 200");
  }
  CurlResult other = Curl(server.Urls()[0] + "index.htm");
  EXPECT_EQ(other.status, 200);
  EXPECT_EQ(other.body, "<p>still here</p>");
  const long during = server.ResidentKilobytes();
  EXPECT_LT(during - before, 96 * 1024) << "resident " << before << " kB before, " << during
                                        << " kB with " << kClients << " connections";
  for (int fd : clients) ::close(fd);
  // Once they are gone, a whole topic still comes with its bytes.
  EXPECT_EQ(Curl(server.Urls()[0] + "big.gif").body, topic);
}

}  // namespace
