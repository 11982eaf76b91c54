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

TEST_F(DesktopRunTest, BoxesAndTheListDialogAreWindowsUnlessVxstUiChoosesTheTerminal) {
  ASSERT_TRUE(XvfbDisplay::Ensure()) << "no display: Xvfb is needed";
  const Outcome failed = Run({"/O", "NoSuchArchive"});
  EXPECT_NE(failed.exitCode, 0);
  EXPECT_NE(Log().find("dialog=" + std::string(registrar::kTitle) + "\ntext="), std::string::npos)
      << Log();
  EXPECT_NE(Log().find("NoSuchArchive"), std::string::npos) << Log();
  // Nothing went to the terminal front-end.
  EXPECT_EQ(failed.err.find("NoSuchArchive"), std::string::npos) << failed.err;
  Register(MakeArchive("a.vxb", "Alpha"));
  for (const char* ui : {"gtk", "none"}) {  // "none" keeps the toolkit away
    m_ui = ui;
    std::filesystem::remove(m_run / "dialogs.log");
    const Outcome run = Run({"/L"});
    const bool window = m_ui == "gtk";
    EXPECT_EQ(run.exitCode, 0) << ui << "\n" << run.err;
    EXPECT_EQ(Log().find("dialog=Stowra Registration Browser\n") != std::string::npos, window)
        << ui << "\n" << Log();
    EXPECT_EQ(run.err.find("Alpha") == std::string::npos, window) << ui << "\n" << run.err;
  }
}

}  // namespace
}  // namespace registrar_tests
