// Automation: IDispatch (members called by dispatch id), the VARIANT values its
// calls carry, BSTR texts and the argument helpers an Invoke uses. Only what a
// dual control with numeric, text and object members needs; there is no type
// information (GetTypeInfoCount answers 0 in this system's objects).
//
// A BSTR is a UTF-8 text whose length in bytes sits in the 32 bits before its
// first byte, followed by a terminating zero; a null BSTR is the empty text. BSTRs
// are made and freed only by the Sys*String functions below (malloc underneath),
// so they may cross module boundaries.
#pragma once

#include "platform/Com.h"

using BSTR = OLECHAR*;
using VARTYPE = WORD;
using VARIANT_BOOL = std::int16_t;
using SCODE = std::int32_t;
using DISPID = LONG;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// Value types (VARENUM), the subset this system's calls carry.
enum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_BYREF = 0x4000,
};

struct IDispatch;

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    BYTE bVal;
    std::int16_t iVal;
    float fltVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    signed char cVal;
    WORD uiVal;
    ULONG ulVal;
    ULONGLONG ullVal;
    int intVal;
    UINT uintVal;
    BYTE* pbVal;
    std::int16_t* piVal;
    LONG* plVal;
    LONGLONG* pllVal;
    VARIANT_BOOL* pboolVal;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
    VARIANT* pvarVal;
    ULONG* pulVal;
    ULONGLONG* pullVal;
    void* byref;
  };
};
using VARIANTARG = VARIANT;

// Arguments of Invoke: rgvarg holds them in reverse order, named ones first.
struct DISPPARAMS {
  VARIANTARG* rgvarg;
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  void* pvReserved;
  HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
  SCODE scode;
};

inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;

inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004u);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
inline constexpr HRESULT DISP_E_NONAMEDARGS = static_cast<HRESULT>(0x80020007u);
inline constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008u);
inline constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
inline constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000Au);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = static_cast<HRESULT>(0x8002000Fu);

constexpr IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct ITypeInfo;  // declared for the method table only; never offered here

struct IDispatch : IUnknown {
  virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
  virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                DISPID* rgDispId) = 0;
  virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                         DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                         UINT* puArgErr) = 0;

 protected:
  ~IDispatch() = default;
};

// BSTRs. SysAllocString(nullptr) gives nullptr (the empty text).
BSTR SysAllocString(LPCOLESTR text);
// LENGTH bytes of TEXT (TEXT may be nullptr: LENGTH zero bytes).
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);

void VariantInit(VARIANTARG* value);
// Frees what the value owns (its BSTR, its object reference) and empties it.
HRESULT VariantClear(VARIANTARG* value);
// DEST (cleared first) becomes an independent copy of SOURCE.
HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* source);
// Converts SOURCE (a reference is followed) to type VT into DEST, which is cleared
// first; DEST may be SOURCE. Numbers and VT_BOOL convert among each other
// (DISP_E_OVERFLOW when the value does not fit), VT_UNKNOWN and VT_DISPATCH through
// QueryInterface, a reference type (VT_BYREF | x) only from the same type. Anything
// else: DISP_E_TYPEMISMATCH.
HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* source, WORD flags, VARTYPE vt);
// Fetches positional argument POSITION (0 = the first) of an Invoke, converted to
// VT, into RESULT (initialised by the caller). DISP_E_PARAMNOTFOUND when there is
// no such argument; on DISP_E_TYPEMISMATCH, *ARGERR (when given) is its index.
HRESULT DispGetParam(DISPPARAMS* params, UINT position, VARTYPE vt, VARIANT* result, UINT* argErr);
