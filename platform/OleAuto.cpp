#include "platform/OleAuto.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

using Wide = __int128;  // holds every 64-bit signed and unsigned value

char* BlockOf(BSTR text) { return text - sizeof(std::uint32_t); }

// The integer value of an integer or VT_BOOL type at ADDRESS; false for any other type.
bool ReadInteger(VARTYPE vt, const void* address, Wide& value) {
  auto read = [address]<class T>(T) {
    T v;
    std::memcpy(&v, address, sizeof v);
    return Wide(v);
  };
  switch (vt) {
    case VT_I1: value = read(static_cast<signed char>(0)); return true;
    case VT_I2: value = read(std::int16_t{}); return true;
    case VT_I4: value = read(LONG{}); return true;
    case VT_INT: value = read(int{}); return true;
    case VT_I8: value = read(LONGLONG{}); return true;
    case VT_UI1: value = read(BYTE{}); return true;
    case VT_UI2: value = read(WORD{}); return true;
    case VT_UI4: value = read(ULONG{}); return true;
    case VT_UINT: value = read(UINT{}); return true;
    case VT_UI8: value = read(ULONGLONG{}); return true;
    case VT_BOOL: value = read(VARIANT_BOOL{}); return true;
    default: return false;
  }
}

template <class T>
HRESULT StoreChecked(Wide value, T& slot) {
  if (value < Wide(std::numeric_limits<T>::min()) || value > Wide(std::numeric_limits<T>::max()))
    return DISP_E_OVERFLOW;
  slot = static_cast<T>(value);
  return S_OK;
}

// Stores VALUE as type VT into RESULT (whose vt is set by the caller).
HRESULT StoreInteger(Wide value, VARTYPE vt, VARIANT& result) {
  switch (vt) {
    case VT_I1: return StoreChecked(value, result.cVal);
    case VT_I2: return StoreChecked(value, result.iVal);
    case VT_I4: return StoreChecked(value, result.lVal);
    case VT_INT: return StoreChecked(value, result.intVal);
    case VT_I8: return StoreChecked(value, result.llVal);
    case VT_UI1: return StoreChecked(value, result.bVal);
    case VT_UI2: return StoreChecked(value, result.uiVal);
    case VT_UI4: return StoreChecked(value, result.ulVal);
    case VT_UINT: return StoreChecked(value, result.uintVal);
    case VT_UI8: return StoreChecked(value, result.ullVal);
    case VT_BOOL: result.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; return S_OK;
    default: return DISP_E_TYPEMISMATCH;
  }
}

// Bytes of a value of type VT as a reference points at it.
std::size_t ValueSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1: return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL: return 2;
    case VT_I8:
    case VT_UI8:
    case VT_R8: return 8;
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH: return sizeof(void*);
    default: return 4;
  }
}

// The value a reference points at, as a plain VARIANT without ownership. A
// reference to a VARIANT is followed once; the VARIANT may hold a reference itself.
VARIANT Dereferenced(const VARIANT& source, bool followVariant = true) {
  if (!(source.vt & VT_BYREF) || !source.byref) return source;
  VARTYPE vt = source.vt & ~VT_BYREF;
  if (vt == VT_VARIANT) return followVariant ? Dereferenced(*source.pvarVal, false) : source;
  VARIANT plain{};
  plain.vt = vt;
  std::memcpy(&plain.llVal, source.byref, ValueSize(vt));
  return plain;
}

HRESULT ConvertObject(const VARIANT& source, VARTYPE vt, VARIANT& result) {
  if (source.vt != VT_UNKNOWN && source.vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
  result.punkVal = nullptr;
  if (!source.punkVal) return S_OK;
  return source.punkVal->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown,
                                        reinterpret_cast<void**>(&result.punkVal));
}

// Converts SOURCE into RESULT (empty on entry; owns what it gets on success).
HRESULT Convert(const VARIANT& source, VARTYPE vt, VARIANT& result) {
  if (vt & VT_BYREF) return source.vt == vt ? VariantCopy(&result, &source) : DISP_E_TYPEMISMATCH;
  VARIANT plain = Dereferenced(source);
  if (plain.vt == vt) return VariantCopy(&result, &plain);
  if (vt == VT_EMPTY) return S_OK;
  HRESULT hr = DISP_E_TYPEMISMATCH;
  Wide number = 0;
  if (vt == VT_UNKNOWN || vt == VT_DISPATCH)
    hr = ConvertObject(plain, vt, result);
  else if (ReadInteger(plain.vt, &plain.llVal, number))
    hr = StoreInteger(number, vt, result);
  if (SUCCEEDED(hr)) result.vt = vt;
  return hr;
}

}  // namespace

BSTR SysAllocString(LPCOLESTR text) {
  return text ? SysAllocStringLen(text, static_cast<UINT>(std::strlen(text))) : nullptr;
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  auto* block = static_cast<char*>(std::malloc(sizeof(std::uint32_t) + std::size_t{length} + 1));
  if (!block) return nullptr;
  std::uint32_t size = length;
  std::memcpy(block, &size, sizeof size);
  BSTR result = block + sizeof size;
  if (text)
    std::memcpy(result, text, length);
  else
    std::memset(result, 0, length);
  result[length] = '\0';
  return result;
}

void SysFreeString(BSTR text) {
  if (text) std::free(BlockOf(text));
}

UINT SysStringLen(BSTR text) {
  if (!text) return 0;
  std::uint32_t size = 0;
  std::memcpy(&size, BlockOf(text), sizeof size);
  return size;
}

void VariantInit(VARIANTARG* value) { *value = VARIANT{}; }

HRESULT VariantClear(VARIANTARG* value) {
  if (!value) return E_INVALIDARG;
  switch (value->vt) {
    case VT_BSTR: SysFreeString(value->bstrVal); break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      if (value->punkVal) value->punkVal->Release();
      break;
    default: break;
  }
  VariantInit(value);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* source) {
  if (!dest || !source) return E_INVALIDARG;
  if (dest == source) return S_OK;
  VARIANT copy = *source;
  if (copy.vt == VT_BSTR && copy.bstrVal) {
    copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
    if (!copy.bstrVal) return E_OUTOFMEMORY;
  } else if ((copy.vt == VT_UNKNOWN || copy.vt == VT_DISPATCH) && copy.punkVal) {
    copy.punkVal->AddRef();
  }
  VariantClear(dest);
  *dest = copy;
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* source, WORD /*flags*/, VARTYPE vt) {
  if (!dest || !source) return E_INVALIDARG;
  VARIANT result{};
  HRESULT hr = Convert(*source, vt, result);
  if (FAILED(hr)) return hr;
  VariantClear(dest);
  *dest = result;
  return S_OK;
}

HRESULT DispGetParam(DISPPARAMS* params, UINT position, VARTYPE vt, VARIANT* result, UINT* argErr) {
  if (!params || !result || params->cNamedArgs > params->cArgs) return E_INVALIDARG;
  // A named argument whose dispatch id is POSITION wins over the positional one.
  UINT index = params->cArgs;
  for (UINT i = 0; i < params->cNamedArgs; ++i)
    if (params->rgdispidNamedArgs && params->rgdispidNamedArgs[i] == static_cast<DISPID>(position))
      index = i;
  if (index == params->cArgs) {
    if (position >= params->cArgs - params->cNamedArgs) return DISP_E_PARAMNOTFOUND;
    index = params->cArgs - 1 - position;
  }
  HRESULT hr = VariantChangeType(result, &params->rgvarg[index], 0, vt);
  if (hr == DISP_E_TYPEMISMATCH && argErr) *argErr = index;
  return hr;
}
