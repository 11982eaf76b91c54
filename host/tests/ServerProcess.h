// Runs the real programs for the host's tests: vxb to pack archives from files the
// test writes, vxstserve in a scratch registry and cache, and curl as the client.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/tests/TempFolder.h"

inline std::string BuiltProgram(const std::string& relative) {
  return std::string(VXST_BINARY_DIR) + "/" + relative;
}

// Output of a shell command (standard output only) and its exit status.
inline int RunCommand(const std::string& command, std::string* output = nullptr) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  int status = ::pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// vxstserve started on a free port; stopped with SIGTERM at destruction.
class ServerProcess {
 public:
  // OPTIONS: more words for the command line; ENVIRONMENT: "NAME=VALUE" settings
  // for the server only.
  ServerProcess(const std::vector<std::string>& archives, const TempFolder& scratch,
                const std::vector<std::string>& options = {},
                const std::vector<std::string>& environment = {}) {
    int out[2];
    if (::pipe(out) != 0) std::abort();
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::setenv("VXST_REGISTRY_DIR", (scratch / "registry").c_str(), 1);
      ::setenv("VXST_CACHE_DIR", (scratch / "cache").c_str(), 1);
      for (const std::string& setting : environment) {
        const std::size_t equals = setting.find('=');
        ::setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
      }
      std::vector<std::string> words = {BuiltProgram("host/vxstserve")};
      words.insert(words.end(), archives.begin(), archives.end());
      words.insert(words.end(), options.begin(), options.end());
      // One serving process unless a test asks for workers.
      if (std::find(options.begin(), options.end(), "--workers") == options.end())
        words.insert(words.end(), {"--workers", "1"});
      std::vector<char*> argv;
      for (std::string& w : words) argv.push_back(w.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    m_output = ::fdopen(out[0], "r");
    char line[4096];
    while (m_output && std::fgets(line, sizeof line, m_output)) {
      std::string text(line);
      while (!text.empty() && text.back() == '\n') text.pop_back();
      m_urls.push_back(text);
      if (m_urls.size() >= (archives.empty() ? 1 : archives.size())) break;
    }
  }
  ~ServerProcess() {
    if (m_pid > 0) {
      ::kill(m_pid, SIGTERM);
      int status = 0;
      ::waitpid(m_pid, &status, 0);
    }
    if (m_output) std::fclose(m_output);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // The URLs it printed: one per archive, or its root.
  const std::vector<std::string>& Urls() const { return m_urls; }
  // "http://127.0.0.1:PORT"
  std::string Origin() const {
    if (m_urls.empty()) return "";
    std::size_t slash = m_urls[0].find('/', 7);
    return m_urls[0].substr(0, slash);
  }
  std::string HostHeader() const { return Origin().substr(7); }
  std::uint16_t Port() const { return static_cast<std::uint16_t>(std::stoi(HostHeader().substr(10))); }
  pid_t Pid() const { return m_pid; }
  // Its resident memory in kB (VmRSS), or -1.
  long ResidentKilobytes() const {
    std::string status = TempFolder::ReadAll("/proc/" + std::to_string(m_pid) + "/status");
    std::size_t at = status.find("VmRSS:");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 6);
  }

 private:
  pid_t m_pid = -1;
  FILE* m_output = nullptr;
  std::vector<std::string> m_urls;
};

struct CurlResult {
  int status = 0;
  std::string headers;
  std::string body;
};

// One request with curl; OPTIONS are extra curl words (already quoted).
inline CurlResult Curl(const std::string& url, const std::string& options = "") {
  TempFolder scratch;
  std::string headers = scratch / "headers", body = scratch / "body";
  std::string statusText;
  RunCommand("curl -s -g --path-as-is --max-time 60 -o " + Quote(body) + " -D " + Quote(headers) +
                 " -w '%{http_code}' " + options + " " + Quote(url),
             &statusText);
  return {std::atoi(statusText.c_str()), TempFolder::ReadAll(headers), TempFolder::ReadAll(body)};
}

// The value of header NAME (case ignored) in curl's header dump, or "".
inline std::string HeaderValue(const std::string& headers, const std::string& name) {
  std::size_t at = 0;
  while (at < headers.size()) {
    std::size_t end = headers.find("\r\n", at);
    if (end == std::string::npos) end = headers.size();
    std::string line = headers.substr(at, end - at);
    if (line.size() > name.size() && line[name.size()] == ':' &&
        ::strncasecmp(line.c_str(), name.c_str(), name.size()) == 0) {
      std::string value = line.substr(name.size() + 1);
      while (!value.empty() && value.front() == ' ') value.erase(0, 1);
      return value;
    }
    at = end + 2;
  }
  return "";
}

// A socket connected to PORT on 127.0.0.1 (RECEIVEBUFFER bytes of window when
// not 0, so that the server's bytes wait at the server); -1 when refused.
inline int ConnectTo(std::uint16_t port, int receiveBuffer = 0) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (receiveBuffer > 0)
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
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

// What the server sends on FD until it closes the connection or SECONDS pass.
inline std::string ReadUntilClosed(int fd, int seconds) {
  std::string text;
  char buffer[65536];
  for (int waited = 0; waited < seconds * 10;) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 100) == 0) {
      ++waited;
      continue;
    }
    ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

// REQUEST sent as it stands on a connection of its own; the whole answer.
inline std::string RawRequest(std::uint16_t port, const std::string& request) {
  int fd = ConnectTo(port);
  if (fd < 0) return "";
  std::string answer;
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
      static_cast<ssize_t>(request.size()))
    answer = ReadUntilClosed(fd, 30);
  ::close(fd);
  return answer;
}

// The status code of a raw answer ("HTTP/1.1 200 OK..."), or 0.
inline int StatusOf(const std::string& answer) {
  return answer.size() > 12 && answer.starts_with("HTTP/1.") ? std::atoi(answer.c_str() + 9) : 0;
}
