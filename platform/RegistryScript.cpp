#include "platform/RegistryScript.h"

#include <optional>

#include "platform/RegistryText.h"

namespace {

constexpr const char* kModuleMark = "%MODULE%";

std::string Substituted(std::string text, const std::string& module) {
  for (std::size_t at = text.find(kModuleMark); at != std::string::npos;
       at = text.find(kModuleMark, at + module.size())) {
    text.replace(at, std::char_traits<char>::length(kModuleMark), module);
  }
  return text;
}

const char* ValueName(const RegistryScriptValue& value) {
  return value.name.empty() ? nullptr : value.name.c_str();
}

LSTATUS WriteKey(HKEY root, const RegistryScriptKey& entry, const std::string& module) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExA(root, entry.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_WRITE, nullptr, &key, nullptr);
  for (const RegistryScriptValue& value : entry.values) {
    if (status != ERROR_SUCCESS) break;
    const std::string text = Substituted(value.text, module);
    status = RegSetValueExA(key, ValueName(value), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
  }
  if (key) RegCloseKey(key);
  return status;
}

bool IsEmpty(HKEY key) {
  DWORD subKeys = 0;
  DWORD values = 0;
  return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subKeys == 0 && values == 0;
}

LSTATUS RemoveKey(HKEY root, const RegistryScriptKey& entry, const std::string& module) {
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExA(root, entry.path.c_str(), 0, KEY_ALL_ACCESS, &key);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return status;
  for (const RegistryScriptValue& value : entry.values) {
    const std::optional<std::string> text = ReadRegistryText(key, "", ValueName(value));
    if (text == Substituted(value.text, module)) status = RegDeleteValueA(key, ValueName(value));
    if (status != ERROR_SUCCESS) break;
  }
  const bool empty = IsEmpty(key);
  RegCloseKey(key);
  if (status == ERROR_SUCCESS && empty) status = RegDeleteKeyA(root, entry.path.c_str());
  return status;
}

}  // namespace

LSTATUS ApplyRegistryScript(HKEY root, const RegistryScript& script, const std::string& module) {
  for (const RegistryScriptKey& entry : script) {
    const LSTATUS status = WriteKey(root, entry, module);
    if (status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

LSTATUS RemoveRegistryScript(HKEY root, const RegistryScript& script, const std::string& module) {
  for (auto it = script.rbegin(); it != script.rend(); ++it) {
    if (it->noRemove) continue;
    const LSTATUS status = RemoveKey(root, *it, module);
    if (status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}
