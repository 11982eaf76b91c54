// The worker processes of vxstserve and the parent that keeps them serving. The
// reader module's state is process-wide and takes one request at a time, so a
// host serves on more cores with more processes: each worker is this program
// started again (with its own reader module), handed the one listening socket
// as systemd hands one (LISTEN_FDS), and counts as serving once it has printed
// its URLs. A worker stuck on a request holds up only its own connections; new
// ones go to the others. The parent starts a worker again when one ends,
// replaces all of them on SIGHUP (the new ones take connections before the old
// ones stop taking them and finish what they serve, so no request is refused),
// and on SIGTERM or SIGINT lets every worker finish and stops. The parent's
// signals must be blocked (BlockedSignals) before Start.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

class WorkerPool {
 public:
  struct Options {
    int listenSocket = -1;
    unsigned workers = 2;
    std::vector<std::string> arguments;  // each worker's command line, program name excluded
    std::vector<std::string> environment;  // "NAME=VALUE" settings for the workers only
    std::size_t readyLines = 1;            // lines a worker prints once it serves
    std::chrono::seconds readyTimeout{60};  // to print them
    std::chrono::seconds drainTimeout{25};  // for a stopping worker to finish, then it is killed
    std::function<void()> tick;             // called about once a second while serving
  };

  // The set of signals the parent waits for: SIGCHLD, SIGHUP, SIGINT, SIGTERM.
  static sigset_t BlockedSignals();

  explicit WorkerPool(Options options);
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;
  ~WorkerPool();  // kills the workers left (only after a failed Start)

  // Starts the workers; LINES gets what the first one printed. False with
  // ERROR set when one does not start (the worker tells why on standard error).
  bool Start(std::vector<std::string>& lines, std::string& error);
  // Serves until SIGTERM or SIGINT, then stops every worker.
  void Run();

 private:
  struct Starting {
    pid_t pid = -1;
    int output = -1;  // the worker's standard output
  };
  // COUNT workers started at once, each serving once it has printed its ready
  // lines (those of the first into LINES when not null); empty with ERROR set
  // when one of them does not (none is left running then).
  std::vector<pid_t> Launch(std::size_t count, std::vector<std::string>* lines,
                            std::string& error);
  Starting Spawn(std::string& error);
  void Reap();
  void FillUp();
  void Reload();
  void Retire(pid_t worker);
  void KillOverdue();
  void StopAll();

  Options m_options;
  std::vector<pid_t> m_serving;
  std::map<pid_t, std::chrono::steady_clock::time_point> m_retiring;  // pid -> kill deadline
};
