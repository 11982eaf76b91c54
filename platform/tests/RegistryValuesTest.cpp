#include <cstring>
#include <vector>

#include "platform/tests/ScratchRegistry.h"

namespace {

class RegistryValues : public ScratchRegistry {
 protected:
  void SetUp() override {
    ScratchRegistry::SetUp();
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Values", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &m_key, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(m_key);
    ScratchRegistry::TearDown();
  }
  LSTATUS Set(const char* name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExA(m_key, name, 0, type, static_cast<const BYTE*>(data), size);
  }
  HKEY m_key = nullptr;
};

TEST_F(RegistryValues, EveryTypeComesBackAsStoredSizesAndSmallBuffersAsOnWindows) {
  const struct {
    const char* name;
    DWORD type;
    std::string bytes;
  } all[] = {
      {"Text", REG_SZ, std::string("C:\\Docs\\manual.vxb", 19)},
      {"Expand", REG_EXPAND_SZ, std::string("%HOME%/x", 9)},
      {"Multi", REG_MULTI_SZ, std::string("one\0two\0", 9)},  // two texts and the closing empty one
      {"Number", REG_DWORD, std::string("\xEF\xBE\xAD\xDE", 4)},
      {"Binary", REG_BINARY, std::string("\0\1\xFF\0", 4)},
      {"Empty", REG_BINARY, ""},
  };
  for (const auto& value : all) {
    const DWORD length = static_cast<DWORD>(value.bytes.size());
    ASSERT_EQ(Set(value.name, value.type, length ? value.bytes.data() : nullptr, length), ERROR_SUCCESS);
  }
  for (const auto& value : all) {
    BYTE buffer[64];
    DWORD size = sizeof buffer, type = 99;
    ASSERT_EQ(RegQueryValueExA(m_key, value.name, nullptr, &type, buffer, &size), ERROR_SUCCESS) << value.name;
    EXPECT_EQ(type, value.type) << value.name;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), value.bytes) << value.name;
  }
  // Size queries and small buffers follow the Windows rules.
  const char text[] = "0123456789";
  ASSERT_EQ(Set("Doc", REG_SZ, text, sizeof text), ERROR_SUCCESS);
  DWORD size = 0, type = 0;
  EXPECT_EQ(RegQueryValueExA(m_key, "Doc", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(type, REG_SZ);
  BYTE small[5];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(m_key, "Doc", nullptr, &type, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(RegQueryValueExA(m_key, "Doc", nullptr, &type, small, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(m_key, "Doc", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);  // exists
  EXPECT_EQ(RegQueryValueExA(m_key, "Missing", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryValues, NamesCompareWithoutCaseRewritesReplaceTheTypeMalformedWritesStoreNothing) {
  const char text[] = "default";
  ASSERT_EQ(Set(nullptr, REG_SZ, text, sizeof text), ERROR_SUCCESS);  // the unnamed value: null or ""
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Values", ""), "default");
  EXPECT_EQ(RegDeleteValueA(m_key, ""), ERROR_SUCCESS);
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Values", nullptr), "#2");
  const DWORD number = 7;
  EXPECT_EQ(Set("Short", REG_DWORD, &number, 2), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Set("NoData", REG_SZ, nullptr, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Set(std::string(16384, 'n').c_str(), REG_SZ, "", 1), ERROR_INVALID_PARAMETER);
  ASSERT_EQ(Set("Mixed", REG_SZ, text, sizeof text), ERROR_SUCCESS);
  ASSERT_EQ(Set("MIXED", REG_DWORD, &number, 4), ERROR_SUCCESS);
  DWORD values = 0, type = 0, data = 0, size = 4;
  RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  EXPECT_EQ(values, 1u);
  EXPECT_EQ(RegQueryValueExA(m_key, "mixed", nullptr, &type, reinterpret_cast<BYTE*>(&data), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(data, 7u);
  EXPECT_EQ(RegDeleteValueA(m_key, "mIxEd"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(m_key, "mixed"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryValues, EnumerationGivesNamesTypesAndDataInNameOrder) {
  const char b[] = "bee";
  const DWORD number = 3;
  ASSERT_EQ(Set("b", REG_SZ, b, sizeof b), ERROR_SUCCESS);
  ASSERT_EQ(Set("A", REG_DWORD, &number, 4), ERROR_SUCCESS);
  char name[8];
  BYTE data[8];
  DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
  ASSERT_EQ(RegEnumValueA(m_key, 0, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_SUCCESS);
  EXPECT_STREQ(name, "A");
  EXPECT_EQ(nameSize, 1u);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(dataSize, 4u);
  nameSize = sizeof name;
  dataSize = 2;
  EXPECT_EQ(RegEnumValueA(m_key, 1, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
  EXPECT_EQ(dataSize, 4u);
  nameSize = 1;
  EXPECT_EQ(RegEnumValueA(m_key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  nameSize = sizeof name;
  EXPECT_EQ(RegEnumValueA(m_key, 2, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryValues, InfoCountsAndLongestNamesAndDataAndTheHandlesRights) {
  const char data[] = "twelve bytes";  // 13 with the zero
  ASSERT_EQ(Set("short", REG_SZ, data, 2), ERROR_SUCCESS);
  ASSERT_EQ(Set("longest name", REG_SZ, data, sizeof data), ERROR_SUCCESS);
  PutText(HKEY_CURRENT_USER, "Values\\Sub");
  PutText(HKEY_CURRENT_USER, "Values\\Σ-longer");  // two bytes for the sigma
  DWORD subKeys = 0, maxSubKey = 0, values = 0, maxName = 0, maxData = 0;
  ASSERT_EQ(RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values,
                             &maxName, &maxData, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 2u);
  EXPECT_EQ(maxSubKey, 9u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(maxName, 12u);
  EXPECT_EQ(maxData, 13u);
  // The rights of the handle are checked.
  HKEY readOnly = nullptr, writeOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Values", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Values", 0, KEY_SET_VALUE, &writeOnly), ERROR_SUCCESS);
  const char text[] = "x";
  EXPECT_EQ(RegSetValueExA(readOnly, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 2),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(readOnly, "v"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExA(writeOnly, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 2), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(writeOnly, "v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
  char name[8];
  size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(writeOnly, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
  RegCloseKey(readOnly);
  RegCloseKey(writeOnly);
}

}  // namespace
