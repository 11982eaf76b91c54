// vxstserve under many connections at once: slow readers of a large topic,
// clients stuck in the middle of a request, idle ones. The server keeps
// answering others, the bodies it holds stay within its memory budget (the rest
// waits in temporary files, one per topic however many read it), and
// connections that go quiet are closed.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

#include "host/HttpServer.h"
#include "host/tests/ServerProcess.h"

namespace {

constexpr std::size_t kTopicSize = 6 << 20;  // more than the kernel keeps for a socket
constexpr int kSmallWindow = 4096;          // so that the server's bytes wait at the server

class ManyClients : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(m_scratch / "tmp");
    std::mt19937 rng(3);
    for (char& c : m_topic) c = static_cast<char>(rng());
    PackFiles(m_scratch, "m.vxb", "Manual", 1,
              {{"big.gif", m_topic}, {"index.htm", "<p>still here</p>"}});
    // Room for the test's own connections.
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }

  // The server in the scratch folder, with its temporary files there too. Under
  // the address sanitizer freed memory is held back for a while; the server is
  // told not to, so that its resident size means what it says.
  std::unique_ptr<ServerProcess> Serve(const std::vector<std::string>& options) {
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    std::string asan = sanitizer ? std::string(sanitizer) + ":" : "";
    return std::make_unique<ServerProcess>(
        std::vector<std::string>{m_scratch / "m.vxb"}, m_scratch, options,
        std::vector<std::string>{"ASAN_OPTIONS=" + asan + "quarantine_size_mb=0",
                                 "TMPDIR=" + m_scratch / "tmp"});
  }

  // Sends REQUEST on a connection with a small window; -1 when that fails.
  static int SendSlowly(std::uint16_t port, const std::string& request) {
    int fd = ConnectTo(port, kSmallWindow);
    if (fd < 0 || ::send(fd, request.data(), request.size(), 0) == std::ssize(request)) return fd;
    ::close(fd);
    return -1;
  }

  // The temporary files the server holds open now (distinct files).
  std::size_t TemporaryFiles(pid_t server) const {
    std::set<ino_t> files;
    const std::string folder = "/proc/" + std::to_string(server) + "/fd";
    for (const auto& fd : std::filesystem::directory_iterator(folder)) {
      std::error_code error;
      struct stat status {};
      if (std::filesystem::read_symlink(fd, error).string().starts_with(m_scratch / "tmp") &&
          ::stat(fd.path().c_str(), &status) == 0)
        files.insert(status.st_ino);
    }
    return files.size();
  }

  TempFolder m_scratch;
  std::string m_topic = std::string(kTopicSize, '\0');
};

TEST_F(ManyClients, TwoHundredSlowOrStuckClientsStayWithinTheMemoryBudget) {
  constexpr int kClients = 200;
  constexpr int kSlowReaderEvery = 5;  // the others never end their request
  // Without the cache and with a firm code in the URL (answers the host does not
  // share), every slow reader gets a body of its own: 240 MiB in all.
  auto server = Serve({"--cache-mb", "0", "--memory-mb", "16"});
  ASSERT_FALSE(server->Urls().empty());
  const long before = server->ResidentKilobytes();
  ASSERT_GT(before, 0);

  std::vector<int> clients, slowReaders;
  const std::string request = "GET /vexost://FirmCode:1::Manual/big.gif HTTP/1.1\r\nHost: " +
                              server->HostHeader() + "\r\n\r\n";
  const std::string half = "GET /vexost://Manual/index.htm HTTP/1.1\r\nHost: ";
  for (int i = 0; i < kClients; ++i) {
    const bool slow = i % kSlowReaderEvery == 0;
    int fd = SendSlowly(server->Port(), slow ? request : half);
    ASSERT_GE(fd, 0) << "connection " << i;
    clients.push_back(fd);
    if (slow) slowReaders.push_back(fd);
  }
  // Each slow reader has its answer begun, so the server holds all their bodies now.
  for (int fd : slowReaders) {
    char head[512];
    ASSERT_GT(::recv(fd, head, sizeof head, 0), 0);
    EXPECT_EQ(std::string(head, 12), "HTTP/1.1 200");
  }
  EXPECT_EQ(Curl(server->Urls()[0] + "index.htm").body, "<p>still here</p>") << "another client";
  const long during = server->ResidentKilobytes();
  EXPECT_LT(during - before, 96 * 1024) << "resident " << before << " kB before, " << during
                                        << " kB with " << kClients << " connections";
  for (int fd : clients) ::close(fd);
  // Once they are gone, a whole topic still comes with its bytes.
  EXPECT_EQ(Curl(server->Urls()[0] + "big.gif").body, m_topic);
}

