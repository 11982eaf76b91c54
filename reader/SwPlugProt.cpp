#include "reader/SwPlugProt.h"

#include <new>

#include "reader/ControlBuffer.h"
#include "reader/IECache.h"
#include "reader/ModuleLock.h"

HRESULT SwPlugProt::Create(ReaderState& state, IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
  auto* object = new (std::nothrow) SwPlugProt(state, outer);
  if (!object) return E_OUTOFMEMORY;
  // The inner unknown holds the object for the caller; it goes when the caller
  // lets go, or at once when RIID is not offered.
  object->m_inner.AddRef();
  const HRESULT hr = object->m_inner.QueryInterface(riid, ppv);
  object->m_inner.Release();
  return hr;
}

SwPlugProt::SwPlugProt(ReaderState& state, IUnknown* outer)
    : m_outer(outer ? outer : &m_inner), m_state(state) {
  LockModule();
}

SwPlugProt::~SwPlugProt() {
  ReleaseRequest();
  UnlockModule();
}

HRESULT SwPlugProt::QueryInterface(REFIID riid, void** ppv) { return m_outer->QueryInterface(riid, ppv); }

ULONG SwPlugProt::AddRef() { return m_outer->AddRef(); }

ULONG SwPlugProt::Release() { return m_outer->Release(); }

IUnknown* SwPlugProt::FindInterface(REFIID riid) {
  if (riid == IID_IInternetProtocolInfo) return static_cast<IInternetProtocolInfo*>(this);
  if (riid == IID_IWinInetInfo || riid == IID_IWinInetHttpInfo)
    return static_cast<IWinInetHttpInfo*>(this);
  if (riid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
  if (riid == IID_IDocHostUIHandler) return static_cast<IDocHostUIHandler*>(this);
  if (riid == IID_IInternetProtocolRoot || riid == IID_IInternetProtocol)
    return static_cast<IInternetProtocol*>(this);
  if (riid == IID_IVexoStReaderCtl || riid == IID_IDispatch)
    return static_cast<IVexoStReaderCtl*>(this);
  return nullptr;
}

HRESULT SwPlugProt::InnerUnknown::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  IUnknown* found = riid == IID_IUnknown ? this : m_owner.FindInterface(riid);
  *ppv = found;
  if (!found) return E_NOINTERFACE;
  found->AddRef();
  return S_OK;
}

ULONG SwPlugProt::InnerUnknown::AddRef() { return ++m_owner.m_references; }

ULONG SwPlugProt::InnerUnknown::Release() {
  const ULONG left = --m_owner.m_references;
  if (left == 0) delete &m_owner;
  return left;
}
