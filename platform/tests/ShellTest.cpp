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

TEST_F(ShellTest, RegisteredCommandsRunWithTheTargetAndFailuresAreTold) {
  const std::string opener = WriteOpener();
  const std::string failing = m_folder.Write("failing", "#!/bin/sh\necho 'no method available' >&2\nexit 3\n");
  const std::string browser = m_folder.Write("browser", "#!/bin/sh\nexec sleep 5\n");  // runs on: opened
  ::chmod(failing.c_str(), 0755);
  ::chmod(browser.c_str(), 0755);
  const struct {
    std::string command;
    const char* target;
    int result;
    int status;
    const char* opened;  // what the opener wrote; null: not checked
  } cases[] = {
      {"\"" + opener + "\" -new \"%1\" tail", "vxtest://file:/a b/c.vxb", kShellOpenStarted, 0,
       "-new\nvxtest://file:/a b/c.vxb\ntail\n"},
      {opener, "VXTEST:x", kShellOpenStarted, 0, "VXTEST:x\n"},  // without %1 the target comes last
      {m_folder / "no-such-program", "vxtest:x", SE_ERR_FNF, 0, nullptr},
      {failing, "vxtest:x", SE_ERR_NOASSOC, 3, nullptr},
      {browser, "vxtest:x", kShellOpenStarted, 0, nullptr},
      {opener, "", SE_ERR_NOASSOC, 0, nullptr},  // an empty target has nothing to open
  };
  for (const auto& c : cases) {
    RegisterOpener(c.command);
    std::filesystem::remove(m_folder / "opened");
    int status = 0;
    EXPECT_EQ(ShellOpen(c.target, SW_SHOWNORMAL, &status), c.result) << c.command << " " << c.target;
    if (c.status) {
      EXPECT_EQ(status, c.status) << c.command;
    }
    if (c.opened) {
      EXPECT_EQ(Opened(), c.opened) << c.command;
    }
  }
}

}  // namespace