TEST_F(ManyClients, SlowReadersOfOneTopicShareOneTemporaryFile) {
  constexpr int kReaders = 20;
  // A budget below the topic's size: its body waits in a temporary file.
  auto server = Serve({"--cache-mb", "0", "--memory-mb", "4"});
  ASSERT_FALSE(server->Urls().empty());
  const std::string request = "GET /vexost://Manual/big.gif HTTP/1.1\r\nHost: " +
                              server->HostHeader() + "\r\nConnection: close\r\n\r\n";
  std::vector<int> readers;
  std::vector<std::string> received;
  for (int i = 0; i < kReaders; ++i) {
    readers.push_back(SendSlowly(server->Port(), request));
    ASSERT_GE(readers.back(), 0);
    char head[512];
    ssize_t n = ::recv(readers.back(), head, sizeof head, 0);
    ASSERT_GT(n, 12);
    received.emplace_back(head, static_cast<std::size_t>(n));
    EXPECT_TRUE(received.back().starts_with("HTTP/1.1 200")) << "reader " << i;
  }
  EXPECT_EQ(TemporaryFiles(server->Pid()), 1u) << kReaders << " readers of one topic";
  // The first and the last reader get all of the topic's bytes.
  for (int i : {0, kReaders - 1}) {
    received[i] += ReadUntilClosed(readers[i], 30);
    EXPECT_TRUE(received[i].ends_with("\r\n\r\n" + m_topic))
        << "reader " << i << ": " << received[i].size() << " bytes";
  }
  for (int fd : readers) ::close(fd);
  for (int waited = 0; waited < 300 && TemporaryFiles(server->Pid()) > 0; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(TemporaryFiles(server->Pid()), 0u) << "the file goes with its last reader";
}

// Connections that only take a socket, that stop in the middle of a request, or
// that stay open after their answer: a normal client is served all the same, and
// each of them is closed once it has been quiet for the idle time.
TEST_F(ManyClients, IdleConnectionsCrowdNobodyOutAndAreClosed) {
  constexpr int kEachKind = 500;
  auto server = Serve({"--idle-seconds", "2"});
  ASSERT_FALSE(server->Urls().empty());
  const std::string complete =
      "GET /vexost://Manual/index.htm HTTP/1.1\r\nHost: " + server->HostHeader() + "\r\n\r\n";
  std::vector<int> idle;
  for (int i = 0; i < 3 * kEachKind; ++i) {
    const int kind = i % 3;
    int fd = kind == 0 ? ConnectTo(server->Port())
                       : SendSlowly(server->Port(), kind == 1 ? complete.substr(0, 30) : complete);
    ASSERT_GE(fd, 0) << "connection " << i;
    char answer[1024];
    if (kind == 2) {
      ASSERT_GT(::recv(fd, answer, sizeof answer, 0), 0) << "connection " << i;
    }
    idle.push_back(fd);
  }
  EXPECT_EQ(Curl(server->Urls()[0] + "index.htm").body, "<p>still here</p>") << "a normal client";

  std::vector<pollfd> waiting;
  for (int fd : idle) waiting.push_back({fd, POLLIN, 0});
  std::size_t closed = 0;
  for (int waited = 0; waited < 600 && closed < idle.size(); ++waited) {
    ::poll(waiting.data(), waiting.size(), 100);
    for (pollfd& entry : waiting) {
      char byte;
      if (entry.fd >= 0 && entry.revents && ::recv(entry.fd, &byte, 1, MSG_DONTWAIT) <= 0) {
        entry.fd = -1;  // poll passes over it from now on
        ++closed;
      }
      entry.revents = 0;
    }
  }
  EXPECT_EQ(closed, idle.size()) << "connections the server closed within a minute";
  for (int fd : idle) ::close(fd);
  EXPECT_EQ(Curl(server->Urls()[0] + "index.htm").body, "<p>still here</p>") << "afterwards";
}

TEST(ConnectionsPerProcess, ShareOfTheTotalWithinTheDescriptors) {
  struct Case {
    unsigned total, processes;
    std::uint64_t descriptors;
    unsigned expected;
  };
  const Case cases[] = {{8192, 1, 20000, 8192},   {8192, 1, 1024, 480}, {8192, 4, 1048576, 2048},
                        {8191, 4, 1048576, 2048}, {100, 0, 1000, 100},  {0, 1, 1000, 1},
                        {8192, 1, 10, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(HttpServer::ConnectionsPerProcess(c.total, c.processes, c.descriptors), c.expected)
        << c.total << " over " << c.processes << " with " << c.descriptors << " descriptors";
}

}  // namespace
