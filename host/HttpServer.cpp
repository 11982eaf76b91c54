#include "host/HttpServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

struct HttpServer::Exchange {
  std::string target;  // as sent, query included
  bool started = false;
  std::string body;
  bool tooLarge = false;
};

namespace {

MHD_Result OnRequest(void* cls, struct MHD_Connection* connection, const char*,
                     const char* method, const char* version, const char* uploadData,
                     size_t* uploadSize, void** state) {
  auto* server = static_cast<HttpServer*>(cls);
  return server->Handle(connection, method, version, uploadData, uploadSize, state) ? MHD_YES
                                                                                    : MHD_NO;
}

void OnCompleted(void*, struct MHD_Connection*, void** state, enum MHD_RequestTerminationCode) {
  delete static_cast<HttpServer::Exchange*>(*state);
  *state = nullptr;
}

std::string Header(struct MHD_Connection* connection, const char* name) {
  const char* value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
  return value ? value : "";
}

// The request target reaches the handler exactly as sent: the reader's URL
// grammar decodes escapes itself, once. The library would also keep a record of
// every query argument in the connection's small memory pool, and it answers
// nothing at all to a request whose arguments do not fit; the host reads no
// arguments. So the target is taken here, before the library parses it, and the
// query's text is ended right after its "?", so that the library finds no
// arguments: URI is the library's own request buffer (writable), and the
// arguments are parsed after this call, from it.
void* TakeTarget(void*, const char* uri, struct MHD_Connection*) {
  auto* exchange = new HttpServer::Exchange;
  exchange->target = uri;
  if (char* query = std::strchr(const_cast<char*>(uri), '?')) query[1] = '\0';
  return exchange;
}

MHD_Result CountHostHeaders(void* cls, enum MHD_ValueKind, const char* key, const char*) {
  if (::strcasecmp(key, MHD_HTTP_HEADER_HOST) == 0) ++*static_cast<int*>(cls);
  return MHD_YES;
}

// What makes a request unfit for the handler, or "": HTTP/1.1 requires its Host
// header, and two of them leave open which host is meant.
const char* HostFault(struct MHD_Connection* connection, const char* version) {
  int hosts = 0;
  MHD_get_connection_values(connection, MHD_HEADER_KIND, &CountHostHeaders, &hosts);
  if (hosts > 1) return "The request names its host twice.\n";
  if (hosts == 0 && std::strcmp(version, MHD_HTTP_VERSION_1_1) == 0)
    return "An HTTP/1.1 request names its host (Host header).\n";
  return "";
}

// The body of a response and the part of it to send; the response holds the
// body, so that a body that others may share lives as long as any response.
struct BodyPart {
  std::shared_ptr<const ResponseBody> body;
  std::uint64_t offset;
};

void FreeBodyPart(void* cls) { delete static_cast<BodyPart*>(cls); }

// A body in a temporary file is read piece by piece as the client takes it.
ssize_t ReadFromFile(void* cls, std::uint64_t position, char* buffer, size_t max) {
  const auto* part = static_cast<const BodyPart*>(cls);
  for (;;) {
    ssize_t n = ::pread(part->body->FileDescriptor(), buffer, max,
                        static_cast<off_t>(part->offset + position));
    if (n > 0) return n;
    if (n < 0 && errno == EINTR) continue;
    return MHD_CONTENT_READER_END_WITH_ERROR;  // the file is shorter than its body: never so
  }
}

constexpr size_t kFileBlock = 64 * 1024;

struct MHD_Response* MakeLibraryResponse(const HttpResponse& response) {
  if (!response.body || response.length == 0)
    return MHD_create_response_from_buffer(0, const_cast<char*>(""), MHD_RESPMEM_PERSISTENT);
  const ResponseBody& body = *response.body;
  auto* part = new BodyPart{response.body, response.offset};
  struct MHD_Response* r;
  if (body.InMemory()) {
    char* bytes = const_cast<char*>(body.Memory().data()) + response.offset;
    r = MHD_create_response_from_buffer_with_free_callback_cls(
        static_cast<size_t>(response.length), bytes, &FreeBodyPart, part);
  } else {
    r = MHD_create_response_from_callback(response.length, kFileBlock, &ReadFromFile, part,
                                          &FreeBodyPart);
  }
  if (!r) delete part;
  return r;
}

}  // namespace

unsigned HttpServer::ConnectionsPerProcess(unsigned total, unsigned processes,
                                           std::uint64_t descriptors) {
  constexpr std::uint64_t kReaderDescriptors = 64;  // archives, registry, cache, listening socket
  constexpr std::uint64_t kPerConnection = 2;       // the socket and a temporary file
  const std::uint64_t share = (total + std::max(processes, 1u) - 1) / std::max(processes, 1u);
  const std::uint64_t room =
      descriptors > kReaderDescriptors ? (descriptors - kReaderDescriptors) / kPerConnection : 0;
  return static_cast<unsigned>(std::max<std::uint64_t>(1, std::min(share, room)));
}

HttpServer::HttpServer(Options options, Handler handler)
    : m_options(std::move(options)), m_handler(std::move(handler)) {}

HttpServer::~HttpServer() { Stop(); }

