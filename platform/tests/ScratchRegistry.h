// Test helpers: a registry of its own for each test (VXST_REGISTRY_DIR in a fresh
// folder), and the fake protocol module registered into it.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/Com.h"
#include "platform/Registry.h"
#include "platform/SharedLibrary.h"
#include "platform/tests/fakemodule/FakeProtocol.h"

class ScratchRegistry {
 public:
  ScratchRegistry() {
    if (const char* old = std::getenv("VXST_REGISTRY_DIR")) m_previous = old;
    std::string pattern = (std::filesystem::temp_directory_path() / "vxcom-XXXXXX").string();
    m_folder = mkdtemp(pattern.data());
    setenv("VXST_REGISTRY_DIR", m_folder.c_str(), 1);
  }
  ScratchRegistry(const ScratchRegistry&) = delete;
  ScratchRegistry& operator=(const ScratchRegistry&) = delete;
  ~ScratchRegistry() {
    if (m_previous)
      setenv("VXST_REGISTRY_DIR", m_previous->c_str(), 1);
    else
      unsetenv("VXST_REGISTRY_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }
  const std::string& Folder() const { return m_folder; }

 private:
  std::string m_folder;
  std::optional<std::string> m_previous;
};

// Writes a text value under HKEY_CLASSES_ROOT.
inline void WriteClassesText(const std::string& key, const char* name, const std::string& text) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_WRITE, nullptr, &handle, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS);
  RegCloseKey(handle);
}

// Points class CLSID at the library PATH.
inline void RegisterClassLibrary(REFCLSID clsid, const std::string& path) {
  WriteClassesText("CLSID\\" + GuidToString(clsid) + "\\InprocServer32", "", path);
}

// Calls the fake module's DllRegisterServer, as vxregsvr does.
inline void RegisterFakeModule() {
  SharedLibrary library;
  ASSERT_EQ(library.Load(VXST_FAKE_PROTOCOL_MODULE), ERROR_SUCCESS) << library.LoadError();
  auto registerServer = reinterpret_cast<LPFNREGISTERSERVER>(library.Symbol("DllRegisterServer"));
  ASSERT_NE(registerServer, nullptr);
  ASSERT_EQ(registerServer(), S_OK);
}

// True while the library at PATH is loaded in this process.
inline bool IsLibraryLoaded(const char* path) {
  void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}
