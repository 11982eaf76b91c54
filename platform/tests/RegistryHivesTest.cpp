#include <fstream>
#include <vector>

#include "platform/tests/ScratchRegistry.h"

namespace {

class RegistryHives : public ScratchRegistry {};

TEST_F(RegistryHives, ClassesRootShowsUserOverMachineClassesWritesToTheUserDeletesFromBoth) {
  PutText(HKEY_LOCAL_MACHINE, "Software\\Classes\\vexost", "URL Protocol", "machine");
  PutText(HKEY_LOCAL_MACHINE, "Software\\Classes\\vexost", "Only", "machine only");
  PutText(HKEY_LOCAL_MACHINE, "Software\\Classes\\Machine.Only");
  PutText(HKEY_CURRENT_USER, "Software\\Classes\\VEXOST", "url protocol", "user");
  PutText(HKEY_CURRENT_USER, "Software\\Classes\\User.Only");
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, "vexost", "URL Protocol"), "user");
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, "vexost", "Only"), "machine only");
  EXPECT_EQ(SubKeys(HKEY_CLASSES_ROOT, ""), (std::vector<std::string>{"Machine.Only", "User.Only", "VEXOST"}));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "vexost", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD values = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                   nullptr, nullptr);
  EXPECT_EQ(values, 2u);
  RegCloseKey(key);
  // Writes go to the user's classes.
  PutText(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\{X}\\InprocServer32", "", "/usr/lib/a.so");
  RegistrySetReadOnly(RegistryHiveKind::Machine, true);
  PutText(HKEY_CLASSES_ROOT, "CLSID\\{X}\\InprocServer32", "", "/home/u/b.so");
  PutText(HKEY_CLASSES_ROOT, "New.Class", "v", "1");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Software\\Classes\\CLSID\\{X}\\InprocServer32", ""), "/home/u/b.so");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Software\\Classes\\New.Class", "v"), "1");
  EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\{X}\\InprocServer32", ""), "/usr/lib/a.so");
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, "CLSID\\{X}\\InprocServer32", ""), "/home/u/b.so");
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "Software\\Classes"),
            (std::vector<std::string>{"CLSID", "Machine.Only", "vexost"}));
  // Deletes take the key from both hives.
  RegistrySetReadOnly(RegistryHiveKind::Machine, false);
  PutText(HKEY_LOCAL_MACHINE, "Software\\Classes\\Twice", "v", "m");
  PutText(HKEY_CURRENT_USER, "Software\\Classes\\Twice", "v", "u");
  EXPECT_EQ(RegDeleteValueA(HKEY_CLASSES_ROOT, "x"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "twice"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, "Twice", "v"), "#2");
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "twice"), ERROR_FILE_NOT_FOUND);
  // The current configuration lives in the machine's hive.
  PutText(HKEY_CURRENT_CONFIG, "Display", "v", "1");
  EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Hardware Profiles\\Current\\Display", "v"), "1");
}

TEST_F(RegistryHives, ReadOnlyHivesRefuseEveryWriteEvenToRootAndAreNamedByTheEnvironment) {
  HKEY key = nullptr;
  // The environment switch names the read-only hives.
  setenv("VXST_REGISTRY_READONLY", "Machine, user", 1);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "A", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
  setenv("VXST_REGISTRY_READONLY", "machine", 1);
  PutText(HKEY_CURRENT_USER, "A");
  EXPECT_FALSE(std::filesystem::exists(Folder() + "/machine.db"));
  unsetenv("VXST_REGISTRY_READONLY");
  // A hive made read-only in the program.
  PutText(HKEY_LOCAL_MACHINE, "Software\\Stowra", "Doc", "kept");
  RegistrySetReadOnly(RegistryHiveKind::Machine, true);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Stowra", 0, KEY_READ | KEY_WRITE, &key),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\New", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Stowra", 0, nullptr, 0, KEY_READ, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);  // opening an existing key for reading is no write
  RegCloseKey(key);
  const BYTE data[] = "x";
  EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "v", 0, REG_SZ, data, 2), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Stowra"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, "Software\\Stowra", "Doc"), "kept");
  PutText(HKEY_CURRENT_USER, "Software\\Stowra", "Doc", "user stays writable");
  RegistrySetReadOnly(RegistryHiveKind::Machine, false);
  PutText(HKEY_LOCAL_MACHINE, "Software\\Stowra", "Doc", "writable again");
}

TEST_F(RegistryHives, AFailingWriteStoresNothingOfItself) {
  PutText(HKEY_CURRENT_USER, "Before", "v", "1");
  RegistryInjectWriteFault(ERROR_DISK_FULL, 1);  // the second write from now fails
  PutText(HKEY_CURRENT_USER, "Next");
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Full\\Deep", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_DISK_FULL);
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Full", "v"), "#2");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Before", "v"), "1");
  PutText(HKEY_CURRENT_USER, "Full\\Deep", "v", "then it works");
  setenv("VXST_REGISTRY_FAULT", "29", 1);
  const BYTE data[] = "x";
  EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, data, 2), ERROR_WRITE_FAULT);
}

TEST_F(RegistryHives, ADamagedHiveFileGivesAnErrorAndNoCrash) {
  std::ofstream(Folder() + "/user.db") << std::string(4096, 'X');
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_BADDB);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_BADDB);
  PutText(HKEY_LOCAL_MACHINE, "Software", "v", "machine hive unaffected");
}

}  // namespace
