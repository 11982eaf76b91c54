#include "platform/Shell.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// Starts WORDS detached (the child forks the program and ends at once, so no
// zombie is left); true when the program's file could be run.
bool StartDetached(const std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    ::setsid();
    if (::fork() == 0) Exec(argv.data(), report[1]);
    ::_exit(0);
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
  return got == 0;  // the pipe closed on a successful exec
}

}  // namespace

int ShellOpen(const std::string& target, int) {
  if (target.empty()) return SE_ERR_NOASSOC;
  return StartDetached(CommandFor(target)) ? kShellOpenStarted : SE_ERR_FNF;
}
