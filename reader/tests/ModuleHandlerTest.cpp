// The handler object's answers outside Start: abort and restart, the browser's
// other calls, the questions about URLs, object safety, aggregation and the
// module's lock.
#include <algorithm>
#include <iterator>
#include <string>
#include <tuple>

#include "platform/DocHostUIHandler.h"
#include "platform/ObjSafe.h"
#include "reader/tests/ReaderModuleFixture.h"

namespace {

class Handler : public ReaderModuleTest {
 protected:
  void SetUp() override {
    ReaderModuleTest::SetUp();
    ASSERT_EQ(CoCreateInstance(CLSID_VexoStReaderPlugProt, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IInternetProtocol, m_protocol.putVoid()),
              S_OK);
  }
  void TearDown() override {
    m_protocol.Reset();
    ReaderModuleTest::TearDown();
  }

  ComPtr<IInternetProtocol> m_protocol;
};

// Read fails without a request; a second Start replaces the first request; an
// abort reports a failure and makes success an abort.
TEST_F(Handler, ReadWithoutARequestFailsSecondStartReplacesTheFirstAbortReports) {
  char buffer[64];
  ULONG count = 99;
  EXPECT_EQ(m_protocol->Read(buffer, sizeof buffer, &count), E_FAIL);
  EXPECT_EQ(count, 99u);
  RecordingSink sink;
  EXPECT_EQ(m_protocol->Start("vexost://Nothing/", &sink, &sink, 0, 0), S_OK);
  EXPECT_EQ(m_protocol->Terminate(0), S_OK);
  EXPECT_EQ(m_protocol->Read(buffer, sizeof buffer, &count), E_FAIL);
  EXPECT_EQ(m_protocol->Start(nullptr, nullptr, nullptr, 0, 0), E_INVALIDARG);

  const std::string archive = BuildArchive("a.vxb", "A", 1, {{"x.htm", "first"}, {"y.htm", "second"}});
  RecordingSink first;
  RecordingSink second;
  ASSERT_EQ(m_protocol->Start(("vexost://file:" + archive + "::/x.htm").c_str(), &first, &first, 0, 0), S_OK);
  ASSERT_EQ(m_protocol->Start(("vexost://file:" + archive + "::/y.htm").c_str(), &second, &second, 0, 0), S_OK);
  EXPECT_EQ(first.references, 0u);
  EXPECT_EQ(m_protocol->Read(buffer, sizeof buffer, &count), S_FALSE);
  EXPECT_EQ(std::string(buffer, count), "second");
  EXPECT_EQ(second.bindInfoSize, sizeof(BINDINFO));
  second.reports.clear();
  EXPECT_EQ(m_protocol->Abort(S_OK, 0), S_OK);
  EXPECT_EQ(m_protocol->Abort(INET_E_DOWNLOAD_FAILURE, 0), S_OK);
  const std::vector<ProtocolReport> expected = {ProtocolReport::Result(E_ABORT, 0, ""),
                                                ProtocolReport::Result(INET_E_DOWNLOAD_FAILURE, 0, "")};
  EXPECT_EQ(second.reports, expected) << "an abort reports a failure, success as an abort";
  EXPECT_EQ(m_protocol->Terminate(0), S_OK);
  EXPECT_EQ(second.references, 0u) << "Terminate keeps the sink";
}

// The browser's other calls, made in the middle of a request, leave it to be
// read whole, and every pointer they hand out is cleared: none may point at
// what the caller had there before.
TEST_F(Handler, OtherCallsLeaveTheRequestAndClearWhatTheyHandOut) {
  const std::string archive = BuildArchive("a.vxb", "A", 1, {{"x.htm", "the topic"}}, "x.htm");
  RecordingSink sink;
  ASSERT_EQ(m_protocol->Start(("vexost://file:" + archive + "::/x.htm").c_str(), &sink, &sink, 0, 0), S_OK);
  PROTOCOLDATA data{};
  m_protocol->Continue(&data);
  m_protocol->Suspend();
  m_protocol->Resume();
  m_protocol->Seek(LARGE_INTEGER{0}, 0, nullptr);
  m_protocol->LockRequest(0);
  m_protocol->UnlockRequest();
  ComPtr<IWinInetHttpInfo> http;
  ASSERT_EQ(m_protocol->QueryInterface(IID_IWinInetHttpInfo, http.putVoid()), S_OK);
  DWORD size = 0;
  http->QueryOption(0, nullptr, &size);
  http->QueryInfo(0, nullptr, &size, nullptr, nullptr);
  ComPtr<IDocHostUIHandler> host;
  ASSERT_EQ(m_protocol->QueryInterface(IID_IDocHostUIHandler, host.putVoid()), S_OK);
  POINT where{1, 2};
  DOCHOSTUIINFO info{};
  host->ShowContextMenu(0, &where, nullptr, nullptr);
  host->GetHostInfo(&info);
  host->ShowUI(0, nullptr, nullptr, nullptr, nullptr);
  host->HideUI();
  host->UpdateUI();
  host->EnableModeless(TRUE);
  host->OnDocWindowActivate(TRUE);
  host->OnFrameWindowActivate(TRUE);
  host->ResizeBorder(nullptr, nullptr, TRUE);
  host->TranslateAccelerator(nullptr, nullptr, 0);
  void* handedOut[5];
  std::fill(std::begin(handedOut), std::end(handedOut), reinterpret_cast<void*>(1));
  host->GetOptionKeyPath(reinterpret_cast<LPOLESTR*>(&handedOut[0]), 0);
  host->GetDropTarget(nullptr, reinterpret_cast<IDropTarget**>(&handedOut[1]));
  host->GetExternal(reinterpret_cast<IDispatch**>(&handedOut[2]));
  host->TranslateUrl(0, nullptr, reinterpret_cast<LPWSTR*>(&handedOut[3]));
  host->FilterDataObject(nullptr, reinterpret_cast<IDataObject**>(&handedOut[4]));
  for (void* pointer : handedOut) EXPECT_EQ(pointer, nullptr);
  char buffer[64];
  ULONG count = 0;
  EXPECT_EQ(m_protocol->Read(buffer, sizeof buffer, &count), S_FALSE);
  EXPECT_EQ(std::string(buffer, count), "the topic");
  m_protocol->Terminate(0);
}

// Questions about URLs: four options answered, parsing and combining by the grammar.
TEST_F(Handler, QueryInfoAnswersFourOptionsAndUrlQuestionsGoToTheGrammar) {
  const std::tuple<QUERYOPTION, HRESULT, DWORD> cases[] = {
      {QUERY_RECOMBINE, S_OK, 0},    {QUERY_CAN_NAVIGATE, S_OK, 1},
      {QUERY_USES_NETWORK, S_OK, 0}, {QUERY_IS_SECURE, S_OK, 0},
      {QUERY_IS_CACHED, INET_E_QUERYOPTION_UNKNOWN, 77}};
  for (const auto& [option, result, answer] : cases) {
    DWORD value = 77;
    EXPECT_EQ(m_broker->QueryInfo("vexost://A/", option, 0, value), result) << option;
    EXPECT_EQ(value, answer) << option;
  }
  ComPtr<IInternetProtocolInfo> info;
  ASSERT_EQ(m_protocol->QueryInterface(IID_IInternetProtocolInfo, info.putVoid()), S_OK);
  char small[2] = {'a', 'b'};
  DWORD length = 0;
  EXPECT_TRUE(FAILED(info->QueryInfo("vexost://A/", QUERY_CAN_NAVIGATE, 0, small, sizeof small, &length, 0)));
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(small[0], 'a');
  std::string result;
  EXPECT_EQ(m_broker->ParseUrl("vexost://A/x.htm", PARSE_SECURITY_URL, 0, result), S_OK);
  EXPECT_EQ(result, "vexost:");
  EXPECT_EQ(m_broker->CombineUrl("vexost://file:/a/b.vxb/x.htm", "c.pdf", 0, result), S_OK);
  EXPECT_EQ(result, "vexost://file:/a/b.vxb/c.pdf");
}

TEST_F(Handler, OneObjectForBothClassesSafeForUntrustedCallers) {
  ComPtr<IObjectSafety> safety;
  ASSERT_EQ(m_protocol->QueryInterface(IID_IObjectSafety, safety.putVoid()), S_OK);
  DWORD supported = 0;
  DWORD enabled = 0;
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
  EXPECT_EQ(supported, INTERFACESAFE_FOR_UNTRUSTED_CALLER);
  EXPECT_EQ(enabled, 0u);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                              INTERFACESAFE_FOR_UNTRUSTED_CALLER),
            S_OK);
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
  EXPECT_EQ(enabled, INTERFACESAFE_FOR_UNTRUSTED_CALLER);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_DATA,
                                              INTERFACESAFE_FOR_UNTRUSTED_DATA),
            E_FAIL);
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled), E_NOINTERFACE);
  // Both classes make one object with all interfaces.
  ComPtr<IVexoStReaderCtl> control;
  ASSERT_EQ(CoCreateInstance(CLSID_VexoStReaderCtl, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IVexoStReaderCtl, control.putVoid()),
            S_OK);
  ComPtr<IInternetProtocol> protocol;
  EXPECT_EQ(control->QueryInterface(IID_IInternetProtocol, protocol.putVoid()), S_OK);
  ComPtr<IUnknown> first;
  ComPtr<IUnknown> second;
  ASSERT_EQ(control->QueryInterface(IID_IUnknown, first.putVoid()), S_OK);
  ASSERT_EQ(protocol->QueryInterface(IID_IUnknown, second.putVoid()), S_OK);
  EXPECT_EQ(first.get(), second.get());
  ComPtr<IUnknown> none;
  EXPECT_EQ(control->QueryInterface(IID_IClassFactory, none.putVoid()), E_NOINTERFACE);
}

