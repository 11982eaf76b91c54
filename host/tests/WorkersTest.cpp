// vxstserve --workers: worker processes on one listening socket, kept serving by
// their parent through a worker's end, a stuck worker, a reload and a stop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "host/tests/ServerProcess.h"

namespace {

using Clock = std::chrono::steady_clock;

std::set<pid_t> WorkersOf(pid_t parent) {
  std::istringstream text(TempFolder::ReadAll("/proc/" + std::to_string(parent) + "/task/" +
                                              std::to_string(parent) + "/children"));
  std::set<pid_t> workers;
  for (pid_t pid; text >> pid;) workers.insert(pid);
  return workers;
}

// Waits up to 20 seconds for DONE.
template <typename Condition>
bool Eventually(Condition done) {
  for (const auto deadline = Clock::now() + std::chrono::seconds(20); Clock::now() < deadline;) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

// True once PARENT has two workers again, none of them in OLD.
bool Replaced(pid_t parent, const std::set<pid_t>& old) {
  return Eventually([&] {
    const std::set<pid_t> now = WorkersOf(parent);
    return now.size() == 2 &&
           std::none_of(old.begin(), old.end(), [&](pid_t pid) { return now.count(pid); });
  });
}

class WorkersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PackFiles(m_scratch, "manual.vxb", "Manual", 3, {{"index.htm", "<p>one</p>"}});
  }
  std::unique_ptr<ServerProcess> Serve() {
    auto server = std::make_unique<ServerProcess>(
        std::vector<std::string>{m_scratch / "manual.vxb"}, m_scratch,
        std::vector<std::string>{"--workers", "2", "--idle-seconds", "5"});
    EXPECT_TRUE(Eventually([&] { return WorkersOf(server->Pid()).size() == 2; }));
    return server;
  }
  std::string Page(const ServerProcess& server) {
    return Curl(server.Origin() + "/vexost://Manual/index.htm", "--max-time 5").body;
  }

  TempFolder m_scratch;
};

TEST_F(WorkersTest, AnEndedWorkerIsReplacedAndAStuckOneHoldsUpNobody) {
  auto server = Serve();
  const std::set<pid_t> first = WorkersOf(server->Pid());
  ASSERT_EQ(first.size(), 2u);
  ::kill(*first.begin(), SIGKILL);
  EXPECT_TRUE(Replaced(server->Pid(), {*first.begin()}));
  const std::set<pid_t> second = WorkersOf(server->Pid());
  ::kill(*second.begin(), SIGSTOP);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Page(*server), "<p>one</p>") << "request " << i;
  ::kill(*second.begin(), SIGCONT);
  server.reset();  // SIGTERM: the parent stops every worker before it ends
  for (pid_t worker : second) EXPECT_NE(::kill(worker, 0), 0) << "worker " << worker << " stays";
}

TEST_F(WorkersTest, HangupServesTheReplacedArchiveWithoutAFailedRequest) {
  auto server = Serve();
  EXPECT_EQ(Page(*server), "<p>one</p>");
  std::atomic<bool> stop{false};
  std::atomic<int> served{0};
  std::vector<int> statuses;
  std::thread client([&] {
    for (const std::string url = server->Origin() + "/vexost://Manual/index.htm"; !stop; ++served)
      statuses.push_back(Curl(url, "--max-time 5").status);
  });
  PackFiles(m_scratch, "next.vxb", "Manual", 3, {{"index.htm", "<p>two</p>"}});
  std::filesystem::rename(m_scratch / "next.vxb", m_scratch / "manual.vxb");
  // Two reloads in a row, each waited for: every old worker gone, two new ones.
  for (int reload = 0; reload < 2; ++reload) {
    const std::set<pid_t> before = WorkersOf(server->Pid());
    ::kill(server->Pid(), SIGHUP);
    EXPECT_TRUE(Replaced(server->Pid(), before)) << "reload " << reload;
  }
  EXPECT_EQ(Page(*server), "<p>two</p>");
  EXPECT_TRUE(Eventually([&] { return served >= 20; }));
  stop = true;
  client.join();
  for (std::size_t i = 0; i < statuses.size(); ++i)
    EXPECT_EQ(statuses[i], 200) << "request " << i << " of " << statuses.size();
}

}  // namespace
