#include "base/KelProfiling.h"

#include <cstring>
#include <fstream>

#include "base/KelApp.h"
#include "base/tests/ProfilingTestSupport.h"

namespace {

using P = CKelProfiling;

class KelProfiling : public ScratchRegistry {
 protected:
  CKelProfiling m_settings{kReaderDescriptor};
};

TEST_F(KelProfiling, KeyPathsComeFromTheDescriptor) {
  m_settings.SetProfile("Window", P::kCurrentUser, P::kReadWrite, P::kDescriptorVersion);
  ASSERT_TRUE(m_settings.EnsureOpen(P::kCreate));
  EXPECT_EQ(m_settings.GetKeyPath(), std::string(kSettingsKey) + "\\Window");
  m_settings.SetUseDescriptorNames(false);
  m_settings.SetProfile("Documents", P::kCurrentUser, P::kReadWrite, 0x300);
  ASSERT_TRUE(m_settings.EnsureOpen(P::kCreate));
  EXPECT_EQ(m_settings.GetKeyPath(), "Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\03.00\\Documents");
  m_settings.SetProfile("", P::kCurrentUser, P::kReadWrite, P::kCurrentVersion);
  m_settings.SetProductPart("Viewer");
  ASSERT_TRUE(m_settings.EnsureOpen(P::kCreate));
  EXPECT_EQ(m_settings.GetKeyPath(), "Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\Viewer\\CurrentVersion");
  m_settings.SetProfile("X", P::kCurrentUser, P::kReadWrite, 0x0102);
  ASSERT_TRUE(m_settings.EnsureOpen(P::kCreate | P::kWithoutSubKey));
  EXPECT_EQ(m_settings.GetKeyPath(), "Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\Viewer\\01.02");
  ASSERT_TRUE(m_settings.EnsureOpen(P::kCreate));
  EXPECT_EQ(m_settings.GetKeyPath(), "Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\Viewer\\01.02\\X");
}

TEST_F(KelProfiling, WithoutADescriptorTheFramesIsTaken) {
  static const KelAppDescriptor registrar{"VEXO-KEY Stowra Registrar", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};
  CKelApp frame(&registrar);
  CKelProfiling settings;
  settings.SetProfile("", P::kCurrentUser, P::kReadWrite, P::kDescriptorVersion);
  ASSERT_TRUE(settings.EnsureOpen(P::kCreate));
  EXPECT_EQ(settings.GetKeyPath(), "Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\VEXO-KEY Stowra Registrar\\03.00");
}

TEST_F(KelProfiling, ValuesGoAndComeBackWithTheirTypes) {
  m_settings.SetProfile("Values", P::kCurrentUser, P::kReadWrite, P::kDescriptorVersion);
  m_settings.WriteString("Doc", "/home/a/manual.vxb");
  m_settings.WriteNumber("Count", -5);
  m_settings.WriteNumberList("List", {1, -2, 2147483647});
  EXPECT_EQ(m_settings.ReadTextValue("doc"), "/home/a/manual.vxb");
  EXPECT_EQ(m_settings.ReadTextValue("List"), "1,-2,2147483647");
  std::int32_t number = 0;
  DWORD type = 0;
  EXPECT_EQ(m_settings.QueryValue("Count", &type, &number, sizeof number), 4u);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(number, -5);
  EXPECT_EQ(FailureCode([&] { m_settings.ReadTextValue("Count"); }), 1142u);
  m_settings.DeleteValue("Doc");
  m_settings.DeleteValue("Doc");  // missing already: no error
  EXPECT_EQ(m_settings.QueryValue("Doc", &type, &number, sizeof number), 0u);
}

TEST_F(KelProfiling, TextTypesReadAsTextAndLongValuesAreCut) {
  PutText(HKEY_CURRENT_USER, kSettingsKey);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &key), 0);
  RegSetValueExA(key, "Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("a\0b\0"), 5);
  const std::string longText(600, 'L');
  RegSetValueExA(key, "Long", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()), 601);
  RegCloseKey(key);
  m_settings.SetProfile("", P::kCurrentUser, P::kReadOnly, P::kDescriptorVersion);
  char buffer[8];
  DWORD type = 0;
  EXPECT_EQ(m_settings.QueryValue("Multi", &type, buffer, sizeof buffer), 5u);
  EXPECT_EQ(type, REG_SZ);
  std::memset(buffer, 0, sizeof buffer);
  EXPECT_EQ(m_settings.QueryValue("Long", &type, buffer, sizeof buffer), sizeof buffer);
  EXPECT_EQ(std::string(buffer, sizeof buffer), "LLLLLLLL");  // the start, not an unfilled buffer
  EXPECT_EQ(m_settings.ReadTextValue("Long"), std::string(512, 'L'));
}

