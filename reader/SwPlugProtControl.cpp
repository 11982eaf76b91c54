// SwPlugProt as the reader control VexoSt.ReaderCtl: by its method table and
// through IDispatch by dispatch id.
//
// WebBrowser: this platform has no IWebBrowser2 whose events the control could
// follow to install itself as the document's UI handler; the control holds the
// object it is given, connects to nothing, and answers S_OK.
#include <new>

#include "base/KelException.h"
#include "base/MessageCodes.h"
#include "reader/AsciiText.h"
#include "reader/ControlBuffer.h"
#include "reader/ReaderModule.h"
#include "reader/ReaderState.h"
#include "reader/SwPlugProt.h"

namespace {

struct MemberName {
  const char* name;
  DISPID id;
};

constexpr MemberName kMembers[] = {
    {"ModuleVersion", kDispIdModuleVersion}, {"WebBrowser", kDispIdWebBrowser},
    {"CreateBuffer", kDispIdCreateBuffer},   {"SetData", kDispIdSetData},
    {"GetData", kDispIdGetData},
};

// Positional argument POSITION (0 = the first) of an Invoke; its index in
// rgvarg goes to INDEX.
VARIANT& Argument(DISPPARAMS& params, UINT position, UINT& index) {
  index = params.cArgs - 1 - position;
  return params.rgvarg[index];
}

// Writes VALUE into an out argument passed as a reference to a long or to a
// variant; false for any other type.
bool PutLong(VARIANT& argument, LONG value) {
  if (argument.vt == (VT_BYREF | VT_I4) && argument.plVal) {
    *argument.plVal = value;
  } else if (argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal) {
    VariantClear(argument.pvarVal);
    argument.pvarVal->vt = VT_I4;
    argument.pvarVal->lVal = value;
  } else {
    return false;
  }
  return true;
}

// As PutLong for a 64-bit value: a reference to a 64-bit integer or a variant.
bool PutLongLong(VARIANT& argument, LONGLONG value) {
  if ((argument.vt == (VT_BYREF | VT_I8) || argument.vt == (VT_BYREF | VT_UI8)) && argument.pllVal) {
    *argument.pllVal = value;
  } else if (argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal) {
    VariantClear(argument.pvarVal);
    argument.pvarVal->vt = VT_I8;
    argument.pvarVal->llVal = value;
  } else {
    return false;
  }
  return true;
}

// Whether ARGUMENT can take an out value: the type test of PutLong / PutLongLong.
bool TakesLong(const VARIANT& argument) {
  return (argument.vt == (VT_BYREF | VT_I4) && argument.plVal) ||
         (argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal);
}

bool TakesLongLong(const VARIANT& argument) {
  return ((argument.vt == (VT_BYREF | VT_I8) || argument.vt == (VT_BYREF | VT_UI8)) &&
          argument.pllVal) ||
         (argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal);
}

// The object an argument holds (an object, a reference to one, or nothing for
// empty and null); false for any other type.
bool ObjectOf(const VARIANT& argument, IUnknown*& object) {
  switch (argument.vt) {
    case VT_EMPTY:
    case VT_NULL: object = nullptr; return true;
    case VT_UNKNOWN:
    case VT_DISPATCH: object = argument.punkVal; return true;
    case VT_BYREF | VT_UNKNOWN:
    case VT_BYREF | VT_DISPATCH:
      if (!argument.ppunkVal) return false;
      object = *argument.ppunkVal;
      return true;
    default: return false;
  }
}

}  // namespace

HRESULT SwPlugProt::get_ModuleVersion(LONG* version) {
  if (!version) return E_POINTER;
  *version = kReaderModuleVersion;
  return S_OK;
}

HRESULT SwPlugProt::get_WebBrowser(IUnknown** browser) {
  if (!browser) return E_POINTER;
  *browser = m_webBrowser.get();
  if (*browser) (*browser)->AddRef();
  return S_OK;
}

HRESULT SwPlugProt::putref_WebBrowser(IUnknown* browser) {
  m_webBrowser = ComPtr<IUnknown>(browser);
  return S_OK;
}

HRESULT SwPlugProt::CreateBuffer(LONG* number, LONGLONG* data, LONG* size) {
  if (!number || !data || !size) return E_POINTER;
  if (m_buffer) return E_FAIL;
  m_buffer.reset(new (std::nothrow) Buffer(Buffer::kSize));
  if (!m_buffer) return E_FAIL;
  *number = kReaderBufferNumber;
  *data = static_cast<LONGLONG>(reinterpret_cast<std::uintptr_t>(m_buffer->GetData()));
  *size = static_cast<LONG>(m_buffer->GetCapacity());
  return S_OK;
}

