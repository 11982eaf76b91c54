// The viewer's driver of the reader control "VexoSt.ReaderCtl" of the reader
// module: creates it, hands archives over (dispatch ids 4 and 5) and gives it the
// view's browser object (dispatch id 3). Failures are raised as
// ReaderControlException, as the framework's dispatch driver raises its OLE
// exceptions. The class keeps the interface's name in a namespace of its own, as
// the module names its COM interface the same.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Framework.h"
#include "reader/client/ReaderControlClient.h"

class ReaderControlException : public CException {
 public:
  explicit ReaderControlException(HRESULT result) : m_result(result) {}
  const char* GetRuntimeClassName() const override { return "ReaderControlException"; }
  HRESULT m_result;
};

namespace viewer {

class IVexoStReaderCtl {
 public:
  // Creates the control in the registered reader module.
  void CreateDispatch();
  bool IsCreated() const { return m_created; }
  // The hand-over record into the control's buffer (created on first use), then SetData(1).
  void HandOver(const std::string& name, const std::string& path, std::uint32_t firmCode);
  void PutWebBrowser(IUnknown* browser);

 private:
  ReaderControlClient m_client;
  bool m_created = false;
};

}  // namespace viewer

// The browser object the view gives the reader control: an object the control
// may hold; the view has no automation interface to offer beyond IUnknown.
class WebBrowserObject final : public IUnknown {
 public:
  static WebBrowserObject* Create() { return new WebBrowserObject; }
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override { return ++m_references; }
  ULONG Release() override;

 private:
  WebBrowserObject() = default;
  ~WebBrowserObject() = default;
  ULONG m_references = 1;
};
