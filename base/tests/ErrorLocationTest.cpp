#include "base/ErrorLocation.h"

#include <gtest/gtest.h>

#include "base/KelException.h"

namespace {

using vxs::CurrentErrorLocation;
using vxs::ErrorLocationScope;

TEST(ErrorLocation, EmptyStackGivesNoLocation) { EXPECT_EQ(CurrentErrorLocation(), ""); }

TEST(ErrorLocation, NewestEntryIsTheLocation) {
  ErrorLocationScope outer("outer");
  ErrorLocationScope inner("inner");
  EXPECT_EQ(CurrentErrorLocation(), "inner");
}

TEST(ErrorLocation, ChainedEntriesReadOuterThenInner) {
  ErrorLocationScope scope("base");
  scope.Push("outer");
  {
    ErrorLocationScope inner("inner", true);
    EXPECT_EQ(CurrentErrorLocation(), "outer, inner");
    ErrorLocationScope innermost("innermost", true);
    EXPECT_EQ(CurrentErrorLocation(), "outer, inner, innermost");
  }
  EXPECT_EQ(CurrentErrorLocation(), "outer");
}

TEST(ErrorLocation, ChainedOldestEntryStandsAlone) {
  ErrorLocationScope only("only", true);
  EXPECT_EQ(CurrentErrorLocation(), "only");
}

TEST(ErrorLocation, ScopePopsEverythingItPushed) {
  {
    ErrorLocationScope scope;
    scope.Push("a");
    scope.Push("b", true);
    scope.Push("c", true);
    EXPECT_EQ(CurrentErrorLocation(), "a, b, c");
  }
  EXPECT_EQ(CurrentErrorLocation(), "");
}

TEST(ErrorLocation, StandardExceptionTakesTheCurrentLocation) {
  ErrorLocationScope outer("settings");
  ErrorLocationScope inner("value \"Doc\"", true);
  vxs::Exception taken(2005, "7");
  EXPECT_EQ(taken.location, "settings, value \"Doc\"");
  vxs::Exception given(2005, "7", "", "", "elsewhere");
  EXPECT_EQ(given.location, "elsewhere");
}

}  // namespace
