#include <gtest/gtest.h>

#include "platform/Com.h"

namespace {

constexpr GUID kReaderControl = {
    0x00030006, 0x0000, 0x1011, {0x80, 0x02, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};

TEST(GuidText, RegistryFormIsUpperCaseWithBracesAndReadsBackInEitherCase) {
  EXPECT_EQ(GuidToString(kReaderControl), "{00030006-0000-1011-8002-0000C06B5161}");
  EXPECT_EQ(GuidToString(IID_IUnknown), "{00000000-0000-0000-C000-000000000046}");
  EXPECT_EQ(GuidFromString("{00030006-0000-1011-8002-0000c06b5161}"), kReaderControl);
  EXPECT_EQ(GuidFromString(GuidToString(IID_IClassFactory)), IID_IClassFactory);
  char buffer[39];  // StringFromGUID2 needs room for the zero
  EXPECT_EQ(StringFromGUID2(kReaderControl, buffer, 38), 0);
  EXPECT_EQ(StringFromGUID2(kReaderControl, buffer, 39), 39);
  EXPECT_STREQ(buffer, "{00030006-0000-1011-8002-0000C06B5161}");
}

TEST(GuidText, RejectsEverythingButTheRegistryFormClsidFromStringWithClassString) {
  for (const char* text :
       {"", "{}", "00030006-0000-1011-8002-0000C06B5161", "{00030006-0000-1011-8002-0000C06B5161",
        "{00030006-0000-1011-8002-0000C06B516}}", "{00030006+0000-1011-8002-0000C06B5161}",
        "{0003000G-0000-1011-8002-0000C06B5161}", "{00030006-0000-1011-80020-000C06B5161}",
        "{00030006-0000-1011-8002-0000C06B5161} "})
    EXPECT_FALSE(GuidFromString(text)) << text;
  CLSID clsid = IID_IUnknown;
  EXPECT_EQ(CLSIDFromString("{00030006-0000-1011-8002-0000C06B5161}", &clsid), S_OK);
  EXPECT_EQ(clsid, kReaderControl);
  EXPECT_EQ(CLSIDFromString("VexoSt.ReaderCtl", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(clsid, GUID_NULL);
  EXPECT_EQ(CLSIDFromString(nullptr, &clsid), E_INVALIDARG);
}

}  // namespace
