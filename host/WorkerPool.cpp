#include "host/WorkerPool.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace {

constexpr int kPassedSocket = 3;  // where systemd puts the first socket it passes

// Writes VALUE's digits over the end of TEXT (space-padded): the only formatting
// a freshly forked child may do before it runs the program again.
void WriteNumber(char* text, std::size_t size, long value) {
  std::size_t at = size;
  do {
    text[--at] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0 && at > 0);
}

// Reads from FD until COUNT lines have come or the deadline passes; false when
// they did not (the worker ended or hangs).
bool ReadLines(int fd, std::size_t count, std::chrono::steady_clock::time_point deadline,
               std::vector<std::string>* lines) {
  std::string text;
  char buffer[4096];
  while (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) < count) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ready{fd, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) == 0) return false;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  for (std::size_t at = 0; lines && at < text.size();) {
    const std::size_t end = text.find('\n', at);
    lines->push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return true;
}

}  // namespace

sigset_t WorkerPool::BlockedSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : {SIGCHLD, SIGHUP, SIGINT, SIGTERM}) sigaddset(&signals, signal);
  return signals;
}

WorkerPool::WorkerPool(Options options) : m_options(std::move(options)) {}

WorkerPool::~WorkerPool() {
  for (pid_t worker : m_serving) ::kill(worker, SIGKILL);
  for (const auto& [worker, deadline] : m_retiring) ::kill(worker, SIGKILL);
  for (pid_t worker : m_serving) ::waitpid(worker, nullptr, 0);
  for (const auto& [worker, deadline] : m_retiring) ::waitpid(worker, nullptr, 0);
}

bool WorkerPool::Start(std::vector<std::string>& lines, std::string& error) {
  m_serving = Launch(m_options.workers, &lines, error);
  return !m_serving.empty();
}

std::vector<pid_t> WorkerPool::Launch(std::size_t count, std::vector<std::string>* lines,
                                      std::string& error) {
  std::vector<Starting> starting;
  while (starting.size() < count) {
    starting.push_back(Spawn(error));
    if (starting.back().pid < 0) break;
  }
  const auto deadline = std::chrono::steady_clock::now() + m_options.readyTimeout;
  std::vector<pid_t> ready;
  bool all = starting.back().pid >= 0;
  for (const Starting& worker : starting) {
    if (worker.pid < 0) continue;
    all = all && ReadLines(worker.output, m_options.readyLines, deadline,
                           ready.empty() ? lines : nullptr);
    if (all) ready.push_back(worker.pid);
    ::close(worker.output);
  }
  if (all) return ready;
  if (error.empty()) error = "a worker process did not start";
  for (const Starting& worker : starting) {
    if (worker.pid < 0) continue;
    ::kill(worker.pid, SIGKILL);
    ::waitpid(worker.pid, nullptr, 0);
  }
  return {};
}

