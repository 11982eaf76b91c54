// vxstreg with its GTK front-ends: its boxes and its list dialog are windows,
// answered and logged through the dialog script.
// The platform's headers before GTK's: GTK defines TRUE and FALSE as macros.
#include "registrar/tests/RegistrarFixture.h"
#include "registrar/gtk/DesktopFrontEnds.h"
#include "platform/gtk/tests/XvfbDisplay.h"

namespace registrar_tests {
namespace {

class DesktopRunTest : public RegistrarTest {
 protected:
  void SetUp() override {
    RegistrarTest::SetUp();
    m_ui = "gtk";
    const std::string script = m_run.Write("dialogs.script", "dialogs " + (m_run / "dialogs.log") + "\n" +
                                                                 "answer 2 Stowra Registration Browser\n");
    setenv(DesktopFrontEnds::kScriptVariable, script.c_str(), 1);
  }
  void TearDown() override {
    unsetenv(DesktopFrontEnds::kScriptVariable);
    RegistrarTest::TearDown();
  }
  std::string Log() { return TempFolder::ReadAll(m_run / "dialogs.log"); }
};

TEST_F(DesktopRunTest, BoxesAreWindows) {
  ASSERT_TRUE(XvfbDisplay::Ensure()) << "no display: Xvfb is needed";
  const Outcome run = Run({"/O", "NoSuchArchive"});
  EXPECT_NE(run.exitCode, 0);
  const std::string log = Log();
  EXPECT_NE(log.find("dialog=" + std::string(registrar::kTitle) + "\ntext="), std::string::npos) << log;
  EXPECT_NE(log.find("NoSuchArchive"), std::string::npos) << log;
  // Nothing went to the terminal front-end.
  EXPECT_EQ(run.err.find("NoSuchArchive"), std::string::npos) << run.err;
}

TEST_F(DesktopRunTest, ListDialogIsAWindow) {
  ASSERT_TRUE(XvfbDisplay::Ensure()) << "no display: Xvfb is needed";
  Register(MakeArchive("a.vxb", "Alpha"));
  const Outcome run = Run({"/L"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(Log().find("dialog=Stowra Registration Browser\n"), std::string::npos) << Log();
  EXPECT_EQ(run.err.find("Alpha"), std::string::npos) << run.err;
}

TEST_F(DesktopRunTest, TerminalChosenByVxstUiKeepsTheToolkitAway) {
  ASSERT_TRUE(XvfbDisplay::Ensure()) << "no display: Xvfb is needed";
  m_ui = "none";
  Register(MakeArchive("a.vxb", "Alpha"));
  const Outcome run = Run({"/L"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Log(), "");
  EXPECT_NE(run.err.find("Alpha"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace registrar_tests
