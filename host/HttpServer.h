// A small HTTP server over libmicrohttpd. All requests are handled on the
// library's one polling thread, one after another; the handler returns a response
// whose body is complete, and the library sends it while the next request is
// handled, so a slow or stalled client holds up nobody. Idle and slow clients
// cannot crowd others out: the server takes thousands of connections, each with
// a small memory pool whatever its query, and closes those that go quiet.
// Requests the handler need not see (HTTP/1.1 without its Host, two Host
// headers, a body too large) are answered here.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "host/HttpExchange.h"

struct MHD_Daemon;

class HttpServer {
 public:
  using Handler = std::function<HttpResponse(const HttpRequest&)>;

  struct Options {
    std::string address = "127.0.0.1";
    std::uint16_t port = 0;              // 0: any free port
    unsigned maxConnections = 4096;      // at once, in this process
    unsigned idleTimeout = 20;           // seconds a connection may neither send nor take a byte
    std::size_t maxRequestHeader = 16 * 1024;  // request line and headers
    std::size_t maxBody = 64 * 1024;           // form data of a POST
  };

  // The connections one of PROCESSES serving processes takes when all together
  // take TOTAL, within DESCRIPTORS open files per process: each connection may
  // hold its socket and the temporary file of its answer, and the reader keeps
  // some files of its own. At least one.
  static unsigned ConnectionsPerProcess(unsigned total, unsigned processes,
                                        std::uint64_t descriptors);


  HttpServer(Options options, Handler handler);
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;
  ~HttpServer();

  // Binds the listening socket, so that Port() is known before serving; false
  // with ERROR set when the address cannot be used.
  bool Bind(std::string& error);
  // Serves on SOCKET, a listening TCP socket made by another process (the
  // parent of worker processes, or systemd's socket activation) in place of
  // Bind; false with ERROR set when it is not one.
  bool Adopt(int socket, std::string& error);
  // Starts serving on the bound socket (binding first if needed).
  bool Start(std::string& error);
  // Takes no more connections (others sharing the listening socket take them);
  // requests still arriving on open ones are answered with "Connection: close".
  void Quiesce();
  // Connections open now.
  unsigned OpenConnections() const;
  void Stop();
  std::uint16_t Port() const { return m_port; }
  int ListeningSocket() const { return m_socket; }
  // The IPv4 address listened on (known after Bind or Adopt).
  const std::string& BoundAddress() const { return m_boundAddress; }
  const Options& GetOptions() const { return m_options; }

  // Library entry points (public for the C callbacks only).
  struct Exchange;
  int Handle(struct MHD_Connection* connection, const char* method, const char* version,
             const char* uploadData, std::size_t* uploadSize, void** state);

 private:
  Options m_options;
  Handler m_handler;
  MHD_Daemon* m_daemon = nullptr;
  int m_socket = -1;
  std::uint16_t m_port = 0;
  std::string m_boundAddress;
  std::atomic<bool> m_quiesced{false};
};
