// The component object model of this system: interfaces with reference counts and
// QueryInterface, class factories, GUIDs and HRESULTs with their Windows values,
// and activation of in-process servers.
//
// An in-process server is a shared library that exports DllGetClassObject and
// DllCanUnloadNow (and, for vxregsvr, DllRegisterServer and DllUnregisterServer).
// CoGetClassObject finds the library of a class id under
// HKEY_CLASSES_ROOT\CLSID\{class id}\InprocServer32 (default value: the library's
// path), loads it with dlopen, keeps it in a module cache and asks its
// DllGetClassObject for the class factory. CoFreeUnusedLibraries unloads the cached
// libraries whose DllCanUnloadNow answers S_OK.
//
// Texts: the interfaces of the original platform pass wide texts (OLECHAR,
// LPCWSTR). Here every such text is UTF-8: OLECHAR and WCHAR are char, and a
// count of "characters" in a buffer is a count of bytes. Interfaces keep their
// Windows method order; the calling convention is the compiler's default, which
// is the same for the host and every module built with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/WinTypes.h"

using UINT = unsigned int;
using LPVOID = void*;
using LCID = DWORD;
using HANDLE_PTR = std::uintptr_t;
using OLECHAR = char;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using WCHAR = char;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPCLSID = CLSID*;

// HRESULTs of activation, class factories and self-registration.
inline constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006u);
inline constexpr HRESULT E_PENDING = static_cast<HRESULT>(0x8000000Au);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT REGDB_E_READREGDB = static_cast<HRESULT>(0x80040150u);
inline constexpr HRESULT REGDB_E_WRITEREGDB = static_cast<HRESULT>(0x80040151u);
inline constexpr HRESULT REGDB_E_KEYMISSING = static_cast<HRESULT>(0x80040152u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT SELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200u);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);
inline constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);
inline constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8u);
inline constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);

// Class contexts of CoCreateInstance; only in-process servers exist here.
inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
inline constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
inline constexpr DWORD CLSCTX_SERVER =
    CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
inline constexpr DWORD CLSCTX_ALL = CLSCTX_SERVER | CLSCTX_INPROC_HANDLER;

// GUID constants have internal linkage (constexpr, not inline): an inline
// variable would be a unique symbol, and unique symbols keep a module loaded.
constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_NULL = GUID_NULL;
constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
inline bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

// Interfaces have no virtual destructor (it would shift the method table); objects
// delete themselves in Release.
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

struct IClassFactory : IUnknown {
  virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
  virtual HRESULT LockServer(BOOL fLock) = 0;

 protected:
  ~IClassFactory() = default;
};

// Memory that crosses a module boundary (texts handed out by an interface).
void* CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(void* memory);

// GUID texts in registry form, "{00030001-0000-1010-8002-0000C06B5161}": upper-case
// hexadecimal, braces included.
std::string GuidToString(REFGUID guid);
// Reads a GUID text in registry form (hex digits of either case); nullopt when the
// text is anything else.
std::optional<GUID> GuidFromString(std::string_view text);
// Writes the registry form with its terminating zero; returns the characters
// written including the zero (39), or 0 when cchMax is too small.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax);
// CO_E_CLASSSTRING when the text is no GUID in registry form.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
// HKEY_CLASSES_ROOT\<ProgID>\CLSID, following CurVer when the ProgID is version
// independent and has no CLSID of its own. CO_E_CLASSSTRING for an unknown ProgID.
HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid);

// Activation. Failures: REGDB_E_CLASSNOTREG (no InprocServer32 for the class, or a
// context without CLSCTX_INPROC_SERVER), HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)
// (no such library), HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT) (a file that does not
// load as a library), CO_E_ERRORINDLL (no DllGetClassObject), or the module's own
// answer (CLASS_E_CLASSNOTAVAILABLE, CLASS_E_NOAGGREGATION, E_NOINTERFACE, ...).
HRESULT CoGetClassObject(REFCLSID clsid, DWORD clsContext, void* serverInfo, REFIID riid,
                         void** ppv);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* pUnkOuter, DWORD clsContext, REFIID riid,
                         void** ppv);
// Unloads every cached server library whose DllCanUnloadNow answers S_OK.
void CoFreeUnusedLibraries();

// Exports of an in-process server, as vxregsvr and the module cache call them.
using LPFNGETCLASSOBJECT = HRESULT (*)(REFCLSID, REFIID, void**);
using LPFNCANUNLOADNOW = HRESULT (*)();
using LPFNREGISTERSERVER = HRESULT (*)();

// Owns one reference to an interface, in the manner of the usual smart pointer:
// taking a raw pointer adds a reference, put() hands out the slot for an out
// parameter (releasing what was held).
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(T* p) : m_p(p) {
    if (m_p) m_p->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
  ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(m_p, other.m_p);
    return *this;
  }
  ~ComPtr() { Reset(); }

  T* get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  T** put() {
    Reset();
    return &m_p;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  void Reset() {
    if (T* p = std::exchange(m_p, nullptr)) p->Release();
  }
  // QueryInterface into another smart pointer.
  template <class U>
  HRESULT As(REFIID riid, ComPtr<U>& out) const {
    if (!m_p) return E_POINTER;
    return m_p->QueryInterface(riid, out.putVoid());
  }

 private:
  T* m_p = nullptr;
};
