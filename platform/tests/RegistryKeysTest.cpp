#include <cstdlib>
#include <vector>

#include "platform/tests/ScratchRegistry.h"
#include "platform/tests/TempFolder.h"

namespace {

class RegistryKeys : public ScratchRegistry {};

TEST_F(RegistryKeys, MissingKeysCreateNoHiveNewOnesEveryLevelInTheFolderOfTheEnvironment) {
  HKEY key = reinterpret_cast<HKEY>(0x1234);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nowhere", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "", "Doc"), "#2");
  EXPECT_FALSE(std::filesystem::exists(Folder() + "/user.db"));
  DWORD disposition = 0;
  for (const auto& [path, expected] : {std::pair{"Software\\VEXO-SYSTEMS\\Stowra", REG_CREATED_NEW_KEY},
                                       std::pair{"software\\vexo-systems\\STOWRA", REG_OPENED_EXISTING_KEY}}) {
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(expected)) << path;
    RegCloseKey(key);
  }
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, "Software"), std::vector<std::string>{"VEXO-SYSTEMS"});
  EXPECT_TRUE(std::filesystem::exists(Folder() + "/user.db"));
  EXPECT_FALSE(std::filesystem::exists(Folder() + "/machine.db"));
  // Hive files follow the environment, and new keys the folder.
  EXPECT_EQ(RegistryHivePath(RegistryHiveKind::Machine), Folder() + "/machine.db");
  PutText(HKEY_CURRENT_USER, "First", "v", "1");
  TempFolder other;
  setenv("VXST_REGISTRY_DIR", other.Path().c_str(), 1);
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "First", "v"), "#2");
  unsetenv("VXST_REGISTRY_DIR");
  setenv("XDG_CONFIG_HOME", "/home/someone/.cfg", 1);
  EXPECT_EQ(RegistryHivePath(RegistryHiveKind::User), "/home/someone/.cfg/vexost/user.db");
  EXPECT_EQ(RegistryHivePath(RegistryHiveKind::Machine), "/var/lib/vexost/machine.db");
  unsetenv("XDG_CONFIG_HOME");
  setenv("VXST_REGISTRY_DIR", Folder().c_str(), 1);
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "First", "v"), "1");
}

TEST_F(RegistryKeys, NamesCompareWithoutCaseKeepTheirSpellingAndEnumerateInOrder) {
  PutText(HKEY_CURRENT_USER, "Docs\\Ärger Über", "Doc", "umlaut");
  PutText(HKEY_CURRENT_USER, "Docs\\Справка", "Doc", "cyrillic");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "DOCS\\ärger über", "DOC"), "umlaut");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "docs\\СПРАВКА", "doc"), "cyrillic");
  PutText(HKEY_CURRENT_USER, "docs\\ÄRGER ÜBER", "doc", "replaced");
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, "Docs"), (std::vector<std::string>{"Ärger Über", "Справка"}));
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Docs\\Ärger Über", "Doc"), "replaced");
  PutText(HKEY_CURRENT_USER, "A\\\\B\\", "v", "1");  // separators at the ends and doubled
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "\\A\\B", "v"), "1");
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, "A"), std::vector<std::string>{"B"});
  // Enumeration is in name order without case, and stable.
  for (const char* name : {"delta", "Bravo", "alpha", "Charlie", "_under"}) {
    PutText(HKEY_CURRENT_USER, (std::string("List\\") + name).c_str());
  }
  const std::vector<std::string> expected{"alpha", "Bravo", "Charlie", "delta", "_under"};
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, "List"), expected);
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, "List"), expected);
  // Name buffers follow the Windows rules.
  PutText(HKEY_CURRENT_USER, "E\\LongerName");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "E", 0, KEY_READ, &key), ERROR_SUCCESS);
  char name[16];
  DWORD size = 10;  // room for 9 characters and the zero: too small
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  size = 11;
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(size, 10u);
  EXPECT_STREQ(name, "LongerName");
  size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(key, 1, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

TEST_F(RegistryKeys, DeleteKeyRefusesSubkeysDeleteTreeTakesAllAndOldHandlesTellKeyDeleted) {
  PutText(HKEY_CURRENT_USER, "Tree\\Branch\\Leaf", "v", "1");
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Tree\\Branch"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Tree\\Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "tree\\branch\\LEAF"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Tree\\Branch\\Leaf", "v"), "#2");
  PutText(HKEY_CURRENT_USER, "Tree\\Branch\\Leaf", "v", "1");
  PutText(HKEY_CURRENT_USER, "Tree\\Other", "w", "2");
  EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Tree"), ERROR_SUCCESS);
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, ""), std::vector<std::string>{});
  EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Tree"), ERROR_FILE_NOT_FOUND);
  // Without a subkey the tree's key is emptied but kept.
  PutText(HKEY_CURRENT_USER, "Keep\\Child", "x", "1");
  PutText(HKEY_CURRENT_USER, "Keep", "own", "2");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Keep", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTreeA(key, nullptr), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, ""), std::vector<std::string>{"Keep"});
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, "Keep"), std::vector<std::string>{});
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Keep", "own"), "#2");
  // Handles of deleted keys report the key deleted.
  PutText(HKEY_CURRENT_USER, "Gone", "v", "1");
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Gone", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Gone"), ERROR_SUCCESS);
  PutText(HKEY_CURRENT_USER, "Gone", "v", "again");  // a new key of the same name
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  const BYTE one[] = "1";
  EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, one, sizeof one), ERROR_KEY_DELETED);
  HKEY sub = nullptr;
  EXPECT_EQ(RegCreateKeyExA(key, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
            ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Gone", "v"), "again");
}

TEST_F(RegistryKeys, BadHandlesAndArgumentsAreRefused) {
  HKEY key = nullptr;
  HKEY bogus = reinterpret_cast<HKEY>(0x5000);
  EXPECT_EQ(RegOpenKeyExA(bogus, "x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExA(HKEY_USERS, "x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "x", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, nullptr, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, std::string(256, 'k').c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);  // a root stays
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, nullptr), ERROR_INVALID_PARAMETER);
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Closed", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  // Creating needs the create right of the parent's handle.
  PutText(HKEY_CURRENT_USER, "Parent");
  HKEY parent = nullptr, child = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Parent", 0, KEY_READ, &parent), ERROR_SUCCESS);
  EXPECT_EQ(RegCreateKeyExA(parent, "Child", 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr),
            ERROR_ACCESS_DENIED);
  RegCloseKey(parent);
}

}  // namespace
