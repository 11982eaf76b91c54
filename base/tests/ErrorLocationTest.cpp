#include "base/ErrorLocation.h"

#include <gtest/gtest.h>

#include "base/KelException.h"

namespace {

using vxs::CurrentErrorLocation;
using vxs::ErrorLocationScope;

TEST(ErrorLocation, NewestEntryOrTheChainAndScopesPopWhatTheyPushed) {
  EXPECT_EQ(CurrentErrorLocation(), "");
  {
    ErrorLocationScope outer("outer");
    ErrorLocationScope inner("inner");
    EXPECT_EQ(CurrentErrorLocation(), "inner");
  }
  {
    ErrorLocationScope only("only", true);  // a chained oldest entry stands alone
    EXPECT_EQ(CurrentErrorLocation(), "only");
  }
  {
    ErrorLocationScope scope("base");
    scope.Push("outer");
    {
      ErrorLocationScope inner("inner", true);
      EXPECT_EQ(CurrentErrorLocation(), "outer, inner");
      ErrorLocationScope innermost("innermost", true);
      EXPECT_EQ(CurrentErrorLocation(), "outer, inner, innermost");
    }
    EXPECT_EQ(CurrentErrorLocation(), "outer");
    scope.Push("b", true);
    EXPECT_EQ(CurrentErrorLocation(), "outer, b");
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
