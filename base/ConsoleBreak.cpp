#include "base/ConsoleBreak.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <thread>

#include "base/KelApp.h"

namespace vxs {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};
constexpr unsigned char kStopThread = 0;

std::mutex g_frameMutex;
CKelApp* g_frame = nullptr;
int g_pipe[2] = {-1, -1};

// Async-signal-safe: only hands the signal number to the handler thread.
void OnSignal(int signal) {
  const int savedErrno = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = write(g_pipe[1], &number, 1);
  errno = savedErrno;
}

void RestoreDefaultAction(int signal) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

// The break was not handled: the signal's default action ends the process.
void EndWithDefaultAction(int signal) {
  RestoreDefaultAction(signal);
  kill(getpid(), signal);
}

void Deliver(int signal) {
  bool handled = false;
  {
    std::lock_guard lock(g_frameMutex);
    if (g_frame) handled = g_frame->OnConsoleAbort(signal);
  }
  if (!handled) EndWithDefaultAction(signal);
}

void HandlerThread() {
  unsigned char number = 0;
  for (;;) {
    const ssize_t n = read(g_pipe[0], &number, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || number == kStopThread) return;
    Deliver(number);
  }
}

// Owns the handler thread; ends it and gives the signals back at process end
// (or when the shared library that holds it is unloaded).
class BreakHandler {
 public:
  BreakHandler() {
    if (pipe2(g_pipe, O_CLOEXEC) != 0) return;
    fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    m_thread = std::thread(HandlerThread);
    for (int signal : kSignals) Take(signal);
  }
  ~BreakHandler() {
    for (int signal : kSignals) GiveBack(signal);
    if (m_thread.joinable()) {
      const unsigned char stop = kStopThread;
      if (write(g_pipe[1], &stop, 1) == 1) m_thread.join();
      else m_thread.detach();
    }
  }
  BreakHandler(const BreakHandler&) = delete;
  BreakHandler& operator=(const BreakHandler&) = delete;

 private:
  void Take(int signal) {
    struct sigaction previous {};
    if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler != SIG_DFL) return;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(signal, &action, nullptr) == 0) m_taken[Index(signal)] = true;
  }
  void GiveBack(int signal) {
    if (!m_taken[Index(signal)]) return;
    struct sigaction current {};
    sigaction(signal, nullptr, &current);
    if (current.sa_handler == OnSignal) RestoreDefaultAction(signal);
  }
  static int Index(int signal) { return signal == SIGINT ? 0 : 1; }

  std::thread m_thread;
  bool m_taken[2] = {false, false};
};

}  // namespace

void InstallConsoleBreakHandler() { static BreakHandler handler; }

void EnableConsoleBreak(CKelApp* frame) {
  std::lock_guard lock(g_frameMutex);
  g_frame = frame;
}

void DisableConsoleBreak(const CKelApp* frame) {
  std::lock_guard lock(g_frameMutex);
  if (g_frame == frame) g_frame = nullptr;
}

}  // namespace vxs

