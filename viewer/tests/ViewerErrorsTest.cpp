// The message boxes of the viewer's failures, by kind of exception.
#include <gtest/gtest.h>

#include <stdexcept>

#include "base/KelException.h"
#include "platform/UserInterface.h"
#include "viewer/ReaderControl.h"
#include "viewer/ViewerErrors.h"

namespace {

class ViewerErrors : public ::testing::Test {
 protected:
  void SetUp() override { SetMessageBoxFrontEnd(&m_boxes); }
  void TearDown() override { SetMessageBoxFrontEnd(nullptr); }

  std::string OnlyText() {
    EXPECT_EQ(m_boxes.shown().size(), 1u);
    return m_boxes.shown().empty() ? "" : m_boxes.shown().front().text;
  }

  ScriptedMessageBoxes m_boxes;
};

TEST_F(ViewerErrors, SuccessShowsNothing) {
  EXPECT_TRUE(RunShowingErrors([] {}));
  EXPECT_TRUE(m_boxes.shown().empty());
}

TEST_F(ViewerErrors, KelExceptionShowsCodeAndThreeTexts) {
  EXPECT_FALSE(RunShowingErrors([] { throw new CKelException(1600, "a.vxb could not be opened", "two", "three"); }));
  EXPECT_EQ(OnlyText(), "Error Number 1600\r\n\na.vxb could not be opened\r\ntwo three");
  EXPECT_EQ(m_boxes.shown().front().caption, "stow");
}

TEST_F(ViewerErrors, FileExceptionIsShownAsKelException) {
  RunShowingErrors([] { throw new CKelFileException(1002, 2, "/x/y.vxb", "y.vxb"); });
  EXPECT_EQ(OnlyText(), "Error Number 1002\r\n\ny.vxb\r\n ");
}

TEST_F(ViewerErrors, StandardStringExceptionShowsItsText) {
  const vxs::Exception failure(2001, "bad", {}, {}, "here");
  const std::string expected = failure.what();
  RunShowingErrors([&] { throw failure; });
  EXPECT_EQ(OnlyText(), expected);
}

TEST_F(ViewerErrors, AnythingElseIsAnUnknownError) {
  RunShowingErrors([] { throw std::runtime_error("x"); });
  RunShowingErrors([] { throw new ReaderControlException(E_FAIL); });
  ASSERT_EQ(m_boxes.shown().size(), 2u);
  EXPECT_EQ(m_boxes.shown()[0].text, "An unkown error happened");
  EXPECT_EQ(m_boxes.shown()[1].text, "An unkown error happened");
}

}  // namespace
