// vxstserve --workers: worker processes on one listening socket, kept serving by
// their parent through a worker's end, a stuck worker, a reload and a stop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
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

bool Gone(pid_t pid) { return ::kill(pid, 0) != 0; }

class WorkersTest : public ::testing::Test {
 protected:
  void SetUp() override { Pack("<p>one</p>", "manual.vxb"); }

  void Pack(const std::string& page, const std::string& file) {
    std::filesystem::create_directories(m_scratch / "pages");
    m_scratch.Write("pages/index.htm", page);
    std::string command = Quote(BuiltProgram("tools/vxb/vxb")) + " pack " +
                          Quote(m_scratch / "pages") + " -o " + Quote(m_scratch / file) +
                          " --name Manual --firm-code 3 --start index.htm >/dev/null";
    ASSERT_EQ(RunCommand(command), 0) << command;
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
  EXPECT_TRUE(Eventually([&] {
    std::set<pid_t> now = WorkersOf(server->Pid());
    return now.size() == 2 && !now.count(*first.begin());
  }));
  const std::set<pid_t> second = WorkersOf(server->Pid());
  ::kill(*second.begin(), SIGSTOP);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Page(*server), "<p>one</p>") << "request " << i;
  ::kill(*second.begin(), SIGCONT);
  server.reset();  // SIGTERM: the parent stops every worker before it ends
  for (pid_t worker : second) EXPECT_TRUE(Gone(worker)) << worker;
}

TEST_F(WorkersTest, HangupServesTheReplacedArchiveWithoutAFailedRequest) {
  auto server = Serve();
  EXPECT_EQ(Page(*server), "<p>one</p>");
  std::atomic<bool> stop{false};
  std::atomic<int> served{0};
  std::vector<int> statuses;
  std::thread client([&] {
    while (!stop) {
      statuses.push_back(Curl(server->Origin() + "/vexost://Manual/index.htm", "--max-time 5").status);
      ++served;
    }
  });
  Pack("<p>two</p>", "next.vxb");
  std::filesystem::rename(m_scratch / "next.vxb", m_scratch / "manual.vxb");
  // Two reloads in a row, each waited for: every old worker gone, two new ones.
  for (int reload = 0; reload < 2; ++reload) {
    const std::set<pid_t> before = WorkersOf(server->Pid());
    ::kill(server->Pid(), SIGHUP);
    EXPECT_TRUE(Eventually([&] {
      std::set<pid_t> now = WorkersOf(server->Pid());
      return now.size() == 2 && !now.count(*before.begin()) && !now.count(*before.rbegin());
    })) << "reload " << reload;
  }
  EXPECT_EQ(Page(*server), "<p>two</p>");
  EXPECT_TRUE(Eventually([&] { return served >= 20; }));
  stop = true;
  client.join();
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 200), std::ssize(statuses));
}

TEST_F(WorkersTest, ABadArchiveIsReportedOnceAndNoWorkerStays) {
  std::string output;
  EXPECT_EQ(RunCommand("VXST_REGISTRY_DIR=" + Quote(m_scratch / "registry") + " " +
                           Quote(BuiltProgram("host/vxstserve")) + " " +
                           Quote(m_scratch / "gone.vxb") + " --workers 2 2>&1",
                       &output),
            1);
  EXPECT_EQ(output, "vxstserve: fatal error VK1001 - file " + m_scratch / "gone.vxb" +
                        " not found.\n");
}

}  // namespace
