#include "reader/ReaderClassFactory.h"

#include "reader/ModuleLock.h"
#include "reader/SwPlugProt.h"
#include "reader/ThisDll.h"

namespace {

class ReaderClassFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  // The object lives as long as the module; each reference locks the module.
  ULONG AddRef() override {
    LockModule();
    return 2;
  }
  ULONG Release() override {
    UnlockModule();
    return 1;
  }
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    ThisDll* module = ThisDll::Instance();
    ReaderState* state = module ? module->GetReaderState() : nullptr;
    if (!state) return E_UNEXPECTED;
    return SwPlugProt::Create(*state, outer, riid, ppv);
  }
  HRESULT LockServer(BOOL lock) override {
    if (lock) LockModule();
    else UnlockModule();
    return S_OK;
  }
};

ReaderClassFactory g_factory;

}  // namespace

HRESULT GetReaderClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid != CLSID_VexoStReaderPlugProt && clsid != CLSID_VexoStReaderCtl)
    return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, ppv);
}

HRESULT CanUnloadReaderModule() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }
