// vxstserve: serves document archives to any web browser.
//
//   vxstserve [ARCHIVE...] [--port N] [--address A] [--public] [--workers N] [--cache-mb N]
//             [--memory-mb N] [--max-connections N] [--idle-seconds N] [--search-bar] [--open]
//
// The reader module is loaded through its registration as a browser loads it;
// archives named on the command line are handed to its reader control, so they
// are served by name without registration at http://ADDRESS:PORT/vexost://NAME/.
// "/" lists the archives it serves and those of the catalog. On an address other
// than loopback (or with --public) the host serves other machines: archives it
// knows only, pages without the server's paths, no file dialog. With more than
// one worker the program is the parent of its worker processes (host/WorkerPool.h),
// each of them this program again with the parent's listening socket; a socket
// passed by systemd (LISTEN_FDS) is served in place of --address and --port.
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/HtmlEscape.h"
#include "base/KelErrorMessage.h"
#include "base/messages/MessageTable.h"
#include "host/FormToken.h"
#include "host/HttpServer.h"
#include "host/WorkerPool.h"
#include "reader/client/ModuleSetup.h"
#include "host/ReaderGateway.h"
#include "reader/client/ReaderControlClient.h"
#include "search/SearchService.h"

namespace {

constexpr const char* kUsage =
    "Usage: vxstserve [ARCHIVE...] [--port N] [--address A] [--public] [--workers N]\n"
    "                 [--cache-mb N] [--memory-mb N] [--max-connections N] [--idle-seconds N]\n"
    "                 [--search-bar] [--open]\n"
    "  Serves document archives at http://A:N/vexost://NAME/ (default 127.0.0.1, any free port;\n"
    "  a socket passed by systemd in place of both).\n"
    "  --public       serves as on an address other than loopback (behind a proxy): only the\n"
    "                 archives named here or registered, no server paths, no file dialog\n"
    "  --workers N    serving processes (default: the cores available); SIGHUP replaces them,\n"
    "                 reading archives and catalog again. Memory and connections below are\n"
    "                 totals for all of them\n"
    "  --cache-mb N   keeps up to N MiB of answers for the archives named here (default 64, 0: none)\n"
    "  --memory-mb N  answers held in memory at once, cache included (default 256); more go to\n"
    "                 temporary files\n"
    "  --max-connections N  connections open at once (default 8192)\n"
    "  --idle-seconds N     closes a connection that sends or takes nothing for N seconds\n"
    "                       (default 20)\n"
    "  --search-bar  adds a search box to the top of the archives' HTML pages (by default\n"
    "                pages are served as their files hold them)\n"
    "  --open   opens the first URL in the desktop's browser\n";

struct Options {
  std::vector<std::string> archives;
  std::string address = "127.0.0.1";
  std::uint16_t port = 0;
  std::size_t cacheMegabytes = 64;
  std::size_t memoryMegabytes = 256;
  unsigned maxConnections = 8192;
  unsigned idleSeconds = 20;
  unsigned workers = 1;
  bool open = false;
  bool publicHost = false;
  bool searchBar = false;
};

bool ParsePort(const std::string& text, std::uint16_t& port) {
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

bool ParseMegabytes(const std::string& text, std::size_t& megabytes) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), megabytes);
  return ec == std::errc() && end == text.data() + text.size() && megabytes <= 65536;
}

bool ParseCount(const std::string& text, unsigned low, unsigned high, unsigned& count) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
  return ec == std::errc() && end == text.data() + text.size() && count >= low && count <= high;
}

