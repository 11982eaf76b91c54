// A private X server for tests that open windows in-process: when DISPLAY is
// not set, Xvfb is started on a free display number (it reports the number it
// took through -displayfd) and stopped when the test program ends. It never
// resets: a reset each time its last client leaves refuses the programs that a
// test starts one after another.
#pragma once

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

class XvfbDisplay {
 public:
  // True when a display is there (the one given, or a started Xvfb).
  static bool Ensure() {
    static XvfbDisplay display;
    return display.m_ready;
  }

 private:
  XvfbDisplay() {
    if (const char* given = getenv("DISPLAY"); given && *given) {
      m_ready = true;
      return;
    }
    int fds[2];
    if (pipe(fds) != 0) return;
    m_pid = fork();
    if (m_pid == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
             "tcp", "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c = 0;
    while (m_pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return;
    setenv("DISPLAY", (":" + number).c_str(), 1);
    m_ready = true;
  }
  ~XvfbDisplay() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }

  pid_t m_pid = -1;
  bool m_ready = false;
};