// An object that aggregates the handler and counts its own references.
class Outer final : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    return inner->QueryInterface(riid, ppv);
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }

  ULONG references = 1;
  ComPtr<IUnknown> inner;
};

TEST_F(Handler, AggregatedObjectTakesItsIdentityFromTheOuterObject) {
  Outer outer;
  ComPtr<IUnknown> refused;
  EXPECT_EQ(CoCreateInstance(CLSID_VexoStReaderPlugProt, &outer, CLSCTX_INPROC_SERVER,
                             IID_IInternetProtocol, refused.putVoid()),
            CLASS_E_NOAGGREGATION);
  ASSERT_EQ(CoCreateInstance(CLSID_VexoStReaderPlugProt, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             outer.inner.putVoid()),
            S_OK);
  ComPtr<IVexoStReaderCtl> control;
  ASSERT_EQ(outer.inner->QueryInterface(IID_IVexoStReaderCtl, control.putVoid()), S_OK);
  EXPECT_EQ(outer.references, 2u) << "the interface counts on the outer object";
  ComPtr<IUnknown> identity;
  ASSERT_EQ(control->QueryInterface(IID_IUnknown, identity.putVoid()), S_OK);
  EXPECT_EQ(identity.get(), &outer);
  identity.Reset();
  control.Reset();
  EXPECT_EQ(outer.references, 1u);
  outer.inner.Reset();
}

