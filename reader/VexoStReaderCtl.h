// The classes of the reader module and its automation interface IVexoStReaderCtl,
// through which a host (the viewer) hands archives to the module: the host asks
// for the control's shared buffer (CreateBuffer), writes a hand-over record into
// it (reader/client/ReaderControlClient.h) and calls SetData(kReaderActionRegisterArchive, 1).
// From then on vexost://<name> URLs open that archive without the catalog.
//
// The interface is dual: hosts call it by its method table or through
// IDispatch::Invoke with the dispatch ids below. Invoke answers what the member
// answers (E_FAIL, E_NOTIMPL ...); there is no type information.
//
// The buffer's address is handed over at the width of a pointer (64 bits): by
// the method table as a LONGLONG, through Invoke as VT_I8 (the argument is
// VT_BYREF | VT_I8, VT_BYREF | VT_UI8 or VT_BYREF | VT_VARIANT). A 32-bit number
// would cut the address on this platform.
#pragma once

#include "platform/OleAuto.h"

// The protocol handler of vexost: and the reader control; both create the same
// object, which answers for both (IInternetProtocol and IVexoStReaderCtl).
constexpr CLSID CLSID_VexoStReaderPlugProt = {
    0x00030001, 0x0000, 0x1010, {0x80, 0x02, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};
constexpr CLSID CLSID_VexoStReaderCtl = {
    0x00030006, 0x0000, 0x1011, {0x80, 0x02, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};
constexpr IID IID_IVexoStReaderCtl = {
    0x00030006, 0x0000, 0x1010, {0x80, 0x02, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};
// The type library the class keys name (library VxStRdLib).
constexpr GUID LIBID_VxStRdLib = {
    0x00030001, 0x0000, 0x1012, {0x80, 0x02, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};

inline constexpr const char* kReaderCtlProgId = "VexoSt.ReaderCtl";

enum ReaderCtlDispId : DISPID {
  kDispIdModuleVersion = 1,  // property get: long
  kDispIdWebBrowser = 3,     // property get, put and put by reference: the browser object
  kDispIdCreateBuffer = 4,   // method (out long number, out address, out long size)
  kDispIdSetData = 5,        // method (long action, long buffer number)
  kDispIdGetData = 6,        // method (long action, long buffer number)
};

// SetData's one action: register the archive of the hand-over record for the
// life of the module.
inline constexpr LONG kReaderActionRegisterArchive = 1;
// The number of the one buffer a control has.
inline constexpr LONG kReaderBufferNumber = 1;

struct IVexoStReaderCtl : IDispatch {
  // 411: the module version 4.11.
  virtual HRESULT get_ModuleVersion(LONG* pVal) = 0;
  // The browser object last put (a new reference), or nullptr.
  virtual HRESULT get_WebBrowser(IUnknown** ppWebBrowser) = 0;
  virtual HRESULT putref_WebBrowser(IUnknown* pWebBrowser) = 0;
  // Once per control: the buffer's number (1), address and size (2048 bytes).
  // The host writes into the buffer directly; the control owns it.
  virtual HRESULT CreateBuffer(LONG* plBufferNumber, LONGLONG* pllBufferData, LONG* plSize) = 0;
  virtual HRESULT SetData(LONG lActionId, LONG lBufferNumber) = 0;
  // E_NOTIMPL.
  virtual HRESULT GetData(LONG lActionId, LONG lBufferNumber) = 0;

 protected:
  ~IVexoStReaderCtl() = default;
};
