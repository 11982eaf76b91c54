// Serves the embedded browser's vexost: URLs through the reader module, as the
// browser of the original platform did through the module's protocol handler:
// the protocol broker finds the registered handler, drives it and collects the
// MIME type and the bytes. The module's pages show its header image through
// res:// URLs, which are served from the module's built-in resources.
#pragma once

#include <string>

#include "platform/ProtocolBroker.h"

#include <webkit2/webkit2.h>

class SchemeServer {
 public:
  // MODULEPATH: the reader module, the only file res:// URLs may name.
  explicit SchemeServer(std::string modulePath) : m_modulePath(std::move(modulePath)) {}
  SchemeServer(const SchemeServer&) = delete;
  SchemeServer& operator=(const SchemeServer&) = delete;

  // Registers both schemes with CONTEXT; the server must outlive it.
  void Register(WebKitWebContext* context);

 private:
  static void ServeReader(WebKitURISchemeRequest* request, gpointer self);
  static void ServeResource(WebKitURISchemeRequest* request, gpointer self);

  ProtocolBroker m_broker;
  std::string m_modulePath;
};
