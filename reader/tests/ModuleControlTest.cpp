// The reader control VexoSt.ReaderCtl by its method table and by dispatch id,
// and the archives hosts hand over through it.
#include <cstring>
#include <string>

#include "reader/client/ReaderControlClient.h"
#include "reader/tests/ReaderModuleFixture.h"

namespace {

class Control : public ReaderModuleTest {
 protected:
  void SetUp() override {
    ReaderModuleTest::SetUp();
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(kReaderCtlProgId, &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_VexoStReaderCtl);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IVexoStReaderCtl,
                               m_control.putVoid()),
              S_OK);
  }
  void TearDown() override {
    m_control.Reset();
    ReaderModuleTest::TearDown();
  }

  HRESULT Invoke(DISPID member, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr) {
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    return m_control->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                             nullptr);
  }

  static VARIANT Long(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
  }

  // Writes RECORD into the control's buffer (created on first use) and calls
  // SetData(1, 1).
  HRESULT HandOver(const std::string& record) {
    if (!m_buffer) {
      LONG number = 0;
      LONGLONG address = 0;
      LONG size = 0;
      EXPECT_EQ(m_control->CreateBuffer(&number, &address, &size), S_OK);
      m_buffer = reinterpret_cast<char*>(static_cast<std::uintptr_t>(address));
    }
    std::memcpy(m_buffer, record.data(), record.size());
    return m_control->SetData(kReaderActionRegisterArchive, kReaderBufferNumber);
  }

  ComPtr<IVexoStReaderCtl> m_control;
  char* m_buffer = nullptr;
};

TEST_F(Control, ModuleVersionAndDispatchIdsByName) {
  LONG version = 0;
  EXPECT_EQ(m_control->get_ModuleVersion(&version), S_OK);
  EXPECT_EQ(version, 411);
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(Invoke(kDispIdModuleVersion, DISPATCH_PROPERTYGET, {}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 411);
  const char* names[] = {"createbuffer", "Navigate"};
  DISPID id = 0;
  EXPECT_EQ(m_control->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names), 1, 0, &id), S_OK);
  EXPECT_EQ(id, kDispIdCreateBuffer);
  EXPECT_EQ(m_control->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names + 1), 1, 0, &id),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(Control, BufferAddressComesWholeThroughDispatch) {
  LONG number = 0;
  LONGLONG address = 0;
  LONG size = 0;
  VARIANT args[3];
  for (VARIANT& a : args) VariantInit(&a);
  args[0].vt = VT_BYREF | VT_I4;  // arguments in reverse order: size, address, number
  args[0].plVal = &size;
  args[1].vt = VT_BYREF | VT_I4;
  args[1].plVal = reinterpret_cast<LONG*>(&address);
  args[2].vt = VT_BYREF | VT_I4;
  args[2].plVal = &number;
  // A 32-bit address argument would cut the pointer: refused.
  EXPECT_EQ(Invoke(kDispIdCreateBuffer, DISPATCH_METHOD, {args[0], args[1], args[2]}),
            DISP_E_TYPEMISMATCH);
  args[1].vt = VT_BYREF | VT_I8;
  args[1].pllVal = &address;
  ASSERT_EQ(Invoke(kDispIdCreateBuffer, DISPATCH_METHOD, {args[0], args[1], args[2]}), S_OK);
  EXPECT_EQ(number, 1);
  EXPECT_EQ(size, 2048);
  // The whole pointer: the record written there is the one SetData reads.
  const std::string path = BuildArchive("given.vxb", "Given", 5, {{"p.htm", "given"}}, "p.htm");
  std::string record;
  ASSERT_TRUE(EncodeHandOverRecord({"Given", path, 5}, 2048, record));
  std::memcpy(reinterpret_cast<char*>(static_cast<std::uintptr_t>(address)), record.data(), record.size());
  EXPECT_EQ(Invoke(kDispIdSetData, DISPATCH_METHOD, {Long(1), Long(1)}), S_OK);
  EXPECT_EQ(Fetch("vexost://Given/").bytes, "given");
}

