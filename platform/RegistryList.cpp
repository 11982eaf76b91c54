#include "platform/RegistryList.h"

namespace {

// Room for the longest name and data of KEY, as RegQueryInfoKeyA tells them.
DWORD LongestOf(HKEY key, DWORD* subKeyName, DWORD* valueName, DWORD* valueData) {
  return static_cast<DWORD>(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, subKeyName,
                                             nullptr, nullptr, valueName, valueData, nullptr,
                                             nullptr));
}

}  // namespace

DWORD ListRegSubKeys(HKEY key, std::vector<std::string>* names) {
  names->clear();
  DWORD longest = 0;
  if (const DWORD error = LongestOf(key, &longest, nullptr, nullptr)) return error;
  std::string name;
  for (DWORD index = 0;;) {
    name.resize(longest + 1);
    DWORD size = longest + 1;
    const auto status = static_cast<DWORD>(
        RegEnumKeyExA(key, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr));
    if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (status == ERROR_MORE_DATA) {  // a longer name came in meanwhile
      if (const DWORD error = LongestOf(key, &longest, nullptr, nullptr)) return error;
      continue;
    }
    if (status != ERROR_SUCCESS) return status;
    names->emplace_back(name.data(), size);
    ++index;
  }
}

DWORD ListRegValues(HKEY key, std::vector<RegValue>* values) {
  values->clear();
  DWORD longestName = 0, longestData = 0;
  if (const DWORD error = LongestOf(key, nullptr, &longestName, &longestData)) return error;
  for (DWORD index = 0;;) {
    RegValue value;
    value.name.resize(longestName + 1);
    value.data.resize(longestData);
    DWORD nameSize = longestName + 1, dataSize = longestData;
    const auto status = static_cast<DWORD>(
        RegEnumValueA(key, index, value.name.data(), &nameSize, nullptr, &value.type,
                      reinterpret_cast<BYTE*>(value.data.data()), &dataSize));
    if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (status == ERROR_MORE_DATA) {
      if (const DWORD error = LongestOf(key, nullptr, &longestName, &longestData)) return error;
      continue;
    }
    if (status != ERROR_SUCCESS) return status;
    value.name.resize(nameSize);
    value.data.resize(dataSize);
    values->push_back(std::move(value));
    ++index;
  }
}
