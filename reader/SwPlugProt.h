// SwPlugProt: the reader module's one COM class. As the protocol handler of
// vexost: it serves one URL per Start (SwPlugProtStart.cpp: parse, open the
// archive or reuse the open one, find the topic, hand it to a delivery object,
// or serve a page of the module's own where that fails) and answers the
// browser's questions about URLs (SwPlugProtInfo.cpp). As the reader control
// VexoSt.ReaderCtl it takes archives handed over by a host
// (SwPlugProtControl.cpp). Both class ids of the module create it.
//
// What a request came to (reader/client/ReaderOutcome.h): before it serves a
// page of its own, Start reports the progress status BINDSTATUS_READEROUTCOME
// with the page's number ("1" to "7", "11"); before it fails a request for a
// topic the archive does not hold, the same status with the text "topic". Other
// failures answer E_FAIL without it. Before it serves a topic, it reports
// BINDSTATUS_READERTOPIC: how the topic was found and its own URL.
//
// Objects are reference counted on one thread (the host's apartment) and may be
// aggregated: an outer object then controls their lifetime and identity.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/DocHostUIHandler.h"
#include "platform/ObjSafe.h"
#include "platform/UrlMon.h"
#include "reader/RequestUrl.h"
#include "reader/VexoStReaderCtl.h"

class Buffer;
class CKelException;
class CKelFileException;
class IECache;
class ReaderState;