bool HttpServer::Bind(std::string& error) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(m_options.port);
  if (::inet_pton(AF_INET, m_options.address.c_str(), &address.sin_addr) != 1) {
    error = "not an IPv4 address: " + m_options.address;
    return false;
  }
  m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int on = 1;
  ::setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(m_socket, 4096) != 0) {
    error = "cannot listen on " + m_options.address + ":" + std::to_string(m_options.port) + ": " +
            std::strerror(errno);
    if (m_socket >= 0) ::close(m_socket);
    m_socket = -1;
    return false;
  }
  return Adopt(m_socket, error);
}

bool HttpServer::Adopt(int socket, std::string& error) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  int type = 0, listening = 0;
  socklen_t size = sizeof type;
  const bool usable =
      ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
      address.sin_family == AF_INET && ::getsockopt(socket, SOL_SOCKET, SO_TYPE, &type, &size) == 0 &&
      type == SOCK_STREAM &&
      ::getsockopt(socket, SOL_SOCKET, SO_ACCEPTCONN, &listening, &(size = sizeof listening)) == 0 &&
      listening;
  if (!usable) {
    error = "descriptor " + std::to_string(socket) + " is no listening IPv4 TCP socket";
    return false;
  }
  // Processes sharing the socket are all woken for a connection that only one
  // takes: the others must find nothing to accept rather than wait in accept().
  ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL) | O_NONBLOCK);
  ::fcntl(socket, F_SETFD, FD_CLOEXEC);
  char text[INET_ADDRSTRLEN] = "";
  ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  m_socket = socket;
  m_port = ntohs(address.sin_port);
  m_boundAddress = text;
  return true;
}

bool HttpServer::Start(std::string& error) {
  if (m_socket < 0 && !Bind(error)) return false;
  m_daemon = MHD_start_daemon(
      MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | MHD_USE_ITC | MHD_USE_ERROR_LOG, 0, nullptr, nullptr,
      &OnRequest, this, MHD_OPTION_LISTEN_SOCKET, m_socket,
      MHD_OPTION_CONNECTION_LIMIT, m_options.maxConnections,
      MHD_OPTION_CONNECTION_TIMEOUT, m_options.idleTimeout,
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<size_t>(m_options.maxRequestHeader + 4096),
      MHD_OPTION_URI_LOG_CALLBACK, &TakeTarget, nullptr,
      MHD_OPTION_NOTIFY_COMPLETED, &OnCompleted, nullptr, MHD_OPTION_END);
  if (!m_daemon) {
    error = "cannot serve on " + m_options.address + ":" + std::to_string(m_port);
    return false;
  }
  return true;
}

void HttpServer::Quiesce() {
  if (!m_daemon || m_quiesced) return;
  m_quiesced = MHD_quiesce_daemon(m_daemon) != MHD_INVALID_SOCKET;
}

unsigned HttpServer::OpenConnections() const {
  if (!m_daemon) return 0;
  const MHD_DaemonInfo* info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_CURRENT_CONNECTIONS);
  return info ? info->num_connections : 0;
}

void HttpServer::Stop() {
  if (m_daemon) MHD_stop_daemon(m_daemon);
  // A quiesced daemon leaves its listening socket to its owner.
  if ((!m_daemon || m_quiesced) && m_socket >= 0) ::close(m_socket);
  m_daemon = nullptr;
  m_socket = -1;
  m_quiesced = false;
}

int HttpServer::Handle(struct MHD_Connection* connection, const char* method,
                       const char* version, const char* uploadData, std::size_t* uploadSize,
                       void** state) {
  auto* exchange = static_cast<Exchange*>(*state);
  if (!exchange->started) {
    exchange->started = true;
    return 1;
  }
  if (*uploadSize > 0) {  // form data arrives in pieces before the last call
    if (exchange->body.size() + *uploadSize > m_options.maxBody) exchange->tooLarge = true;
    else exchange->body.append(uploadData, *uploadSize);
    *uploadSize = 0;
    return 1;
  }
  HttpRequest request;
  request.method = method;
  request.target = std::move(exchange->target);
  request.host = Header(connection, MHD_HTTP_HEADER_HOST);
  request.origin = Header(connection, "Origin");
  request.range = Header(connection, MHD_HTTP_HEADER_RANGE);
  request.ifNoneMatch = Header(connection, MHD_HTTP_HEADER_IF_NONE_MATCH);
  request.ifModifiedSince = Header(connection, MHD_HTTP_HEADER_IF_MODIFIED_SINCE);
  request.acceptEncoding = Header(connection, MHD_HTTP_HEADER_ACCEPT_ENCODING);
  request.contentType = Header(connection, MHD_HTTP_HEADER_CONTENT_TYPE);
  request.body = std::move(exchange->body);

  HttpResponse response;
  const char* hostFault = HostFault(connection, version);
  if (*hostFault)
    response.SetText(400, "text/plain; charset=utf-8", hostFault);
  else if (exchange->tooLarge)
    response.SetText(413, "text/plain; charset=utf-8", "Request too large.\n");
  else
    response = m_handler(request);

  struct MHD_Response* r = MakeLibraryResponse(response);
  if (!r) return 0;
  for (const auto& [name, value] : response.headers)
    MHD_add_response_header(r, name.c_str(), value.c_str());
  // The client asks again on a new connection, which a serving process takes.
  if (m_quiesced) MHD_add_response_header(r, MHD_HTTP_HEADER_CONNECTION, "close");
  MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(response.status), r);
  MHD_destroy_response(r);
  return queued == MHD_YES;
}
