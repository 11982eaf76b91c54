// Activation of in-process servers: the registry names the library of a class,
// the module cache loads it once and keeps it until CoFreeUnusedLibraries finds
// that it may go.
#include <map>
#include <mutex>

#include "platform/Com.h"
#include "platform/RegistryText.h"
#include "platform/SharedLibrary.h"

namespace {

struct LoadedServer {
  SharedLibrary library;
  LPFNGETCLASSOBJECT getClassObject;
  LPFNCANUNLOADNOW canUnloadNow;  // nullptr: the server stays loaded
};

class ServerCache {
 public:
  // Never destroyed: objects of a server may outlive every static object of the
  // host, so its library is unloaded by the end of the process, not before.
  static ServerCache& Instance() {
    static ServerCache* cache = new ServerCache;
    return *cache;
  }

  HRESULT GetClassObject(const std::string& path, REFCLSID clsid, REFIID riid, void** ppv) {
    // Recursive: a server may activate other classes while it makes its factory.
    std::lock_guard lock(m_mutex);
    auto it = m_servers.find(path);
    if (it == m_servers.end()) {
      LoadedServer server{};
      if (DWORD error = server.library.Load(path)) return HRESULT_FROM_WIN32(error);
      server.getClassObject =
          reinterpret_cast<LPFNGETCLASSOBJECT>(server.library.Symbol("DllGetClassObject"));
      if (!server.getClassObject) return CO_E_ERRORINDLL;
      server.canUnloadNow =
          reinterpret_cast<LPFNCANUNLOADNOW>(server.library.Symbol("DllCanUnloadNow"));
      it = m_servers.emplace(path, std::move(server)).first;
    }
    HRESULT hr = it->second.getClassObject(clsid, riid, ppv);
    if (SUCCEEDED(hr) && !*ppv) return E_UNEXPECTED;
    return hr;
  }

  void FreeUnused() {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_servers, [](const auto& entry) {
      return entry.second.canUnloadNow && entry.second.canUnloadNow() == S_OK;
    });
  }

 private:
  std::recursive_mutex m_mutex;
  std::map<std::string, LoadedServer> m_servers;
};

}  // namespace

HRESULT CoGetClassObject(REFCLSID clsid, DWORD clsContext, void* /*serverInfo*/, REFIID riid,
                         void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!(clsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  std::optional<std::string> path =
      ReadRegistryText(HKEY_CLASSES_ROOT, "CLSID\\" + GuidToString(clsid) + "\\InprocServer32", "");
  if (!path || path->empty()) return REGDB_E_CLASSNOTREG;
  return ServerCache::Instance().GetClassObject(*path, clsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* pUnkOuter, DWORD clsContext, REFIID riid,
                         void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  ComPtr<IClassFactory> factory;
  HRESULT hr = CoGetClassObject(clsid, clsContext, nullptr, IID_IClassFactory, factory.putVoid());
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(pUnkOuter, riid, ppv);
}

void CoFreeUnusedLibraries() { ServerCache::Instance().FreeUnused(); }
