#include <gtest/gtest.h>

#include <fstream>

#include "platform/UrlMon.h"
#include "platform/tests/ComTestSupport.h"

namespace {

constexpr CLSID kUnregistered = {
    0x5A1E0002, 0x7E57, 0x4C0D, {0x9A, 0x11, 0x00, 0x00, 0xF0, 0x0D, 0x00, 0x02}};

using ComActivation = FakeModuleRegistry;

TEST_F(ComActivation, CreatesARegisteredClassByClassId) {
  ComPtr<IInternetProtocol> protocol;
  ASSERT_EQ(CoCreateInstance(CLSID_FakeProtocol, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IInternetProtocol, protocol.putVoid()),
            S_OK);
  ComPtr<IInternetProtocolInfo> info;
  EXPECT_EQ(protocol.As(IID_IInternetProtocolInfo, info), S_OK);
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(
      CoCreateInstance(CLSID_FakeProtocol, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.putVoid()),
      S_OK);
}

TEST_F(ComActivation, FindsTheClassOfAProgIdAndOfItsVersionIndependentName) {
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(kFakeProgId, &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_FakeProtocol);
  clsid = GUID_NULL;
  ASSERT_EQ(CLSIDFromProgID(kFakeIndependentProgId, &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_FakeProtocol);
  ComPtr<IInternetProtocol> protocol;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IInternetProtocol,
                             protocol.putVoid()),
            S_OK);
}

TEST_F(ComActivation, UnknownOrLoopingProgIdsAnswerClassString) {
  CLSID clsid = CLSID_FakeProtocol;
  EXPECT_EQ(CLSIDFromProgID("VxFake.Nothing", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(clsid, GUID_NULL);
  PutText(HKEY_CLASSES_ROOT, "VxFake.Loop\\CurVer", "", "VxFake.Loop");
  EXPECT_EQ(CLSIDFromProgID("VxFake.Loop", &clsid), CO_E_CLASSSTRING);
  PutText(HKEY_CLASSES_ROOT, "VxFake.Bad\\CLSID", "", "not a class id");
  EXPECT_EQ(CLSIDFromProgID("VxFake.Bad", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID("", &clsid), CO_E_CLASSSTRING);
}

TEST_F(ComActivation, ClassWithoutServerIsNotRegistered) {
  ComPtr<IUnknown> object;
  EXPECT_EQ(CoCreateInstance(kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             object.putVoid()),
            REGDB_E_CLASSNOTREG);
  std::string classKey = "CLSID\\" + GuidToString(kUnregistered);
  PutText(HKEY_CLASSES_ROOT, classKey.c_str(), "", "a class without a library");
  EXPECT_EQ(CoCreateInstance(kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             object.putVoid()),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(CLSID_FakeProtocol, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                             object.putVoid()),
            REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(object);
}

TEST_F(ComActivation, MissingLibraryIsModuleNotFound) {
  RegisterClassLibrary(kUnregistered, Folder() + "/gone/libnothing.so");
  ComPtr<IUnknown> object;
  EXPECT_EQ(CoCreateInstance(kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             object.putVoid()),
            HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
  RegisterClassLibrary(kUnregistered, "C:\\Windows\\vxstrd.dll");
  EXPECT_EQ(CoCreateInstance(kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             object.putVoid()),
            HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
}

TEST_F(ComActivation, FileThatIsNoLibraryIsBadFormat) {
  std::string path = Folder() + "/fake.so";
  std::ofstream(path) << "not a shared library";
  RegisterClassLibrary(kUnregistered, path);
  ComPtr<IUnknown> object;
  EXPECT_EQ(CoCreateInstance(kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             object.putVoid()),
            HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT));
}

TEST_F(ComActivation, LibraryWithoutGetClassObjectIsAnErrorInTheLibrary) {
  RegisterClassLibrary(kUnregistered, VXST_NO_SERVER_MODULE);
  ComPtr<IUnknown> object;
  EXPECT_EQ(CoCreateInstance(kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             object.putVoid()),
            CO_E_ERRORINDLL);
}

TEST_F(ComActivation, ModuleAnswersForClassesAndInterfacesItLacks) {
  RegisterClassLibrary(kUnregistered, VXST_FAKE_PROTOCOL_MODULE);
  ComPtr<IUnknown> object;
  EXPECT_EQ(CoCreateInstance(kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             object.putVoid()),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(CoCreateInstance(CLSID_FakeProtocol, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IInternetProtocolSink, object.putVoid()),
            E_NOINTERFACE);
  EXPECT_FALSE(object);
  ComPtr<IUnknown> outer;
  ASSERT_EQ(CoCreateInstance(CLSID_FakeProtocol, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             outer.putVoid()),
            S_OK);
  EXPECT_EQ(CoCreateInstance(CLSID_FakeProtocol, outer.get(), CLSCTX_INPROC_SERVER, IID_IUnknown,
                             object.putVoid()),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(
      CoCreateInstance(CLSID_FakeProtocol, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
      E_POINTER);
}

TEST_F(ComActivation, ClassObjectIsTheModulesFactory) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(CLSID_FakeProtocol, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             factory.putVoid()),
            S_OK);
  ComPtr<IUnknown> object;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.putVoid()), S_OK);
}

TEST_F(ComActivation, UnusedLibrariesAreFreedOnlyWhenTheModuleAllows) {
  ComPtr<IUnknown> object;
  ASSERT_EQ(CoCreateInstance(CLSID_FakeProtocol, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             object.putVoid()),
            S_OK);
  CoFreeUnusedLibraries();
  EXPECT_TRUE(IsLibraryLoaded(VXST_FAKE_PROTOCOL_MODULE));
  object.Reset();
  CoFreeUnusedLibraries();
  EXPECT_FALSE(IsLibraryLoaded(VXST_FAKE_PROTOCOL_MODULE));
  // Loaded again on demand.
  EXPECT_EQ(CoCreateInstance(CLSID_FakeProtocol, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             object.putVoid()),
            S_OK);
}

}  // namespace
