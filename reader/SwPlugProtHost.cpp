// SwPlugProt towards the program that hosts it: declared safe for scripting by
// untrusted callers, and a document-host UI handler that leaves every decision
// to the browser.
#include "reader/SwPlugProt.h"

namespace {
constexpr DWORD kSupportedSafety = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
}  // namespace

HRESULT SwPlugProt::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) {
  if (!supported || !enabled) return E_POINTER;
  *supported = *enabled = 0;
  if (!FindInterface(riid) && riid != IID_IUnknown) return E_NOINTERFACE;
  *supported = kSupportedSafety;
  *enabled = m_safetyOptions;
  return S_OK;
}

HRESULT SwPlugProt::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) {
  if (mask & ~kSupportedSafety) return E_FAIL;
  if (!FindInterface(riid) && riid != IID_IUnknown) return E_NOINTERFACE;
  m_safetyOptions = (m_safetyOptions & ~mask) | (enabled & mask);
  return S_OK;
}

HRESULT SwPlugProt::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_FALSE; }

HRESULT SwPlugProt::GetHostInfo(DOCHOSTUIINFO*) { return E_NOTIMPL; }

HRESULT SwPlugProt::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                           IOleInPlaceUIWindow*) {
  return S_FALSE;
}

HRESULT SwPlugProt::HideUI() { return E_NOTIMPL; }

HRESULT SwPlugProt::UpdateUI() { return E_NOTIMPL; }

HRESULT SwPlugProt::EnableModeless(BOOL) { return E_NOTIMPL; }

HRESULT SwPlugProt::OnDocWindowActivate(BOOL) { return E_NOTIMPL; }

HRESULT SwPlugProt::OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }

HRESULT SwPlugProt::ResizeBorder(const RECT*, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }

HRESULT SwPlugProt::TranslateAccelerator(MSG*, const GUID*, DWORD) { return S_FALSE; }

HRESULT SwPlugProt::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key) *key = nullptr;
  return E_NOTIMPL;
}

HRESULT SwPlugProt::GetDropTarget(IDropTarget*, IDropTarget** target) {
  if (target) *target = nullptr;
  return E_NOTIMPL;
}

HRESULT SwPlugProt::GetExternal(IDispatch** dispatch) {
  if (dispatch) *dispatch = nullptr;
  return E_NOTIMPL;
}

HRESULT SwPlugProt::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
  if (translated) *translated = nullptr;
  return S_FALSE;
}

HRESULT SwPlugProt::FilterDataObject(IDataObject*, IDataObject** result) {
  if (result) *result = nullptr;
  return S_FALSE;
}
