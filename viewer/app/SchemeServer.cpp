#include "viewer/app/SchemeServer.h"

#include <cstdio>

#include "platform/ModuleResource.h"

namespace {

void Finish(WebKitURISchemeRequest* request, const std::string& bytes, const std::string& mimeType) {
  GBytes* data = g_bytes_new(bytes.data(), bytes.size());
  GInputStream* stream = g_memory_input_stream_new_from_bytes(data);
  webkit_uri_scheme_request_finish(request, stream, static_cast<gint64>(bytes.size()),
                                   mimeType.empty() ? "application/octet-stream" : mimeType.c_str());
  g_object_unref(stream);
  g_bytes_unref(data);
}

void Fail(WebKitURISchemeRequest* request, const std::string& message) {
  GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, message.c_str());
  webkit_uri_scheme_request_finish_error(request, error);
  g_error_free(error);
}

}  // namespace

void SchemeServer::Register(WebKitWebContext* context) {
  webkit_web_context_register_uri_scheme(context, "vexost", &SchemeServer::ServeReader, this, nullptr);
  webkit_web_context_register_uri_scheme(context, "res", &SchemeServer::ServeResource, this, nullptr);
}

void SchemeServer::ServeReader(WebKitURISchemeRequest* request, gpointer self) {
  auto* server = static_cast<SchemeServer*>(self);
  // The query is dropped, as by the HTTP host: topics are files, and pages add
  // queries to the links of their style sheets to outwit caches.
  const std::string uri = webkit_uri_scheme_request_get_uri(request);
  const ProtocolResponse response = server->m_broker.Fetch(uri.substr(0, uri.find('?')));
  // The module's error pages come with their bytes; only a request that
  // brought nothing at all fails.
  if (FAILED(response.result) && response.bytes.empty()) {
    char message[64];
    std::snprintf(message, sizeof message, "The page could not be served (0x%08X).",
                  static_cast<unsigned>(response.result));
    Fail(request, message);
    return;
  }
  Finish(request, response.bytes, response.mimeType);
}

void SchemeServer::ServeResource(WebKitURISchemeRequest* request, gpointer self) {
  auto* server = static_cast<SchemeServer*>(self);
  std::string bytes, mimeType;
  if (!ReadModuleResourceUrl(webkit_uri_scheme_request_get_uri(request), server->m_modulePath, bytes,
                             mimeType)) {
    Fail(request, "No such resource.");
    return;
  }
  Finish(request, bytes, mimeType);
}