bool ParseArguments(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    bool hasValue = i + 1 < argc;
    if (word == "--open") {
      options.open = true;
    } else if (word == "--search-bar") {
      options.searchBar = true;
    } else if (word == "--public") {
      options.publicHost = true;
    } else if (word == "--max-connections") {
      if (!hasValue || !ParseCount(argv[++i], 1, 1000000, options.maxConnections))
        return error = "--max-connections needs a number from 1 to 1000000", false;
    } else if (word == "--idle-seconds") {
      if (!hasValue || !ParseCount(argv[++i], 1, 3600, options.idleSeconds))
        return error = "--idle-seconds needs a number from 1 to 3600", false;
    } else if (word == "--workers") {
      if (!hasValue || !ParseCount(argv[++i], 1, 256, options.workers))
        return error = "--workers needs a number from 1 to 256", false;
    } else if (word == "--port") {
      if (!hasValue || !ParsePort(argv[++i], options.port)) return error = "--port needs a number from 0 to 65535", false;
    } else if (word == "--cache-mb") {
      if (!hasValue || !ParseMegabytes(argv[++i], options.cacheMegabytes))
        return error = "--cache-mb needs a number from 0 to 65536", false;
    } else if (word == "--memory-mb") {
      if (!hasValue || !ParseMegabytes(argv[++i], options.memoryMegabytes))
        return error = "--memory-mb needs a number from 0 to 65536", false;
    } else if (word == "--address") {
      if (!hasValue) return error = "--address needs an IPv4 address", false;
      options.address = argv[++i];
    } else if (word == "--help" || word == "-h") {
      return error.clear(), false;
    } else if (word.starts_with("--")) {
      return error = "unknown option " + word, false;
    } else {
      options.archives.push_back(word);
    }
  }
  return true;
}

bool IsLoopback(const std::string& address) { return address.starts_with("127."); }

// Host header values are compared without regard to case.
std::vector<std::string> AllowedHosts(const std::string& address, std::uint16_t port) {
  std::string suffix = ":" + std::to_string(port);
  std::vector<std::string> hosts = {address + suffix};
  if (IsLoopback(address))
    for (const char* name : {"localhost", "127.0.0.1", "[::1]"}) hosts.push_back(name + suffix);
  return hosts;
}

// Says what is wrong on standard error, in one line; takes E.
void ReportFailure(CKelException* e) {
  std::unique_ptr<CKelException> owned(e);
  CKelErrorMessage messages;
  messages.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
  std::fprintf(stderr, "vxstserve: %s\n", messages.Report(e));
}

// Hands the archives to the reader control; reports the first failure.
bool HandOver(const std::vector<std::string>& paths, std::vector<HandedArchive>& handed) {
  if (paths.empty()) return true;
  ReaderControlClient control;
  HRESULT hr = control.Create();
  if (FAILED(hr)) {
    std::fprintf(stderr, "vxstserve: the reader control cannot be created (0x%08X)\n", unsigned(hr));
    return false;
  }
  for (const std::string& path : paths) {
    try {
      HandedArchive archive = ReadHandedArchive(path);
      hr = control.HandOver(archive);
      if (FAILED(hr)) {
        std::fprintf(stderr, "vxstserve: %s cannot be handed to the reader (0x%08X)\n",
                     path.c_str(), unsigned(hr));
        return false;
      }
      handed.push_back(archive);
    } catch (CKelException* e) {
      ReportFailure(e);
      return false;
    }
  }
  return true;
}

// Each connection may hold a socket and the temporary file of its answer: the
// soft limit of descriptors is raised to the hard one, and returned.
std::uint64_t RaiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 1024;
  if (limit.rlim_cur < limit.rlim_max) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  return limit.rlim_cur;
}