HRESULT SwPlugProt::SetData(LONG action, LONG number) {
  try {
    if (!m_buffer)
      CKelException::Throw(vxs::kGenericFatalError, "Buffer not created, use CreateBuffer() first.");
    if (number != kReaderBufferNumber)
      CKelException::Throw(vxs::kGenericFatalError, "Unkown buffer number.");
    if (action != kReaderActionRegisterArchive) return E_NOTIMPL;
    m_state.GetCatalog().GetTempRegistrar().Add(ReadHandOverRecord(*m_buffer));
    return S_OK;
  } catch (CException* e) {
    e->Delete();
  } catch (...) {
  }
  return E_FAIL;
}

HRESULT SwPlugProt::GetData(LONG /*action*/, LONG /*number*/) { return E_NOTIMPL; }

HRESULT SwPlugProt::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT SwPlugProt::GetTypeInfo(UINT /*index*/, LCID /*lcid*/, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT SwPlugProt::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID /*lcid*/,
                                  DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (count != 0 && (!names || !ids)) return E_POINTER;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    // Only the first name is a member; the others would name its parameters.
    for (const MemberName& member : kMembers) {
      if (i == 0 && names[i] && AsciiEqualNoCase(names[i], member.name)) ids[i] = member.id;
    }
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT SwPlugProt::Invoke(DISPID member, REFIID riid, LCID /*lcid*/, WORD flags,
                           DISPPARAMS* params, VARIANT* result, EXCEPINFO* /*exception*/,
                           UINT* argErr) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  DISPPARAMS none{};
  if (!params) params = &none;
  if (params->cArgs != 0 && !params->rgvarg) return E_INVALIDARG;
  const bool isMethod = flags & DISPATCH_METHOD;
  switch (member) {
    case kDispIdModuleVersion: {
      if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
      if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
      LONG version = 0;
      get_ModuleVersion(&version);
      if (result) {
        VariantInit(result);
        result->vt = VT_I4;
        result->lVal = version;
      }
      return S_OK;
    }
    case kDispIdWebBrowser: return InvokeWebBrowser(flags, params, result, argErr);
    case kDispIdCreateBuffer:
      if (!isMethod) return DISP_E_MEMBERNOTFOUND;
      return InvokeCreateBuffer(params, argErr);
    case kDispIdSetData:
    case kDispIdGetData:
      if (!isMethod) return DISP_E_MEMBERNOTFOUND;
      return InvokeSetData(member, params, argErr);
    default: return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT SwPlugProt::InvokeWebBrowser(WORD flags, DISPPARAMS* params, VARIANT* result,
                                     UINT* argErr) {
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    IUnknown* browser = nullptr;
    if (!ObjectOf(params->rgvarg[0], browser)) {
      if (argErr) *argErr = 0;
      return DISP_E_TYPEMISMATCH;
    }
    return putref_WebBrowser(browser);
  }
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
  if (!result) return S_OK;
  VariantInit(result);
  IDispatch* dispatch = nullptr;
  if (m_webBrowser && SUCCEEDED(m_webBrowser->QueryInterface(IID_IDispatch,
                                                              reinterpret_cast<void**>(&dispatch)))) {
    result->vt = VT_DISPATCH;
    result->pdispVal = dispatch;
    return S_OK;
  }
  result->vt = VT_UNKNOWN;
  return get_WebBrowser(&result->punkVal);
}

HRESULT SwPlugProt::InvokeCreateBuffer(DISPPARAMS* params, UINT* argErr) {
  if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (params->cArgs != 3) return DISP_E_BADPARAMCOUNT;
  UINT index = 0;
  VARIANT& number = Argument(*params, 0, index);
  const UINT numberIndex = index;
  VARIANT& data = Argument(*params, 1, index);
  const UINT dataIndex = index;
  VARIANT& size = Argument(*params, 2, index);
  const UINT sizeIndex = index;
  for (auto [takes, at] : {std::pair{TakesLong(number), numberIndex},
                           std::pair{TakesLongLong(data), dataIndex},
                           std::pair{TakesLong(size), sizeIndex}}) {
    if (takes) continue;
    if (argErr) *argErr = at;
    return DISP_E_TYPEMISMATCH;
  }
  LONG bufferNumber = 0;
  LONGLONG address = 0;
  LONG bufferSize = 0;
  const HRESULT hr = CreateBuffer(&bufferNumber, &address, &bufferSize);
  if (FAILED(hr)) return hr;
  PutLong(number, bufferNumber);
  PutLongLong(data, address);
  PutLong(size, bufferSize);
  return hr;
}

HRESULT SwPlugProt::InvokeSetData(DISPID member, DISPPARAMS* params, UINT* argErr) {
  if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
  VARIANT action;
  VARIANT number;
  VariantInit(&action);
  VariantInit(&number);
  HRESULT hr = DispGetParam(params, 0, VT_I4, &action, argErr);
  if (SUCCEEDED(hr)) hr = DispGetParam(params, 1, VT_I4, &number, argErr);
  if (FAILED(hr)) return hr;
  return member == kDispIdSetData ? SetData(action.lVal, number.lVal)
                                  : GetData(action.lVal, number.lVal);
}