TEST_F(KelProfiling, MissingValuesAndKeysFailWithTheirCodesUnlessAllowed) {
  m_settings.SetProfile("Window", P::kCurrentUser, P::kReadWrite, P::kDescriptorVersion);
  const std::string location = std::string("HKEY_CURRENT_USER\\") + kSettingsKey + "\\Window";
  auto read = [&] { m_settings.ReadTextValue("Placement"); };
  EXPECT_EQ(Thrown(read), "1144 " + location + " | " + location + " | ") << "no key";
  m_settings.WriteString("Other", "x");
  EXPECT_EQ(Thrown(read), "1141 Placement | " + location + " | ") << "no value";
  m_settings.AllowMissingValues(true, "fallback");
  EXPECT_EQ(m_settings.ReadTextValue("Placement"), "fallback");
  m_settings.SetSubKey("Nowhere");
  EXPECT_EQ(m_settings.ReadTextValue("Placement"), "fallback");
}

TEST_F(KelProfiling, EnsureOpenFlagsTurnFailuresIntoFalse) {
  const std::string path = std::string(kSettingsKey) + "\\Missing";
  m_settings.SetProfile("Missing", P::kCurrentUser, P::kReadWrite, P::kDescriptorVersion);
  EXPECT_FALSE(m_settings.EnsureOpen(P::kNotFoundGivesFalse));
  EXPECT_EQ(m_settings.GetFailureClass(), P::kNotFound);
  EXPECT_EQ(FailureCode([&] { m_settings.EnsureOpen(0); }), 1141u);
  EXPECT_TRUE(Caught([&] { m_settings.EnsureOpen(P::kMissingGivesFalse); })) << "missing values are not allowed";
  m_settings.AllowMissingValues(true);
  EXPECT_FALSE(m_settings.EnsureOpen(P::kMissingGivesFalse));
  PutText(HKEY_CURRENT_USER, path.c_str());
  EXPECT_FALSE(m_settings.EnsureOpen(P::kNotFoundGivesFalse)) << "the failure is remembered while nothing changes";
  m_settings.Close();
  EXPECT_TRUE(m_settings.EnsureOpen(P::kNotFoundGivesFalse));
  m_settings.SetSubKey("Created");
  EXPECT_TRUE(m_settings.EnsureOpen(P::kCreate | P::kNotFoundGivesFalse));
  EXPECT_NE(m_settings.GetKey(), nullptr);
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\Created").c_str(), "x"), "#2");
}

TEST_F(KelProfiling, TheUserRootComesFirstAndNewKeysGoToTheUser) {
  PutText(HKEY_LOCAL_MACHINE, (std::string(kSettingsKey) + "\\Shared").c_str(), "Machine", "from the machine");
  PutText(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\Shared").c_str(), "User", "from the user");
  m_settings.SetProfile("Shared", P::kUserThenMachine, P::kReadWriteElseRead, P::kDescriptorVersion);
  EXPECT_EQ(m_settings.ReadTextValue("User"), "from the user");
  EXPECT_EQ(m_settings.ReadTextValue("Machine"), "from the machine");
  m_settings.WriteString("Written", "here");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\Shared").c_str(), "Written"), "here");
  m_settings.SetSubKey("Fresh");
  m_settings.WriteString("New", "key");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\Fresh").c_str(), "New"), "key");
  EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, (std::string(kSettingsKey) + "\\Fresh").c_str(), "New"), "#2");
  m_settings.SetSubKey("MachineOnly");
  PutText(HKEY_LOCAL_MACHINE, (std::string(kSettingsKey) + "\\MachineOnly").c_str(), "v", "machine");
  EXPECT_EQ(m_settings.ReadTextValue("v"), "machine");
  EXPECT_TRUE(m_settings.EnsureOpen(P::kUseLocalMachine));
}

