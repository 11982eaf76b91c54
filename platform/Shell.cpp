#include "platform/Shell.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <vector>

#include "platform/RegistryText.h"

namespace {

// The scheme of TARGET ("vexost" of "vexost://..."), or "" when it is no URL. A
// drive letter ("C:") is no scheme.
std::string SchemeOf(const std::string& target) {
  const std::size_t colon = target.find(':');
  if (colon == std::string::npos || colon < 2) return {};
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = target[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && !(i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) return {};
  }
  return target.substr(0, colon);
}

std::vector<std::string> SplitCommand(const std::string& command) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool inWord = false;
  for (char c : command) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

// The words to run: the registered command with the target in place of "%1".
std::vector<std::string> CommandFor(const std::string& target) {
  const std::string scheme = SchemeOf(target);
  std::string command;
  if (!scheme.empty()) {
    command = ReadRegistryText(HKEY_CLASSES_ROOT, scheme + "\\Shell\\Open\\Command", nullptr).value_or("");
  }
  std::vector<std::string> words = SplitCommand(command);
  if (words.empty()) words = {"xdg-open"};
  bool placed = false;
  for (std::string& word : words) {
    for (std::size_t at = word.find("%1"); at != std::string::npos; at = word.find("%1", at + target.size())) {
      word.replace(at, 2, target);
      placed = true;
    }
  }
  if (!placed) words.push_back(target);
  return words;
}

// In the grandchild (only calls that are safe after fork): runs ARGV; on
// failure writes errno into REPORT.
[[noreturn]] void Exec(char* const* argv, int report) {
  const int devNull = ::open("/dev/null", O_RDONLY);
  if (devNull >= 0) ::dup2(devNull, STDIN_FILENO);
  ::execvp(argv[0], argv);
  const int err = errno;
  [[maybe_unused]] const ssize_t written = ::write(report, &err, sizeof err);
  ::_exit(127);
}

// How long an opener may take to say that it cannot open its target; one still
// running then has opened it (a browser may run on in the foreground).
constexpr int kVerdictMilliseconds = 3000;
constexpr int kPollMilliseconds = 20;

// In the child: waits up to kVerdictMilliseconds for PROGRAM and ends with its
// failing exit status, or 0 when it succeeded or runs on (it is then left to
// itself, and no zombie remains once this process ends).
[[noreturn]] void AwaitVerdict(pid_t program) {
  const timespec pause{0, kPollMilliseconds * 1000000L};
  for (int waited = 0; waited < kVerdictMilliseconds; waited += kPollMilliseconds) {
    int status = 0;
    if (::waitpid(program, &status, WNOHANG) == program) {
      ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }
    ::nanosleep(&pause, nullptr);
  }
  ::_exit(0);
}

// Starts WORDS detached and waits for its verdict (AwaitVerdict). Returns
// kShellOpenStarted, SE_ERR_FNF when the program could not be run, or
// SE_ERR_NOASSOC with its exit status in *FAILURESTATUS when it failed.
int StartDetached(const std::vector<std::string>& words, int* failureStatus) {
  std::vector<char*> argv;
  for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return SE_ERR_FNF;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return SE_ERR_FNF;
  }
  if (child == 0) {
    ::setsid();
    const pid_t program = ::fork();
    if (program == 0) Exec(argv.data(), report[1]);
    ::close(report[1]);
    if (program < 0) ::_exit(127);
    AwaitVerdict(program);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int err = 0;
  ssize_t got;
  while ((got = ::read(report[0], &err, sizeof err)) < 0 && errno == EINTR) {
  }
  ::close(report[0]);
  if (got != 0) return SE_ERR_FNF;  // the pipe closes unwritten on a successful exec
  const int verdict = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
  if (verdict == 0) return kShellOpenStarted;
  if (failureStatus) *failureStatus = verdict;
  return SE_ERR_NOASSOC;
}

}  // namespace

int ShellOpen(const std::string& target, int, int* failureStatus) {
  if (target.empty()) return SE_ERR_NOASSOC;
  return StartDetached(CommandFor(target), failureStatus);
}
