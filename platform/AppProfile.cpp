#include "platform/AppProfile.h"

#include <cstdint>

#include "platform/Registry.h"
#include "platform/RegistryText.h"
#include "platform/SystemError.h"

AppProfile::AppProfile(std::string registryKey, std::string appName)
    : m_registryKey(std::move(registryKey)), m_appName(std::move(appName)) {}

std::string AppProfile::SectionKey(const std::string& section) const {
  return "Software\\" + m_registryKey + "\\" + m_appName + "\\" + section;
}

std::optional<int> AppProfile::GetProfileInt(const std::string& section,
                                             const std::string& entry) const {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return std::nullopt;
  DWORD type = REG_NONE;
  std::uint32_t value = 0;
  DWORD size = sizeof value;
  const LSTATUS status =
      RegQueryValueExA(key, entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return std::nullopt;
  return static_cast<int>(value);
}

bool AppProfile::WriteProfileInt(const std::string& section, const std::string& entry,
                                 int value) const {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExA(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    const auto number = static_cast<std::uint32_t>(value);
    status = RegSetValueExA(key, entry.c_str(), 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(key);
  }
  if (status != ERROR_SUCCESS) SetLastError(static_cast<DWORD>(status));
  return status == ERROR_SUCCESS;
}

std::optional<std::string> AppProfile::GetProfileString(const std::string& section,
                                                        const std::string& entry) const {
  return ReadRegistryText(HKEY_CURRENT_USER, SectionKey(section), entry.c_str());
}

bool AppProfile::WriteProfileString(const std::string& section, const std::string& entry,
                                    const std::string& value) const {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExA(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    if (value.empty()) {
      status = RegDeleteValueA(key, entry.c_str());
      if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    } else {
      status = RegSetValueExA(key, entry.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() + 1));
    }
    RegCloseKey(key);
  }
  if (status != ERROR_SUCCESS) SetLastError(static_cast<DWORD>(status));
  return status == ERROR_SUCCESS;
}
