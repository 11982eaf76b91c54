// Test helpers for activation: the fake protocol module registered into the
// scratch registry of a test, classes pointed at libraries, loaded libraries seen.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/Com.h"
#include "platform/SharedLibrary.h"
#include "platform/tests/ScratchRegistry.h"
#include "platform/tests/fakemodule/FakeProtocol.h"

// A scratch registry with the fake protocol module registered in it, as vxregsvr
// would register it.
class FakeModuleRegistry : public ScratchRegistry {
 protected:
  void SetUp() override {
    ScratchRegistry::SetUp();
    SharedLibrary library;
    ASSERT_EQ(library.Load(VXST_FAKE_PROTOCOL_MODULE), ERROR_SUCCESS) << library.LoadError();
    auto registerServer = reinterpret_cast<LPFNREGISTERSERVER>(library.Symbol("DllRegisterServer"));
    ASSERT_NE(registerServer, nullptr);
    ASSERT_EQ(registerServer(), S_OK);
  }

  // Points class CLSID at the library PATH.
  static void RegisterClassLibrary(REFCLSID clsid, const std::string& path) {
    std::string key = "CLSID\\" + GuidToString(clsid) + "\\InprocServer32";
    PutText(HKEY_CLASSES_ROOT, key.c_str(), "", path);
  }
};

// True while the library at PATH is loaded in this process.
inline bool IsLibraryLoaded(const char* path) {
  void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}
