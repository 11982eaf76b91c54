// vxstserve: serves document archives to any web browser.
//
//   vxstserve [ARCHIVE...] [--port N] [--address A] [--public] [--cache-mb N] [--memory-mb N]
//             [--max-connections N] [--idle-seconds N] [--search-bar] [--open]
//
// The reader module is loaded through its registration as a browser loads it;
// archives named on the command line are handed to its reader control, so they
// are served by name without registration at http://ADDRESS:PORT/vexost://NAME/.
// "/" lists the archives it serves and those of the catalog. On an address other
// than loopback (or with --public) the host serves other machines: archives it
// knows only, pages without the server's paths, no file dialog.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/HtmlEscape.h"
#include "base/KelErrorMessage.h"
#include "base/messages/MessageTable.h"
#include "host/FormToken.h"
#include "host/HttpServer.h"
#include "reader/client/ModuleSetup.h"
#include "host/ReaderGateway.h"
#include "reader/client/ReaderControlClient.h"
#include "search/SearchService.h"

namespace {

constexpr const char* kUsage =
    "Usage: vxstserve [ARCHIVE...] [--port N] [--address A] [--public] [--cache-mb N]\n"
    "                 [--memory-mb N] [--max-connections N] [--idle-seconds N] [--search-bar]\n"
    "                 [--open]\n"
    "  Serves document archives at http://A:N/vexost://NAME/ (default 127.0.0.1, any free port).\n"
    "  --public       serves as on an address other than loopback (behind a proxy): only the\n"
    "                 archives named here or registered, no server paths, no file dialog\n"
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

// Hands the archives to the reader control; reports the first failure.
bool HandOver(const std::vector<std::string>& paths, std::vector<HandedArchive>& handed) {
  if (paths.empty()) return true;
  ReaderControlClient control;
  HRESULT hr = control.Create();
  if (FAILED(hr)) {
    std::fprintf(stderr, "vxstserve: the reader control cannot be created (0x%08X)\n", unsigned(hr));
    return false;
  }
  CKelErrorMessage messages;
  messages.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
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
      std::unique_ptr<CKelException> owned(e);
      std::fprintf(stderr, "vxstserve: %s\n", messages.Report(e));
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

void WaitForStopSignal() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  int received = 0;
  sigwait(&signals, &received);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseArguments(argc, argv, options, error)) {
    if (!error.empty()) std::fprintf(stderr, "vxstserve: %s\n", error.c_str());
    std::fputs(kUsage, error.empty() ? stdout : stderr);
    return error.empty() ? 0 : 2;
  }
  const std::uint64_t descriptors = RaiseDescriptorLimit();
  const bool remoteClients = options.publicHost || !IsLoopback(options.address);
  // Made before anything could fork serving processes, so that all share it.
  const std::string formToken = NewFormToken();
  if (formToken.empty()) {
    std::fprintf(stderr, "vxstserve: the system's random source gives nothing\n");
    return 1;
  }
  // The reader's questions must never wait at a prompt of the server's terminal.
  ::setenv("VXST_UI", "none", 0);
  // Signals go to the waiting main thread only, not to the server's threads.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  ::signal(SIGCHLD, SIG_IGN);
  ::signal(SIGPIPE, SIG_IGN);
  InstallMessageTable();

  std::string module = EnsureReaderModule(error);
  if (module.empty()) {
    std::fprintf(stderr, "vxstserve: %s\n", error.c_str());
    return 1;
  }
  // Kept loaded to the end, so that the module keeps the setting.
  SharedLibrary readerModule;
  if (remoteClients && !HideServerPaths(module, readerModule, error)) {
    std::fprintf(stderr, "vxstserve: %s\n", error.c_str());
    return 1;
  }
  std::vector<HandedArchive> handed;
  if (!HandOver(options.archives, handed)) return 1;

  // Declared before the server, so that they outlive its request thread.
  std::vector<search::SearchableArchive> searched;
  for (const HandedArchive& archive : handed) searched.push_back({archive.name, archive.path});
  search::SearchService searchService(searched, {{}, search::RegisteredArchives});
  searchService.Prepare();  // indexes what is served, in the background
  SearchPages searchPages(searchService);
  HttpServer::Options serverOptions;
  serverOptions.address = options.address;
  serverOptions.port = options.port;
  serverOptions.maxConnections =
      HttpServer::ConnectionsPerProcess(options.maxConnections, 1, descriptors);
  serverOptions.idleTimeout = options.idleSeconds;
  std::unique_ptr<ReaderGateway> gateway;
  HttpServer server(serverOptions, [&](const HttpRequest& r) { return gateway->Serve(r); });
  if (!server.Bind(error)) {
    std::fprintf(stderr, "vxstserve: %s\n", error.c_str());
    return 1;
  }
  ReaderGateway::Options gatewayOptions;
  gatewayOptions.search = &searchPages;
  gatewayOptions.searchBar = options.searchBar;
  gatewayOptions.modulePath = module;
  gatewayOptions.allowedHosts = AllowedHosts(options.address, server.Port());
  gatewayOptions.handedArchives = handed;
  gatewayOptions.cacheBound = options.cacheMegabytes << 20;
  gatewayOptions.formToken = formToken;
  gatewayOptions.remoteClients = remoteClients;
  ResponseBody::SetMemoryBudget(options.memoryMegabytes << 20);
  gateway = std::make_unique<ReaderGateway>(gatewayOptions);
  if (!server.Start(error)) {
    std::fprintf(stderr, "vxstserve: %s\n", error.c_str());
    return 1;
  }

  std::string root = "http://" + options.address + ":" + std::to_string(server.Port()) + "/";
  std::vector<std::string> urls;
  for (const HandedArchive& archive : handed)
    urls.push_back(root + "vexost://" + vxs::EscapeUrlComponent(archive.name) + "/");
  if (urls.empty()) urls.push_back(root);
  for (const std::string& url : urls) std::printf("%s\n", url.c_str());
  std::fflush(stdout);
  if (options.open) OpenInBrowser(urls.front());
  WaitForStopSignal();
  return 0;
}
