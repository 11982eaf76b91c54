// The shell's "open": the command registered for a URL scheme, run detached.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/Shell.h"
#include "platform/tests/ScratchRegistry.h"
#include "platform/tests/TempFolder.h"

namespace {

class ShellTest : public ScratchRegistry {
 protected:
  // An opener that writes its arguments, one a line, into the file "opened".
  std::string WriteOpener() {
    const std::string path = m_folder.Write("opener", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"$0.tmp\"\n"
                                                      "mv \"$0.tmp\" \"" + (m_folder / "opened") + "\"\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }
  void RegisterOpener(const std::string& command) {
    PutText(HKEY_CURRENT_USER, "Software\\Classes\\vxtest\\Shell\\Open\\Command", "", command);
  }
  // What the opener wrote, once it has run (the opener runs on its own).
  std::string Opened() {
    const std::string path = m_folder / "opened";
    for (int i = 0; i < 3000 && !std::filesystem::exists(path); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return TempFolder::ReadAll(path);
  }
  TempFolder m_folder;
};

TEST_F(ShellTest, TheRegisteredCommandGetsTheTargetInPlaceOfPercentOne) {
  RegisterOpener("\"" + WriteOpener() + "\" -new \"%1\" tail");
  EXPECT_EQ(ShellOpen("vxtest://file:/a b/c.vxb", SW_SHOWNORMAL), kShellOpenStarted);
  EXPECT_EQ(Opened(), "-new\nvxtest://file:/a b/c.vxb\ntail\n");
}

TEST_F(ShellTest, WithoutPercentOneTheTargetComesLast) {
  RegisterOpener(WriteOpener());
  EXPECT_EQ(ShellOpen("VXTEST:x", SW_SHOWNORMAL), kShellOpenStarted);
  EXPECT_EQ(Opened(), "VXTEST:x\n");
}

TEST_F(ShellTest, AProgramThatCannotRunIsAFailure) {
  RegisterOpener(m_folder / "no-such-program");
  EXPECT_EQ(ShellOpen("vxtest:x", SW_SHOWNORMAL), SE_ERR_FNF);
}

TEST_F(ShellTest, AnOpenerThatFailsIsAFailureWithItsStatus) {
  const std::string opener = m_folder.Write("failing", "#!/bin/sh\necho 'no method available' >&2\nexit 3\n");
  ::chmod(opener.c_str(), 0755);
  RegisterOpener(opener);
  int status = 0;
  EXPECT_EQ(ShellOpen("vxtest:x", SW_SHOWNORMAL, &status), SE_ERR_NOASSOC);
  EXPECT_EQ(status, 3);
}

TEST_F(ShellTest, AnOpenerThatRunsOnHasOpened) {
  const std::string opener = m_folder.Write("browser", "#!/bin/sh\nexec sleep 5\n");
  ::chmod(opener.c_str(), 0755);
  RegisterOpener(opener);
  EXPECT_EQ(ShellOpen("vxtest:x", SW_SHOWNORMAL), kShellOpenStarted);
}

TEST_F(ShellTest, AnEmptyTargetHasNothingToOpen) { EXPECT_EQ(ShellOpen("", SW_SHOWNORMAL), SE_ERR_NOASSOC); }

}  // namespace