void OpenInBrowser(const std::string& url) {
  if (::fork() == 0) {
    ::execlp("xdg-open", "xdg-open", url.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
}

unsigned CoresAvailable() {
  cpu_set_t cores;
  if (::sched_getaffinity(0, sizeof cores, &cores) != 0) return 1;
  return static_cast<unsigned>(std::max(1, CPU_COUNT(&cores)));
}

// The socket systemd passed to this process (LISTEN_FDS, LISTEN_PID), or -1.
// The settings are removed, so that no program started from here takes them.
int PassedSocket() {
  const char* count = std::getenv("LISTEN_FDS");
  const char* pid = std::getenv("LISTEN_PID");
  const bool passed = count && pid && std::atoi(count) >= 1 && std::atol(pid) == ::getpid();
  for (const char* name : {"LISTEN_FDS", "LISTEN_PID", "LISTEN_FDNAMES"}) ::unsetenv(name);
  return passed ? 3 : -1;
}

// The form token a worker process shares with the parent and the other workers
// ("" when this process is no worker). The setting is removed.
constexpr const char* kWorkerSetting = "VXST_SERVE_WORKER";
std::string TakeWorkerToken() {
  const char* token = std::getenv(kWorkerSetting);
  std::string taken = token ? token : "";
  ::unsetenv(kWorkerSetting);
  return taken;
}

// An even share of TOTAL megabytes for each of WORKERS processes; a share of a
// budget that is not zero is at least one megabyte.
std::size_t MegabytesPerWorker(std::size_t total, unsigned workers) {
  return total == 0 ? 0 : std::max<std::size_t>(1, total / workers);
}

void WaitForStopSignal() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  int received = 0;
  sigwait(&signals, &received);
}

// A worker stops taking connections and finishes those it has, for at most
// SECONDS (a connection idle that long is closed by the server anyway). The
// server's thread may be taking a connection as it is told to stop, and counts
// it only a moment later: the count is read after a grace, lest that
// connection be cut unanswered.
void Drain(HttpServer& server, unsigned seconds) {
  server.Quiesce();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  while (server.OpenConnections() > 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

void PrintUrls(const std::vector<std::string>& urls, const Options& options) {
  for (const std::string& url : urls) std::printf("%s\n", url.c_str());
  std::fflush(stdout);
  if (options.open) OpenInBrowser(urls.front());
}

// One serving process: the whole server, or a worker when WORKERTOKEN is set.
int Serve(const Options& options, HttpServer& server, std::unique_ptr<ReaderGateway>& gateway,
          const std::string& workerToken) {
  std::string error;
  const bool remoteClients = options.publicHost || !IsLoopback(server.BoundAddress());
  // Made before anything could fork serving processes, so that all share it.
  const std::string formToken = workerToken.empty() ? NewFormToken() : workerToken;
  if (formToken.empty()) {
    std::fprintf(stderr, "vxstserve: the system's random source gives nothing\n");
    return 1;
  }
  std::string module = EnsureReaderModule(error);
  if (module.empty()) {
    std::fprintf(stderr, "vxstserve: %s\n", error.c_str());
    return 1;
  }
  // Kept loaded to the end, so that the module keeps its settings.
  SharedLibrary readerModule;
  if (!SetUpForClients(module, remoteClients, readerModule, error)) {
    std::fprintf(stderr, "vxstserve: %s\n", error.c_str());
    return 1;
  }
  std::vector<HandedArchive> handed;
  if (!HandOver(options.archives, handed)) return 1;

  // Declared before the gateway, so that they outlive the server's request thread.
  std::vector<search::SearchableArchive> searched;
  for (const HandedArchive& archive : handed) searched.push_back({archive.name, archive.path});
  // The parent of workers builds the indexes, once for all of them.
  search::SearchService searchService(searched,
                                      {{}, search::RegisteredArchives, workerToken.empty()});
  searchService.Prepare();  // indexes what is served, in the background
  SearchPages searchPages(searchService);
  ReaderGateway::Options gatewayOptions;
  gatewayOptions.search = &searchPages;
  gatewayOptions.searchBar = options.searchBar;
  gatewayOptions.modulePath = module;
  gatewayOptions.allowedHosts = AllowedHosts(server.BoundAddress(), server.Port());
  gatewayOptions.handedArchives = handed;
  gatewayOptions.cacheBound = options.cacheMegabytes << 20;
  gatewayOptions.formToken = formToken;
  gatewayOptions.remoteClients = remoteClients;
  ResponseBody::SetMemoryBudget(options.memoryMegabytes << 20);
  gateway = std::make_unique<ReaderGateway>(gatewayOptions);
  if (!server.Start(error)) {
    std::fprintf(stderr, "vxstserve: %s\n", error.c_str());
    gateway.reset();
    return 1;
  }

  std::string root = "http://" + server.BoundAddress() + ":" + std::to_string(server.Port()) + "/";
  std::vector<std::string> urls;
  for (const HandedArchive& archive : handed)
    urls.push_back(root + "vexost://" + vxs::EscapeUrlComponent(archive.name) + "/");
  if (urls.empty()) urls.push_back(root);
  PrintUrls(urls, workerToken.empty() ? options : Options{});
  WaitForStopSignal();
  if (!workerToken.empty()) Drain(server, options.idleSeconds);
  server.Stop();
  gateway.reset();  // before the reader module it holds is let go
  return 0;
}

// The parent of OPTIONS.workers worker processes serving on SERVER's socket.
int RunWorkers(const Options& options, const HttpServer& server, std::uint64_t descriptors) {
  std::string error;
  // Registered here once, rather than by every worker at the same time.
  if (EnsureReaderModule(error).empty()) {
    std::fprintf(stderr, "vxstserve: %s\n", error.c_str());
    return 1;
  }
  const std::string formToken = NewFormToken();
  if (formToken.empty()) {
    std::fprintf(stderr, "vxstserve: the system's random source gives nothing\n");
    return 1;
  }
  // Read here first, so that a bad archive is reported once rather than by every worker.
  std::vector<search::SearchableArchive> searched;
  for (const std::string& path : options.archives) {
    try {
      searched.push_back({ReadHandedArchive(path).name, path});
    } catch (CKelException* e) {
      ReportFailure(e);
      return 1;
    }
  }
  const unsigned workers = options.workers;
  WorkerPool::Options pool;
  pool.listenSocket = server.ListeningSocket();
  pool.workers = workers;
  pool.arguments = options.archives;
  pool.arguments.insert(
      pool.arguments.end(),
      {"--workers", "1", "--cache-mb",
       std::to_string(MegabytesPerWorker(options.cacheMegabytes, workers)), "--memory-mb",
       std::to_string(MegabytesPerWorker(options.memoryMegabytes, workers)), "--max-connections",
       std::to_string(HttpServer::ConnectionsPerProcess(options.maxConnections, workers, descriptors)),
       "--idle-seconds", std::to_string(options.idleSeconds)});
  if (options.publicHost) pool.arguments.push_back("--public");
  if (options.searchBar) pool.arguments.push_back("--search-bar");
  pool.environment = {std::string(kWorkerSetting) + "=" + formToken};
  pool.readyLines = std::max<std::size_t>(1, options.archives.size());
  pool.drainTimeout = std::chrono::seconds(options.idleSeconds + 5);
  search::SearchService searchService(searched, {{}, search::RegisteredArchives});
  // Archives registered or replaced while serving are indexed within a second or two.
  pool.tick = [&] { searchService.Prepare(); };
  WorkerPool workerPool(pool);
  std::vector<std::string> urls;
  if (!workerPool.Start(urls, error)) {
    std::fprintf(stderr, "vxstserve: %s\n", error.c_str());
    return 1;
  }
  searchService.Prepare();
  PrintUrls(urls, options);
  workerPool.Run();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  options.workers = CoresAvailable();
  std::string error;
  if (!ParseArguments(argc, argv, options, error)) {
    if (!error.empty()) std::fprintf(stderr, "vxstserve: %s\n", error.c_str());
    std::fputs(kUsage, error.empty() ? stdout : stderr);
    return error.empty() ? 0 : 2;
  }
  const std::uint64_t descriptors = RaiseDescriptorLimit();
  const std::string workerToken = TakeWorkerToken();
  const int passedSocket = PassedSocket();
  const bool parent = workerToken.empty() && options.workers > 1;
  // The reader's questions must never wait at a prompt of the server's terminal.
  ::setenv("VXST_UI", "none", 0);
  // Signals go to the waiting main thread only, not to the server's threads.
  sigset_t signals = WorkerPool::BlockedSignals();
  if (!parent) {
    sigdelset(&signals, SIGCHLD);
    sigdelset(&signals, SIGHUP);
    ::signal(SIGCHLD, SIG_IGN);
  }
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  // A worker is replaced by its parent, not by a hangup of the terminal.
  if (!workerToken.empty()) ::signal(SIGHUP, SIG_IGN);
  ::signal(SIGPIPE, SIG_IGN);
  InstallMessageTable();

  HttpServer::Options serverOptions;
  serverOptions.address = options.address;
  serverOptions.port = options.port;
  serverOptions.maxConnections =
      HttpServer::ConnectionsPerProcess(options.maxConnections, 1, descriptors);
  serverOptions.idleTimeout = options.idleSeconds;
  std::unique_ptr<ReaderGateway> gateway;
  HttpServer server(serverOptions, [&](const HttpRequest& r) { return gateway->Serve(r); });
  const bool bound = passedSocket >= 0 ? server.Adopt(passedSocket, error) : server.Bind(error);
  if (!bound) {
    std::fprintf(stderr, "vxstserve: %s\n", error.c_str());
    return 1;
  }
  return parent ? RunWorkers(options, server, descriptors)
                : Serve(options, server, gateway, workerToken);
}
