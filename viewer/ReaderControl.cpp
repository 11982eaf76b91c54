#include "viewer/ReaderControl.h"

namespace {

void Check(HRESULT result) {
  if (FAILED(result)) throw new ReaderControlException(result);
}

}  // namespace

namespace viewer {

void IVexoStReaderCtl::CreateDispatch() {
  Check(m_client.Create());
  m_created = true;
}

void IVexoStReaderCtl::HandOver(const std::string& name, const std::string& path,
                                std::uint32_t firmCode) {
  if (!m_created) Check(E_POINTER);
  Check(m_client.HandOver(HandedArchive{name, path, firmCode}));
}

void IVexoStReaderCtl::PutWebBrowser(IUnknown* browser) {
  if (!m_created) Check(E_POINTER);
  Check(m_client.PutWebBrowser(browser));
}

}  // namespace viewer

HRESULT WebBrowserObject::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!(riid == IID_IUnknown)) return E_NOINTERFACE;
  *ppv = static_cast<IUnknown*>(this);
  AddRef();
  return S_OK;
}

ULONG WebBrowserObject::Release() {
  const ULONG left = --m_references;
  if (left == 0) delete this;
  return left;
}