TEST_F(Handler, ModuleStaysWhileObjectsOrLocksLive) {
  auto canUnload = Export<LPFNCANUNLOADNOW>("DllCanUnloadNow");
  EXPECT_EQ(canUnload(), S_FALSE) << "the broker's class object and the handler lock it";
  m_protocol.Reset();
  m_broker.reset();
  EXPECT_EQ(canUnload(), S_OK);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(Export<LPFNGETCLASSOBJECT>("DllGetClassObject")(CLSID_VexoStReaderCtl, IID_IClassFactory,
                                                            factory.putVoid()),
            S_OK);
  EXPECT_EQ(canUnload(), S_FALSE);
  factory->LockServer(TRUE);
  factory.Reset();
  EXPECT_EQ(canUnload(), S_FALSE);
  ASSERT_EQ(Export<LPFNGETCLASSOBJECT>("DllGetClassObject")(CLSID_VexoStReaderCtl, IID_IClassFactory,
                                                            factory.putVoid()),
            S_OK);
  factory->LockServer(FALSE);
  factory.Reset();
  EXPECT_EQ(canUnload(), S_OK);
  EXPECT_EQ(Export<LPFNGETCLASSOBJECT>("DllGetClassObject")(IID_IDispatch, IID_IClassFactory,
                                                            factory.putVoid()),
            CLASS_E_CLASSNOTAVAILABLE);
}

}  // namespace
