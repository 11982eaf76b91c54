#include "host/HttpServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

struct HttpServer::Exchange {
  std::string body;
  bool tooLarge = false;
};

namespace {

// The request target reaches the handler exactly as sent: the reader's URL
// grammar decodes escapes itself, once.
size_t KeepEscapes(void*, struct MHD_Connection*, char* text) { return std::strlen(text); }

MHD_Result OnRequest(void* cls, struct MHD_Connection* connection, const char* url,
                     const char* method, const char*, const char* uploadData,
                     size_t* uploadSize, void** state) {
  auto* server = static_cast<HttpServer*>(cls);
  return server->Handle(connection, url, method, uploadData, uploadSize, state) ? MHD_YES : MHD_NO;
}

void OnCompleted(void*, struct MHD_Connection*, void** state, enum MHD_RequestTerminationCode) {
  delete static_cast<HttpServer::Exchange*>(*state);
  *state = nullptr;
}

std::string Header(struct MHD_Connection* connection, const char* name) {
  const char* value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
  return value ? value : "";
}

// The query part of the target, rebuilt in order from the library's arguments.
MHD_Result AppendArgument(void* cls, enum MHD_ValueKind, const char* key, const char* value) {
  auto* query = static_cast<std::string*>(cls);
  query->append(query->empty() ? "?" : "&").append(key);
  if (value) query->append("=").append(value);
  return MHD_YES;
}

void FreeBody(void* cls) { delete static_cast<std::shared_ptr<const ResponseBody>*>(cls); }

struct MHD_Response* MakeLibraryResponse(const HttpResponse& response) {
  if (!response.body || response.length == 0)
    return MHD_create_response_from_buffer(0, const_cast<char*>(""), MHD_RESPMEM_PERSISTENT);
  const ResponseBody& body = *response.body;
  if (body.InMemory()) {
    auto* holder = new std::shared_ptr<const ResponseBody>(response.body);
    char* bytes = const_cast<char*>(body.Memory().data()) + response.offset;
    struct MHD_Response* r = MHD_create_response_from_buffer_with_free_callback_cls(
        static_cast<size_t>(response.length), bytes, &FreeBody, holder);
    if (!r) delete holder;
    return r;
  }
  int fd = ::dup(body.FileDescriptor());
  if (fd < 0) return nullptr;
  struct MHD_Response* r = MHD_create_response_from_fd_at_offset64(
      response.length, fd, response.offset);
  if (!r) ::close(fd);
  return r;
}

}  // namespace

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
  socklen_t length = sizeof address;
  if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(m_socket, 1024) != 0 ||
      ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    error = "cannot listen on " + m_options.address + ":" + std::to_string(m_options.port) + ": " +
            std::strerror(errno);
    if (m_socket >= 0) ::close(m_socket);
    m_socket = -1;
    return false;
  }
  m_port = ntohs(address.sin_port);
  return true;
}

bool HttpServer::Start(std::string& error) {
  if (m_socket < 0 && !Bind(error)) return false;
  m_daemon = MHD_start_daemon(
      MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | MHD_USE_ERROR_LOG, 0, nullptr, nullptr,
      &OnRequest, this, MHD_OPTION_LISTEN_SOCKET, m_socket,
      MHD_OPTION_CONNECTION_LIMIT, m_options.maxConnections,
      MHD_OPTION_CONNECTION_TIMEOUT, m_options.connectionTimeout,
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<size_t>(m_options.maxRequestHeader + 4096),
      MHD_OPTION_UNESCAPE_CALLBACK, &KeepEscapes, nullptr,
      MHD_OPTION_NOTIFY_COMPLETED, &OnCompleted, nullptr, MHD_OPTION_END);
  if (!m_daemon) {
    error = "cannot serve on " + m_options.address + ":" + std::to_string(m_port);
    return false;
  }
  return true;
}

void HttpServer::Stop() {
  if (m_daemon) MHD_stop_daemon(m_daemon);
  else if (m_socket >= 0) ::close(m_socket);
  m_daemon = nullptr;
  m_socket = -1;
}

int HttpServer::Handle(struct MHD_Connection* connection, const char* url, const char* method,
                       const char* uploadData, std::size_t* uploadSize, void** state) {
  auto* exchange = static_cast<Exchange*>(*state);
  if (!exchange) {
    *state = new Exchange;
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
  request.target = url;
  std::string query;
  MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &AppendArgument, &query);
  request.target += query;
  request.host = Header(connection, MHD_HTTP_HEADER_HOST);
  request.origin = Header(connection, "Origin");
  request.range = Header(connection, MHD_HTTP_HEADER_RANGE);
  request.ifNoneMatch = Header(connection, MHD_HTTP_HEADER_IF_NONE_MATCH);
  request.ifModifiedSince = Header(connection, MHD_HTTP_HEADER_IF_MODIFIED_SINCE);
  request.acceptEncoding = Header(connection, MHD_HTTP_HEADER_ACCEPT_ENCODING);
  request.contentType = Header(connection, MHD_HTTP_HEADER_CONTENT_TYPE);
  request.body = std::move(exchange->body);

  HttpResponse response;
  if (exchange->tooLarge) response.SetText(413, "text/plain; charset=utf-8", "Request too large.\n");
  else response = m_handler(request);

  struct MHD_Response* r = MakeLibraryResponse(response);
  if (!r) return 0;
  for (const auto& [name, value] : response.headers)
    MHD_add_response_header(r, name.c_str(), value.c_str());
  MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(response.status), r);
  MHD_destroy_response(r);
  return queued == MHD_YES;
}
