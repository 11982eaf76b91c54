// The message boxes of the viewer's failures, by kind of exception.
#include <gtest/gtest.h>

#include <functional>
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

  ScriptedMessageBoxes m_boxes;
};

// Each kind of failure gives one box of its text; success gives none.
TEST_F(ViewerErrors, EachFailureShowsOneBoxOfItsText) {
  const vxs::Exception standard(2001, "bad", {}, {}, "here");
  const struct {
    const char* name;
    std::function<void()> action;
    std::string text;  // of the one box shown; none shown when empty
  } cases[] = {
      {"success", [] {}, ""},
      {"Kel exception",
       [] { throw new CKelException(1600, "a.vxb could not be opened", "two", "three"); },
       "Error Number 1600\r\n\na.vxb could not be opened\r\ntwo three"},
      {"file exception", [] { throw new CKelFileException(1002, 2, "/x/y.vxb", "y.vxb"); },
       "Error Number 1002\r\n\ny.vxb\r\n "},
      {"standard exception", [&] { throw standard; }, standard.what()},
      {"anything else", [] { throw std::runtime_error("x"); }, "An unkown error happened"},
      {"reader control", [] { throw new ReaderControlException(E_FAIL); },
       "An unkown error happened"},
  };
  for (const auto& c : cases) {
    const std::size_t before = m_boxes.shown().size();
    EXPECT_EQ(RunShowingErrors(c.action), c.text.empty()) << c.name;
    ASSERT_EQ(m_boxes.shown().size(), before + (c.text.empty() ? 0 : 1)) << c.name;
    if (c.text.empty()) continue;
    EXPECT_EQ(m_boxes.shown().back().text, c.text) << c.name;
    EXPECT_EQ(m_boxes.shown().back().caption, "stow") << c.name;
  }
}

}  // namespace
