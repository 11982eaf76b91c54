#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "platform/UrlMon.h"
#include "platform/tests/ComTestSupport.h"

namespace {

constexpr CLSID kUnregistered = {
    0x5A1E0002, 0x7E57, 0x4C0D, {0x9A, 0x11, 0x00, 0x00, 0xF0, 0x0D, 0x00, 0x02}};

using ComActivation = FakeModuleRegistry;

TEST_F(ComActivation, CreatesARegisteredClassByClassIdOrProgIdAndRefusesBadProgIds) {
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
  // By a ProgID and by its version-independent name.
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(kFakeProgId, &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_FakeProtocol);
  clsid = GUID_NULL;
  ASSERT_EQ(CLSIDFromProgID(kFakeIndependentProgId, &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_FakeProtocol);
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IInternetProtocol,
                             protocol.putVoid()),
            S_OK);
  // The class object is the module's factory.
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.putVoid()), S_OK);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, unknown.putVoid()), S_OK);
  // Unknown or looping ProgIDs answer CO_E_CLASSSTRING.
  clsid = CLSID_FakeProtocol;
  EXPECT_EQ(CLSIDFromProgID("VxFake.Nothing", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(clsid, GUID_NULL);
  PutText(HKEY_CLASSES_ROOT, "VxFake.Loop\\CurVer", "", "VxFake.Loop");
  EXPECT_EQ(CLSIDFromProgID("VxFake.Loop", &clsid), CO_E_CLASSSTRING);
  PutText(HKEY_CLASSES_ROOT, "VxFake.Bad\\CLSID", "", "not a class id");
  EXPECT_EQ(CLSIDFromProgID("VxFake.Bad", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID("", &clsid), CO_E_CLASSSTRING);
}

// What activation answers for each way a class can be registered wrongly or asked for
// wrongly; no object comes out of any of them.
TEST_F(ComActivation, FailuresAnswerTheirCodes) {
  std::ofstream(Folder() + "/fake.so") << "not a shared library";
  ComPtr<IUnknown> outer;
  ASSERT_EQ(CoCreateInstance(CLSID_FakeProtocol, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             outer.putVoid()),
            S_OK);
  const std::string classKey = "CLSID\\" + GuidToString(kUnregistered);
  const struct {
    const char* name;
    std::function<void()> registration;
    CLSID clsid;
    IUnknown* outer;
    DWORD context;
    IID iid;
    HRESULT result;
  } cases[] = {
      {"no class", [] {}, kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
       REGDB_E_CLASSNOTREG},
      {"a class without a library",
       [&] { PutText(HKEY_CLASSES_ROOT, classKey.c_str(), "", "a class without a library"); },
       kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, REGDB_E_CLASSNOTREG},
      {"no local servers", [] {}, CLSID_FakeProtocol, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
       REGDB_E_CLASSNOTREG},
      {"missing library",
       [&] { RegisterClassLibrary(kUnregistered, Folder() + "/gone/libnothing.so"); },
       kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
       HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
      {"drive path", [] { RegisterClassLibrary(kUnregistered, "C:\\Windows\\vxstrd.dll"); },
       kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
       HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
      {"no library", [&] { RegisterClassLibrary(kUnregistered, Folder() + "/fake.so"); },
       kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
       HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT)},
      {"no DllGetClassObject", [] { RegisterClassLibrary(kUnregistered, VXST_NO_SERVER_MODULE); },
       kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, CO_E_ERRORINDLL},
      {"class the module lacks",
       [] { RegisterClassLibrary(kUnregistered, VXST_FAKE_PROTOCOL_MODULE); }, kUnregistered,
       nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, CLASS_E_CLASSNOTAVAILABLE},
      {"interface the class lacks", [] {}, CLSID_FakeProtocol, nullptr, CLSCTX_INPROC_SERVER,
       IID_IInternetProtocolSink, E_NOINTERFACE},
      {"aggregation", [] {}, CLSID_FakeProtocol, outer.get(), CLSCTX_INPROC_SERVER, IID_IUnknown,
       CLASS_E_NOAGGREGATION},
  };
  for (const auto& c : cases) {
    c.registration();
    ComPtr<IUnknown> object;
    EXPECT_EQ(CoCreateInstance(c.clsid, c.outer, c.context, c.iid, object.putVoid()), c.result)
        << c.name;
    EXPECT_FALSE(object) << c.name;
  }
  EXPECT_EQ(
      CoCreateInstance(CLSID_FakeProtocol, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
      E_POINTER);
}

}  // namespace
