// A test fixture that points the registry at a fresh scratch folder for each
// test (VXST_REGISTRY_DIR), so tests never touch the real hives, and removes it
// afterwards. Also used by the tests of vxreg and of the settings classes.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/RegistryControl.h"

// Whether ROOT\PATH can be opened for reading.
inline bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

class ScratchRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vxst-registry-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_folder = pattern;
    setenv("VXST_REGISTRY_DIR", m_folder.c_str(), 1);
    unsetenv("VXST_REGISTRY_READONLY");
    unsetenv("VXST_REGISTRY_FAULT");
  }
  void TearDown() override {
    RegistrySetReadOnly(RegistryHiveKind::User, false);
    RegistrySetReadOnly(RegistryHiveKind::Machine, false);
    RegistryInjectWriteFault(ERROR_SUCCESS);
    unsetenv("VXST_REGISTRY_READONLY");
    unsetenv("VXST_REGISTRY_FAULT");
    unsetenv("VXST_REGISTRY_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }

  const std::string& Folder() const { return m_folder; }

  // Creates KEY\PATH and, when NAME is given, sets its text value NAME = TEXT.
  static void PutText(HKEY root, const char* path, const char* name = nullptr,
                      const std::string& text = {}) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << path;
    if (name) {
      ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1)),
                ERROR_SUCCESS);
    }
    RegCloseKey(key);
  }

  // The text value NAME of ROOT\PATH, or the error number as "#N".
  static std::string GetText(HKEY root, const char* path, const char* name) {
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExA(root, path, 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) return "#" + std::to_string(status);
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1;
    status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return "#" + std::to_string(status);
    return std::string(buffer, size > 0 && buffer[size - 1] == '\0' ? size - 1 : size);
  }

  // The names of the subkeys of ROOT\PATH in enumeration order (none when it cannot be opened).
  static std::vector<std::string> SubKeys(HKEY root, const char* path) {
    HKEY key = nullptr;
    std::vector<std::string> names;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    char name[256];
    DWORD size = sizeof name;
    for (DWORD index = 0; RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) == 0;
         ++index, size = sizeof name) {
      names.emplace_back(name, size);
    }
    RegCloseKey(key);
    return names;
  }

 private:
  std::string m_folder;
};
