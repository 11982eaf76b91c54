#include "viewer/DocumentRegistration.h"

#include "platform/Registry.h"

namespace {

const std::string kProgIdKey = kDocumentProgId;
const std::string kClassKey = std::string("CLSID\\") + kDocumentClassId;

LSTATUS WriteKey(const std::string& path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_WRITE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
  return status;
}

std::string ReadText(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
  char text[4096] = {};
  DWORD size = sizeof text - 1;
  DWORD type = REG_NONE;
  const LSTATUS status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ ? std::string(text) : "";
}

LSTATUS DeleteTree(const std::string& path) {
  const LSTATUS status = RegDeleteTreeA(HKEY_CLASSES_ROOT, path.c_str());
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

}  // namespace

LSTATUS RegisterDocumentType(const std::string& modulePath) {
  const struct {
    std::string path;
    const char* name;
    std::string text;
  } values[] = {
      {kProgIdKey, nullptr, kDocumentTypeName},
      {kProgIdKey + "\\CLSID", nullptr, kDocumentClassId},
      {kClassKey, nullptr, kDocumentTypeName},
      {kClassKey + "\\ProgID", nullptr, kDocumentProgId},
      {kClassKey + "\\LocalServer32", nullptr, modulePath},
  };
  for (const auto& value : values) {
    const LSTATUS status = WriteKey(value.path, value.name, value.text);
    if (status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

LSTATUS UnregisterDocumentType(const std::string& modulePath) {
  // Another program registered under the same class since: its keys stay.
  if (ReadText(kClassKey + "\\LocalServer32") != modulePath) return ERROR_SUCCESS;
  const LSTATUS status = DeleteTree(kClassKey);
  return status == ERROR_SUCCESS ? DeleteTree(kProgIdKey) : status;
}
