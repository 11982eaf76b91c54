#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

#include "platform/OleAuto.h"

namespace {

// An object that counts its references and answers for IUnknown and IDispatch.
class CountedObject final : public IDispatch {
 public:
  ULONG references = 1;

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid != IID_IUnknown && riid != IID_IDispatch) return *ppv = nullptr, E_NOINTERFACE;
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
  HRESULT GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
};

// A variant of type VT whose member FIELD holds VALUE.
template <typename T>
VARIANT Of(VARTYPE vt, T VARIANT::*field, std::type_identity_t<T> value) {
  VARIANT v{};
  v.vt = vt;
  v.*field = value;
  return v;
}

VARIANT Long(LONG value) { return Of(VT_I4, &VARIANT::lVal, value); }

TEST(Bstr, KeepsLengthAndEmbeddedZerosNullIsEmpty) {
  BSTR text = SysAllocStringLen("a\0b", 3);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 3u);
  EXPECT_EQ(std::memcmp(text, "a\0b", 4), 0);
  SysFreeString(text);

  BSTR word = SysAllocString("Stowra");
  EXPECT_EQ(SysStringLen(word), 6u);
  EXPECT_STREQ(word, "Stowra");
  SysFreeString(word);
  // Null is the empty text.
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
  BSTR blank = SysAllocStringLen(nullptr, 2);
  EXPECT_EQ(std::memcmp(blank, "\0\0\0", 3), 0);
  SysFreeString(blank);
}

TEST(Variant, CopyAndClearBalanceReferencesAndTexts) {
  CountedObject object;
  VARIANT held = Of<IDispatch*>(VT_DISPATCH, &VARIANT::pdispVal, &object);
  object.AddRef();

  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &held), S_OK);
  EXPECT_EQ(object.references, 3u);
  VariantClear(&copy);
  VariantClear(&held);
  EXPECT_EQ(object.references, 1u);
  EXPECT_EQ(held.vt, VT_EMPTY);

  VARIANT text = Of(VT_BSTR, &VARIANT::bstrVal, SysAllocString("page.htm"));
  VARIANT other{};
  ASSERT_EQ(VariantCopy(&other, &text), S_OK);
  EXPECT_NE(other.bstrVal, text.bstrVal);
  EXPECT_STREQ(other.bstrVal, "page.htm");
  VariantClear(&text);
  VariantClear(&other);
}

TEST(Variant, ChangeTypeKeepsRangesFollowsReferencesAndQueriesObjects) {
  VARIANT source = Long(411);
  VARIANT result{};
  ASSERT_EQ(VariantChangeType(&result, &source, 0, VT_UI2), S_OK);
  EXPECT_EQ(result.vt, VT_UI2);
  EXPECT_EQ(result.uiVal, 411);
  ASSERT_EQ(VariantChangeType(&result, &source, 0, VT_BOOL), S_OK);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
  EXPECT_EQ(VariantChangeType(&result, &source, 0, VT_UI1), DISP_E_OVERFLOW);
  VARIANT negative = Long(-1);
  EXPECT_EQ(VariantChangeType(&result, &negative, 0, VT_UI4), DISP_E_OVERFLOW);
  ASSERT_EQ(VariantChangeType(&result, &negative, 0, VT_I8), S_OK);
  EXPECT_EQ(result.llVal, -1);
  VARIANT huge = Of(VT_UI8, &VARIANT::ullVal, 0xFFFFFFFFFFFFFFFFull);
  EXPECT_EQ(VariantChangeType(&result, &huge, 0, VT_I8), DISP_E_OVERFLOW);
  VARIANT value = Long(5);  // in place
  ASSERT_EQ(VariantChangeType(&value, &value, 0, VT_I8), S_OK);
  EXPECT_EQ(value.vt, VT_I8);
  EXPECT_EQ(value.llVal, 5);
  // References are followed and kept exact.
  LONG target = 7;
  VARIANT reference = Of(VT_BYREF | VT_I4, &VARIANT::plVal, &target);
  ASSERT_EQ(VariantChangeType(&result, &reference, 0, VT_I4), S_OK);
  EXPECT_EQ(result.lVal, 7);
  ASSERT_EQ(VariantChangeType(&result, &reference, 0, VT_BYREF | VT_I4), S_OK);
  EXPECT_EQ(result.plVal, &target);
  EXPECT_EQ(VariantChangeType(&result, &reference, 0, VT_BYREF | VT_I8), DISP_E_TYPEMISMATCH);
  VARIANT inner = Long(12);
  VARIANT outer = Of(VT_BYREF | VT_VARIANT, &VARIANT::pvarVal, &inner);
  ASSERT_EQ(VariantChangeType(&result, &outer, 0, VT_I2), S_OK);
  EXPECT_EQ(result.iVal, 12);
  VARIANT loop{};
  loop.vt = VT_BYREF | VT_VARIANT;
  loop.pvarVal = &loop;
  EXPECT_EQ(VariantChangeType(&result, &loop, 0, VT_I4), DISP_E_TYPEMISMATCH);
  // Objects convert through QueryInterface.
  CountedObject object;
  VARIANT unknown = Of<IUnknown*>(VT_UNKNOWN, &VARIANT::punkVal, &object);
  ASSERT_EQ(VariantChangeType(&result, &unknown, 0, VT_DISPATCH), S_OK);
  EXPECT_EQ(result.pdispVal, static_cast<IDispatch*>(&object));
  EXPECT_EQ(object.references, 2u);
  VariantClear(&result);
  EXPECT_EQ(object.references, 1u);
  VARIANT text = Of(VT_BSTR, &VARIANT::bstrVal, nullptr);
  EXPECT_EQ(VariantChangeType(&result, &text, 0, VT_DISPATCH), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(VariantChangeType(&result, &text, 0, VT_I4), DISP_E_TYPEMISMATCH);
}

TEST(DispGetParam, PositionalInReverseOrderNamedFirstMismatchesByIndex) {
  // SetData(action 1, buffer 2): the caller stores the last argument first.
  VARIANT args[2] = {Long(2), Long(1)};
  DISPPARAMS params{args, nullptr, 2, 0};
  VARIANT action{}, buffer{};
  ASSERT_EQ(DispGetParam(&params, 0, VT_I4, &action, nullptr), S_OK);
  ASSERT_EQ(DispGetParam(&params, 1, VT_I4, &buffer, nullptr), S_OK);
  EXPECT_EQ(action.lVal, 1);
  EXPECT_EQ(buffer.lVal, 2);

  VARIANT missing{};
  EXPECT_EQ(DispGetParam(&params, 2, VT_I4, &missing, nullptr), DISP_E_PARAMNOTFOUND);

  // A named argument wins; a mismatch tells the index.
  args[0] = Long(9);
  args[1].vt = VT_BSTR;
  DISPID names[1] = {1};
  params = {args, names, 2, 1};
  VARIANT value{};
  ASSERT_EQ(DispGetParam(&params, 1, VT_I4, &value, nullptr), S_OK);
  EXPECT_EQ(value.lVal, 9);

  UINT argErr = 99;
  EXPECT_EQ(DispGetParam(&params, 0, VT_I4, &value, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 1u);

  DISPPARAMS broken{args, names, 1, 2};
  EXPECT_EQ(DispGetParam(&broken, 0, VT_I4, &value, nullptr), E_INVALIDARG);
}

}  // namespace
