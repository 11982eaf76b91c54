// The shell settings the viewer's registering switches write and remove.
#include <gtest/gtest.h>

#include "platform/tests/ScratchRegistry.h"
#include "viewer/ShellSettings.h"

namespace {

constexpr const char* kType1 =
    "SOFTWARE\\VEXO-SYSTEMS\\Shell Extension\\01.00\\Setting\\0009\\{00030002-0000-1101-8002-0000C06B5161}";
constexpr const char* kType2 =
    "SOFTWARE\\VEXO-SYSTEMS\\Shell Extension\\01.00\\Setting\\0009\\{00010000-0000-1101-8006-0000C06B5161}";

std::string OpenKey(const char* type) { return std::string(type) + "\\Open"; }

using ShellSettings = ScratchRegistry;

TEST_F(ShellSettings, RegisteringWritesNameAndOpenCommandForBothTypes) {
  EXPECT_EQ(UnregisterViewerShellSettings("/usr/bin/stow"), ERROR_SUCCESS) << "never registered";
  PutText(HKEY_LOCAL_MACHINE, OpenKey(kType1).c_str(), "Command", "/usr/bin/other \"%1\"");
  ASSERT_EQ(RegisterViewerShellSettings("/usr/bin/stow"), ERROR_SUCCESS);
  for (const char* type : {kType1, kType2}) {
    EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, type, nullptr), "Stowra Document VEXO-KEY");
    EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, OpenKey(type).c_str(), "Command"), "/usr/bin/stow \"%1\"");
  }
  EXPECT_EQ(ShellOpenCommand("/opt/my apps/stow"), "\"/opt/my apps/stow\" \"%1\"");
}

// Unregistering removes the program's own command only, and keeps the keys.
TEST_F(ShellSettings, UnregisteringRemovesOnlyTheOwnCommand) {
  ASSERT_EQ(RegisterViewerShellSettings("/opt/my apps/stow"), ERROR_SUCCESS);
  PutText(HKEY_LOCAL_MACHINE, kType1, "Other", "kept");
  PutText(HKEY_LOCAL_MACHINE, OpenKey(kType1).c_str(), "Command", "/usr/bin/vxstreg \"%1\"");
  ASSERT_EQ(UnregisterViewerShellSettings("/opt/my apps/stow"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, OpenKey(kType1).c_str(), "Command"), "/usr/bin/vxstreg \"%1\"");
  EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, OpenKey(kType2).c_str(), "Command"), "#2");
  EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, kType1, "Other"), "kept");
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kType2, 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(ShellSettings, ReadOnlyMachineHiveGivesAccessDenied) {
  RegistrySetReadOnly(RegistryHiveKind::Machine, true);
  EXPECT_EQ(RegisterViewerShellSettings("/usr/bin/stow"), ERROR_ACCESS_DENIED);
}

}  // namespace
