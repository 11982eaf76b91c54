#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "platform/UrlMon.h"

namespace {

class Counted final : public IUnknown {
 public:
  ULONG references = 1;
  HRESULT QueryInterface(REFIID, void** ppv) override { return *ppv = nullptr, E_NOINTERFACE; }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
};

LPWSTR Text(const char* text) {
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(std::strlen(text) + 1));
  std::strcpy(copy, text);
  return copy;
}

TEST(ReleaseBindInfo, FreesTextsAndReferencesWithinTheGivenSizeOnly) {
  Counted object, release;
  BINDINFO info{};
  info.cbSize = sizeof info;
  info.szExtraInfo = Text("extra");
  info.szCustomVerb = Text("PROPFIND");
  info.pUnk = &object;
  info.stgmedData.pUnkForRelease = &release;
  info.dwBindVerb = BINDVERB_CUSTOM;
  ReleaseBindInfo(&info);
  EXPECT_EQ(info.szExtraInfo, nullptr);
  EXPECT_EQ(info.szCustomVerb, nullptr);
  EXPECT_EQ(info.pUnk, nullptr);
  EXPECT_EQ(info.dwBindVerb, BINDVERB_GET);
  EXPECT_EQ(object.references, 0u);
  EXPECT_EQ(release.references, 0u);
  // A caller that knows fewer fields: nothing beyond them is touched.
  object.references = 1;
  info.cbSize = offsetof(BINDINFO, szCustomVerb);
  info.szExtraInfo = Text("extra");
  info.dwBindVerb = BINDVERB_POST;
  info.pUnk = &object;
  info.dwCodePage = 65001;
  ReleaseBindInfo(&info);
  EXPECT_EQ(info.szExtraInfo, nullptr);
  EXPECT_EQ(info.dwBindVerb, BINDVERB_GET);
  EXPECT_EQ(info.pUnk, &object);
  EXPECT_EQ(object.references, 1u);
  EXPECT_EQ(info.dwCodePage, 65001u);
}

}  // namespace