class SwPlugProt final : public IInternetProtocolInfo,
                         public IWinInetHttpInfo,
                         public IObjectSafety,
                         public IDocHostUIHandler,
                         public IInternetProtocol,
                         public IVexoStReaderCtl {
 public:
  // Makes an object on STATE and hands out its interface RIID. OUTER, when
  // given, aggregates it (RIID must then be IID_IUnknown).
  static HRESULT Create(ReaderState& state, IUnknown* outer, REFIID riid, void** ppv);

  // IUnknown, delegating to the controlling unknown.
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IInternetProtocolRoot, IInternetProtocol.
  HRESULT Start(LPCWSTR szUrl, IInternetProtocolSink* pOIProtSink, IInternetBindInfo* pOIBindInfo,
                DWORD grfPI, HANDLE_PTR dwReserved) override;
  HRESULT Continue(PROTOCOLDATA* pProtocolData) override;
  HRESULT Abort(HRESULT hrReason, DWORD dwOptions) override;
  HRESULT Terminate(DWORD dwOptions) override;
  HRESULT Suspend() override;
  HRESULT Resume() override;
  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
  HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override;
  HRESULT LockRequest(DWORD dwOptions) override;
  HRESULT UnlockRequest() override;

  // IInternetProtocolInfo.
  HRESULT ParseUrl(LPCWSTR pwzUrl, PARSEACTION ParseAction, DWORD dwParseFlags, LPWSTR pwzResult,
                   DWORD cchResult, DWORD* pcchResult, DWORD dwReserved) override;
  HRESULT CombineUrl(LPCWSTR pwzBaseUrl, LPCWSTR pwzRelativeUrl, DWORD dwCombineFlags,
                     LPWSTR pwzResult, DWORD cchResult, DWORD* pcchResult,
                     DWORD dwReserved) override;
  HRESULT CompareUrl(LPCWSTR pwzUrl1, LPCWSTR pwzUrl2, DWORD dwCompareFlags) override;
  // QueryInfo is the name of IInternetProtocolInfo's and of IWinInetHttpInfo's
  // method; both land here and are told apart by their signatures.
  HRESULT QueryInfo(LPCWSTR pwzUrl, QUERYOPTION QueryOption, DWORD dwQueryFlags, LPVOID pBuffer,
                    DWORD cbBuffer, DWORD* pcbBuf, DWORD dwReserved) override;

  // IWinInetInfo, IWinInetHttpInfo: E_NOTIMPL.
  HRESULT QueryOption(DWORD dwOption, LPVOID pBuffer, DWORD* pcbBuf) override;
  HRESULT QueryInfo(DWORD dwOption, LPVOID pBuffer, DWORD* pcbBuf, DWORD* pdwFlags,
                    DWORD* pdwReserved) override;

  // IObjectSafety: safe for untrusted callers on every interface it has.
  HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions,
                                    DWORD* pdwEnabledOptions) override;
  HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD dwOptionSetMask,
                                    DWORD dwEnabledOptions) override;

  // IDocHostUIHandler: every question answered "not handled" (S_FALSE or
  // E_NOTIMPL), so that the browser keeps its own behaviour.
  HRESULT ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                          IDispatch* pdispReserved) override;
  HRESULT GetHostInfo(DOCHOSTUIINFO* pInfo) override;
  HRESULT ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                 IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                 IOleInPlaceUIWindow* pDoc) override;
  HRESULT HideUI() override;
  HRESULT UpdateUI() override;
  HRESULT EnableModeless(BOOL fEnable) override;
  HRESULT OnDocWindowActivate(BOOL fActivate) override;
  HRESULT OnFrameWindowActivate(BOOL fActivate) override;
  HRESULT ResizeBorder(const RECT* prcBorder, IOleInPlaceUIWindow* pUIWindow,
                       BOOL fRameWindow) override;
  HRESULT TranslateAccelerator(MSG* lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) override;
  HRESULT GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) override;
  HRESULT GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) override;
  HRESULT GetExternal(IDispatch** ppDispatch) override;
  HRESULT TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn, LPWSTR* ppchURLOut) override;
  HRESULT FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) override;

  // IDispatch: the members of IVexoStReaderCtl by dispatch id.
  HRESULT GetTypeInfoCount(UINT* pctinfo) override;
  HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                        DISPID* rgDispId) override;
  HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                 DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                 UINT* puArgErr) override;

  // IVexoStReaderCtl.
  HRESULT get_ModuleVersion(LONG* pVal) override;
  HRESULT get_WebBrowser(IUnknown** ppWebBrowser) override;
  HRESULT putref_WebBrowser(IUnknown* pWebBrowser) override;
  HRESULT CreateBuffer(LONG* plBufferNumber, LONGLONG* pllBufferData, LONG* plSize) override;
  HRESULT SetData(LONG lActionId, LONG lBufferNumber) override;
  HRESULT GetData(LONG lActionId, LONG lBufferNumber) override;

 private:
  // The object's own IUnknown: counts references and finds interfaces. When
  // the object is aggregated, only the outer object holds it.
  class InnerUnknown final : public IUnknown {
   public:
    explicit InnerUnknown(SwPlugProt& owner) : m_owner(owner) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

   private:
    SwPlugProt& m_owner;
  };

  SwPlugProt(ReaderState& state, IUnknown* outer);
  ~SwPlugProt();
  SwPlugProt(const SwPlugProt&) = delete;
  SwPlugProt& operator=(const SwPlugProt&) = delete;

  // The interface RIID of this object, or nullptr.
  IUnknown* FindInterface(REFIID riid);

  // Start's steps (SwPlugProtStart.cpp).
  HRESULT ServeRequest(DWORD flags);
  // Step 6: loads the topic table of the request's archive; false when a page
  // was arranged in its place (the open failed).
  bool LoadRequestedArchive(std::int32_t& topicNumber);
  // The open-failure handling: true when the user chose another file to try.
  bool HandleOpenFailure(CKelFileException& failure);
  // Error page 6 or 7 for the archive that failed with FAILURE.
  void ArrangeOpenFailurePage(CKelException& failure);
  // Step 7's message box for a topic that is not there.
  void ReportTopicNotFound(std::uint32_t topicNumber);
  // Step 8: hands the current topic or page to a new delivery object.
  void Serve();
  // Tells the sink what the request came to (see the top of this file).
  void ReportOutcome(std::string_view outcome);
  // Tells the sink how the topic at PATH, now open, was found, and its own URL.
  void ReportTopic(const std::string& path);
  // Releases what Start took: sink, bind information, bind data, delivery object.
  void ReleaseRequest();

  // The control's members behind Invoke (SwPlugProtControl.cpp).
  HRESULT InvokeWebBrowser(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr);
  HRESULT InvokeCreateBuffer(DISPPARAMS* params, UINT* argErr);
  HRESULT InvokeSetData(DISPID member, DISPPARAMS* params, UINT* argErr);

  InnerUnknown m_inner{*this};
  IUnknown* m_outer;  // the controlling unknown: the aggregating object or m_inner
  ULONG m_references = 0;
  ReaderState& m_state;

  // The request under way.
  std::string m_url;
  ComPtr<IInternetProtocolSink> m_sink;
  ComPtr<IInternetBindInfo> m_bindInfo;
  DWORD m_startFlags = 0;
  BINDINFO m_bindData{};
  DWORD m_bindFlags = 0;
  bool m_holdsBindData = false;
  std::unique_ptr<IECache> m_delivery;
  RequestUrl m_request;

  // The reader control.
  std::unique_ptr<Buffer> m_buffer;
  ComPtr<IUnknown> m_webBrowser;

  DWORD m_safetyOptions = 0;
};