WorkerPool::Starting WorkerPool::Spawn(std::string& error) {
  // Everything the child needs is made before the fork: the parent has threads,
  // and the child may only call what is safe in a signal handler until it runs
  // the program again.
  std::vector<std::string> words = {"vxstserve"};
  words.insert(words.end(), m_options.arguments.begin(), m_options.arguments.end());
  std::vector<std::string> settings = {"LISTEN_FDS=1", "LISTEN_PID=                    "};
  for (char** entry = environ; *entry; ++entry)
    if (!std::string_view(*entry).starts_with("LISTEN_")) settings.push_back(*entry);
  settings.insert(settings.end(), m_options.environment.begin(), m_options.environment.end());
  std::vector<char*> argv, envp;
  for (std::string& word : words) argv.push_back(word.data());
  for (std::string& setting : settings) envp.push_back(setting.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  char* pidText = settings[1].data() + std::strlen("LISTEN_PID=");
  const std::size_t pidSize = settings[1].size() - std::strlen("LISTEN_PID=");
  const sigset_t blocked = BlockedSignals();

  int output[2];
  if (::pipe2(output, O_CLOEXEC) != 0) {
    error = std::string("cannot start a worker process: ") + std::strerror(errno);
    return {};
  }
  const pid_t parent = ::getpid();
  const pid_t worker = ::fork();
  if (worker == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // no worker outlives the parent
    if (::getppid() != parent) ::_exit(1);
    ::dup2(output[1], 1);
    if (m_options.listenSocket == kPassedSocket) ::fcntl(kPassedSocket, F_SETFD, 0);
    else ::dup2(m_options.listenSocket, kPassedSocket);
    WriteNumber(pidText, pidSize, ::getpid());
    ::sigprocmask(SIG_UNBLOCK, &blocked, nullptr);
    ::execve("/proc/self/exe", argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(output[1]);
  if (worker < 0) {
    error = std::string("cannot start a worker process: ") + std::strerror(errno);
    ::close(output[0]);
    return {};
  }
  return {worker, output[0]};
}

void WorkerPool::Run() {
  const sigset_t signals = BlockedSignals();
  for (;;) {
    const timespec second{1, 0};
    const int signal = ::sigtimedwait(&signals, nullptr, &second);
    if (signal == SIGTERM || signal == SIGINT) break;
    if (signal == SIGHUP) Reload();
    Reap();
    FillUp();
    KillOverdue();
    if (m_options.tick) m_options.tick();
  }
  StopAll();
}

void WorkerPool::Reap() {
  int status = 0;
  for (pid_t ended; (ended = ::waitpid(-1, &status, WNOHANG)) > 0;) {
    m_retiring.erase(ended);
    auto serving = std::find(m_serving.begin(), m_serving.end(), ended);
    if (serving == m_serving.end()) continue;  // a retired worker, or a browser started by --open
    m_serving.erase(serving);
    if (WIFSIGNALED(status))
      std::fprintf(stderr, "vxstserve: worker process %d ended by signal %d; starting another\n",
                   int(ended), WTERMSIG(status));
    else
      std::fprintf(stderr, "vxstserve: worker process %d ended with status %d; starting another\n",
                   int(ended), WEXITSTATUS(status));
  }
}

// Workers missing after a restart that failed are tried again on the next tick.
void WorkerPool::FillUp() {
  if (m_serving.size() >= m_options.workers) return;
  std::string error;
  const std::vector<pid_t> fresh = Launch(m_options.workers - m_serving.size(), nullptr, error);
  if (fresh.empty()) std::fprintf(stderr, "vxstserve: %s; trying again\n", error.c_str());
  m_serving.insert(m_serving.end(), fresh.begin(), fresh.end());
}

void WorkerPool::Reload() {
  std::string error;
  const std::vector<pid_t> fresh = Launch(m_options.workers, nullptr, error);
  if (fresh.empty()) {
    std::fprintf(stderr, "vxstserve: reload failed (%s); the running workers go on serving\n",
                 error.c_str());
    return;
  }
  for (pid_t old : m_serving) Retire(old);
  m_serving = fresh;
}

// SIGTERM makes a worker stop taking connections and finish those it has.
void WorkerPool::Retire(pid_t worker) {
  ::kill(worker, SIGTERM);
  m_retiring[worker] = std::chrono::steady_clock::now() + m_options.drainTimeout;
}

void WorkerPool::KillOverdue() {
  const auto now = std::chrono::steady_clock::now();
  for (const auto& [worker, deadline] : m_retiring)
    if (deadline < now) ::kill(worker, SIGKILL);
}

void WorkerPool::StopAll() {
  for (pid_t worker : m_serving) Retire(worker);
  m_serving.clear();
  const sigset_t signals = BlockedSignals();
  while (!m_retiring.empty()) {
    const timespec second{1, 0};
    ::sigtimedwait(&signals, nullptr, &second);
    Reap();
    KillOverdue();
  }
}