TEST_F(KelProfiling, RefusedWritesFallBackToReadingAndLaterWritesFail) {
  PutText(HKEY_LOCAL_MACHINE, (std::string(kSettingsKey) + "\\Documents").c_str(), "Doc", "/x.vxb");
  RegistrySetReadOnly(RegistryHiveKind::Machine, true);
  m_settings.SetProfile("Documents", P::kLocalMachine, P::kReadWriteElseRead, P::kDescriptorVersion);
  ASSERT_TRUE(m_settings.EnsureOpen(0));
  EXPECT_EQ(m_settings.GetAccess(), P::kReadOnly);
  EXPECT_EQ(m_settings.ReadTextValue("Doc"), "/x.vxb");
  EXPECT_EQ(Thrown([&] { m_settings.WriteString("Doc", "/y.vxb"); }),
            std::string("1140 Doc | HKEY_LOCAL_MACHINE\\") + kSettingsKey + "\\Documents | ");
  m_settings.SetProfile("Documents", P::kLocalMachine, P::kReadWrite, P::kDescriptorVersion);
  EXPECT_FALSE(m_settings.EnsureOpen(P::kDeniedGivesFalse));
  EXPECT_EQ(m_settings.GetFailureClass(), P::kDenied);
  m_settings.Close();
  EXPECT_EQ(FailureCode([&] { m_settings.EnsureOpen(0); }), 1140u);
  m_settings.SetProfile("Documents", P::kCurrentUser, P::kReadWriteElseRead, P::kDescriptorVersion);
  ASSERT_TRUE(m_settings.EnsureOpen(P::kCreate));
  EXPECT_EQ(m_settings.GetAccess(), P::kReadWrite);
}

TEST_F(KelProfiling, PathsMoveUpAndAcrossBySubkeys) {
  m_settings.SetKeyPath("Software\\A\\B", P::kCurrentUser, P::kReadWrite);
  m_settings.WriteString("v", "in B");
  m_settings.GoUp();
  ASSERT_TRUE(m_settings.EnsureOpen(P::kWithoutSubKey));
  EXPECT_EQ(m_settings.GetKeyPath(), "Software\\A");
  m_settings.SetSubKey("C");
  m_settings.WriteString("v", "in C");
  EXPECT_EQ(m_settings.GetKeyPath(), "Software\\A\\C");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Software\\A\\B", "v"), "in B");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Software\\A\\C", "v"), "in C");
  EXPECT_EQ(FailureCode([&] { m_settings.WriteSection("a=1\0"); }), 1140u);
}

TEST_F(KelProfiling, ListSubKeysKeepsTheFirstComponentsBelowTheKeyPath) {
  m_settings.SetKeyPath("Documents", P::kCurrentUser, P::kReadOnly);
  char names[] =
      "Documents\\Manual\\FC10\0documents\\MANUAL\\FC11\0Other\\Manual\0Documents\0"
      "Documents\\Notes\0DocumentsX\\y\0Documents\\Ärger\0documents\\ärger\\x\0";
  EXPECT_EQ(m_settings.ListSubKeys(names), 21u);
  EXPECT_EQ(std::string(names, 21), std::string("Manual\0Notes\0Ärger\0\0", 21));
  m_settings.SetKeyPath("", P::kCurrentUser, P::kReadOnly);
  char top[] = "A\\b\0a\\c\0B\0";
  EXPECT_EQ(m_settings.ListSubKeys(top), 5u);
  EXPECT_EQ(std::string(top, 5), std::string("A\0B\0\0", 5));
}

TEST_F(KelProfiling, ADamagedHiveIsAnAccessError) {
  std::ofstream(Folder() + "/user.db") << std::string(4096, 'X');
  m_settings.SetProfile("Window", P::kCurrentUser, P::kReadWrite, P::kDescriptorVersion);
  EXPECT_EQ(FailureCode([&] { m_settings.ReadTextValue("x"); }), 1140u);
}

}  // namespace
