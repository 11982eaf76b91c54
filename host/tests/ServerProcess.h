// Runs the real programs for the host's tests: vxb to pack archives from files the
// test writes, vxreg to register them in a scratch registry, vxstserve there, and
// curl as the client.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
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
#include <filesystem>
#include <map>
#include <sstream>
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
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  const int status = ::pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// FILES (relative path -> bytes) written under SCRATCH/FILE.d and packed by vxb
// into the archive SCRATCH/FILE.
inline void PackFiles(const TempFolder& scratch, const std::string& file, const std::string& name,
                      unsigned firmCode, const std::map<std::string, std::string>& files,
                      const std::string& start = "index.htm") {
  for (const auto& [relative, bytes] : files) {
    const std::filesystem::path path = scratch / (file + ".d/" + relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  const std::string command = Quote(BuiltProgram("tools/vxb/vxb")) + " pack " +
                              Quote(scratch / (file + ".d")) + " -o " + Quote(scratch / file) +
                              " --name " + name + " --firm-code " + std::to_string(firmCode) +
                              " --start " + start + " >/dev/null";
  EXPECT_EQ(RunCommand(command), 0) << command;
}

// vxreg on the scratch registry of SCRATCH with WORDS.
inline int RunRegistry(const TempFolder& scratch, const std::string& words,
                       std::string* output = nullptr) {
  return RunCommand("VXST_REGISTRY_DIR=" + Quote(scratch / "registry") + " " +
                        Quote(BuiltProgram("platform/tools/vxreg/vxreg")) + " " + words,
                    output);
}
// The catalog key of NAME with FIRMCODE under ROOT ("HKCU" or "HKLM").
inline std::string CatalogKey(const std::string& root, const std::string& name, unsigned firmCode) {
  return root + "\\Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\03.00\\Documents\\" + name + "\\FC" +
         std::to_string(firmCode);
}
// PATH registered as the archive NAME with FIRMCODE under ROOT.
inline void RegisterDocument(const TempFolder& scratch, const std::string& root,
                             const std::string& name, unsigned firmCode, const std::string& path) {
  EXPECT_EQ(RunRegistry(scratch, "add " + Quote(CatalogKey(root, name, firmCode)) + " /v Doc /d " +
                                     Quote(path) + " /f >/dev/null"),
            0)
      << name;
}

// Each of TEXTS in BODY, one after the other; WHAT names the case.
inline void ExpectInOrder(const std::string& body, const std::vector<std::string>& texts,
                          const std::string& what) {
  std::size_t at = 0;
  for (const std::string& text : texts) {
    const std::size_t found = body.find(text, at);
    EXPECT_NE(found, std::string::npos) << what << ": " << text << " in order in " << body;
    if (found != std::string::npos) at = found + text.size();
  }
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
      std::vector<std::string> settings = {"VXST_REGISTRY_DIR=" + scratch / "registry",
                                           "VXST_CACHE_DIR=" + scratch / "cache"};
      settings.insert(settings.end(), environment.begin(), environment.end());
      for (const std::string& setting : settings) {
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
    while (m_output && m_urls.size() < std::max<std::size_t>(archives.size(), 1) &&
           std::fgets(line, sizeof line, m_output)) {
      m_urls.push_back(line);
      while (!m_urls.back().empty() && m_urls.back().back() == '\n') m_urls.back().pop_back();
    }
  }
  ~ServerProcess() {
    if (m_pid > 0 && ::kill(m_pid, SIGTERM) == 0) ::waitpid(m_pid, nullptr, 0);
    if (m_output) std::fclose(m_output);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // The URLs it printed: one per archive, or its root.
  const std::vector<std::string>& Urls() const { return m_urls; }
  // "http://127.0.0.1:PORT"
  std::string Origin() const {
    return m_urls.empty() ? "" : m_urls[0].substr(0, m_urls[0].find('/', 7));
  }
  std::string HostHeader() const { return Origin().substr(7); }
  std::uint16_t Port() const { return std::stoi(HostHeader().substr(10)); }
  pid_t Pid() const { return m_pid; }
  // Its resident memory in kB (VmRSS), or -1.
  long ResidentKilobytes() const {
    const std::string status = TempFolder::ReadAll("/proc/" + std::to_string(m_pid) + "/status");
    const std::size_t at = status.find("VmRSS:");
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
  std::string status;
  RunCommand("curl -s -g --path-as-is --max-time 60 -o " + Quote(scratch / "body") + " -D " +
                 Quote(scratch / "headers") + " -w '%{http_code}' " + options + " " + Quote(url),
             &status);
  return {std::atoi(status.c_str()), TempFolder::ReadAll(scratch / "headers"),
          TempFolder::ReadAll(scratch / "body")};
}

// The value of header NAME (case ignored) in curl's header dump, or "".
inline std::string HeaderValue(const std::string& headers, const std::string& name) {
  std::istringstream lines(headers);
  for (std::string line; std::getline(lines, line);) {
    if (line.ends_with('\r')) line.pop_back();
    if (line.size() > name.size() && line[name.size()] == ':' &&
        ::strncasecmp(line.c_str(), name.c_str(), name.size()) == 0)
      return line.substr(std::min(line.find_first_not_of(' ', name.size() + 1), line.size()));
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
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
  ::close(fd);
  return -1;
}

// What the server sends on FD until it closes the connection or SECONDS pass.
inline std::string ReadUntilClosed(int fd, int seconds) {
  std::string text;
  char buffer[65536];
  for (int waited = 0; waited < seconds * 10;) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 100) == 0) ++waited;
    else if (const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0); n > 0) text.append(buffer, n);
    else break;
  }
  return text;
}

// REQUEST sent as it stands on a connection of its own; the whole answer.
inline std::string RawRequest(std::uint16_t port, const std::string& request) {
  int fd = ConnectTo(port);
  if (fd < 0) return "";
  std::string answer;
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == std::ssize(request))
    answer = ReadUntilClosed(fd, 30);
  ::close(fd);
  return answer;
}

// The status code of a raw answer ("HTTP/1.1 200 OK..."), or 0.
inline int StatusOf(const std::string& answer) {
  return answer.size() > 12 && answer.starts_with("HTTP/1.") ? std::atoi(answer.c_str() + 9) : 0;
}