// The buffer is made once, zeroed, of two kilobytes; SetData answers by buffer
// and action, by its table and by dispatch (arguments in reverse order).
TEST_F(Control, BufferIsCreatedOnceAndSetDataAnswersByBufferAndAction) {
  EXPECT_EQ(m_control->SetData(1, 1), E_FAIL) << "no buffer yet";
  LONG number = 0;
  LONGLONG address = 0;
  LONG size = 0;
  ASSERT_EQ(m_control->CreateBuffer(&number, &address, &size), S_OK);
  EXPECT_EQ(number, 1);
  EXPECT_EQ(size, 2048);
  ASSERT_NE(address, 0);
  const char* bytes = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(address));
  EXPECT_EQ(std::string(bytes, 2048), std::string(2048, '\0'));
  LONG again = 0;
  EXPECT_EQ(m_control->CreateBuffer(&again, &address, &size), E_FAIL);
  EXPECT_EQ(again, 0);
  EXPECT_EQ(m_control->SetData(1, 2), E_FAIL);
  EXPECT_EQ(m_control->SetData(2, 1), E_NOTIMPL);
  EXPECT_EQ(m_control->GetData(1, 1), E_NOTIMPL);
  EXPECT_EQ(Invoke(kDispIdSetData, DISPATCH_METHOD, {Long(2), Long(1)}), E_FAIL);
  EXPECT_EQ(Invoke(kDispIdSetData, DISPATCH_METHOD, {Long(1), Long(2)}), E_NOTIMPL);
  EXPECT_EQ(Invoke(kDispIdGetData, DISPATCH_METHOD, {Long(1), Long(1)}), E_NOTIMPL);
  EXPECT_EQ(Invoke(kDispIdSetData, DISPATCH_METHOD, {Long(1)}), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Invoke(2, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND);
}

// Archives handed over are served by name without the catalog; a record with a
// bad length registers nothing, and the first record of a name stays.
TEST_F(Control, HandedOverArchivesAreServedByNameFirstRecordFirst) {
  const std::string first = BuildArchive("first.vxb", "Manual", 10, {{"p.htm", "first"}}, "p.htm");
  const std::string second = BuildArchive("second.vxb", "Manual", 10, {{"p.htm", "second"}}, "p.htm");
  std::string record;
  ASSERT_TRUE(EncodeHandOverRecord({"Manual", first, 10}, 2048, record));
  std::string damaged = record;
  damaged[0] = static_cast<char>(3000 & 0xFF);
  damaged[1] = static_cast<char>(3000 >> 8);
  EXPECT_EQ(HandOver(damaged), E_FAIL);
  ExpectPage(Fetch("vexost://Manual/"), 3);

  EXPECT_EQ(HandOver(record), S_OK);
  ASSERT_TRUE(EncodeHandOverRecord({"Manual", second, 10}, 2048, record));
  EXPECT_EQ(HandOver(record), S_OK);
  EXPECT_EQ(Fetch("vexost://Manual/p.htm").bytes, "first");
  EXPECT_EQ(Fetch("vexost://Manual/").bytes, "first");
}

TEST_F(Control, HostsHandOverThroughTheClientByDispatchIds) {
  const std::string path = BuildArchive("given.vxb", "Given", 3, {{"p.htm", "through dispatch"}}, "p.htm");
  ReaderControlClient client;
  ASSERT_EQ(client.Create(), S_OK);
  EXPECT_EQ(client.HandOver(ReadHandedArchive(path)), S_OK);
  EXPECT_EQ(Fetch("vexost://Given/").bytes, "through dispatch");
}

TEST_F(Control, WebBrowserHoldsTheObjectItIsGiven) {
  RecordingSink browser;
  EXPECT_EQ(m_control->putref_WebBrowser(static_cast<IInternetProtocolSink*>(&browser)), S_OK);
  EXPECT_EQ(browser.references, 1u);
  IUnknown* held = nullptr;
  EXPECT_EQ(m_control->get_WebBrowser(&held), S_OK);
  EXPECT_EQ(held, static_cast<IInternetProtocolSink*>(&browser));
  held->Release();
  VARIANT none;
  VariantInit(&none);
  EXPECT_EQ(Invoke(kDispIdWebBrowser, DISPATCH_PROPERTYPUTREF, {none}), S_OK);
  EXPECT_EQ(browser.references, 0u);
  VARIANT object;
  VariantInit(&object);
  object.vt = VT_UNKNOWN;
  object.punkVal = static_cast<IInternetProtocolSink*>(&browser);
  EXPECT_EQ(Invoke(kDispIdWebBrowser, DISPATCH_PROPERTYPUT, {object}), S_OK);
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(Invoke(kDispIdWebBrowser, DISPATCH_PROPERTYGET, {}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_UNKNOWN);
  EXPECT_EQ(result.punkVal, object.punkVal);
  VariantClear(&result);
  m_control.Reset();
  EXPECT_EQ(browser.references, 0u) << "the control keeps the browser after its release";
}

}  // namespace
