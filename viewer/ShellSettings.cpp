#include "viewer/ShellSettings.h"

#include "archive/VxbFile.h"
#include "platform/Com.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kOpenKey = "Open";
constexpr const char* kCommandValue = "Command";

std::string FileTypeKey(const GUID& fileType) {
  return std::string(kShellSettingKey) + "\\" + GuidToString(fileType);
}

LSTATUS SetText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
}

LSTATUS WriteFileType(const GUID& fileType, const std::string& command) {
  HKEY typeKey = nullptr;
  LSTATUS status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, FileTypeKey(fileType).c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &typeKey, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = SetText(typeKey, nullptr, std::string(kShellDocumentTypeName));
  HKEY openKey = nullptr;
  if (status == ERROR_SUCCESS)
    status = RegCreateKeyExA(typeKey, kOpenKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_ALL_ACCESS, nullptr, &openKey, nullptr);
  if (status == ERROR_SUCCESS) {
    status = SetText(openKey, kCommandValue, command);
    RegCloseKey(openKey);
  }
  RegCloseKey(typeKey);
  return status;
}

// The text value NAME of KEY, or "" when there is none.
std::string TextValue(HKEY key, const char* name) {
  char buffer[4096] = {};
  DWORD size = sizeof buffer - 1;
  DWORD type = REG_NONE;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return "";
  return std::string(buffer, size > 0 && buffer[size - 1] == '\0' ? size - 1 : size);
}

LSTATUS RemoveFileType(const GUID& fileType, const std::string& command) {
  HKEY typeKey = nullptr;
  LSTATUS status =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, FileTypeKey(fileType).c_str(), 0, KEY_ALL_ACCESS, &typeKey);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return status;
  HKEY openKey = nullptr;
  status = RegOpenKeyExA(typeKey, kOpenKey, 0, KEY_ALL_ACCESS, &openKey);
  if (status == ERROR_SUCCESS) {
    if (TextValue(openKey, kCommandValue) == command) status = RegDeleteValueA(openKey, kCommandValue);
    DWORD subKeys = 0, values = 0;
    const bool empty = RegQueryInfoKeyA(openKey, nullptr, nullptr, nullptr, &subKeys, nullptr,
                                        nullptr, &values, nullptr, nullptr, nullptr,
                                        nullptr) == ERROR_SUCCESS &&
                       subKeys == 0 && values == 0;
    RegCloseKey(openKey);
    if (status == ERROR_SUCCESS && empty) status = RegDeleteKeyA(typeKey, kOpenKey);
  } else if (status == ERROR_FILE_NOT_FOUND) {
    status = ERROR_SUCCESS;
  }
  RegCloseKey(typeKey);
  return status;
}

}  // namespace

std::string ShellOpenCommand(const std::string& modulePath) {
  const bool blank = modulePath.find_first_of(" \t") != std::string::npos;
  return (blank ? "\"" + modulePath + "\"" : modulePath) + " \"%1\"";
}

LSTATUS RegisterViewerShellSettings(const std::string& modulePath) {
  for (const GUID& fileType : stow::kArchiveGuids) {
    const LSTATUS status = WriteFileType(fileType, ShellOpenCommand(modulePath));
    if (status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

LSTATUS UnregisterViewerShellSettings(const std::string& modulePath) {
  for (const GUID& fileType : stow::kArchiveGuids) {
    const LSTATUS status = RemoveFileType(fileType, ShellOpenCommand(modulePath));
    if (status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}
