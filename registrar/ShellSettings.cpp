#include "registrar/ShellSettings.h"

namespace registrar {

namespace {

constexpr const char* kArchiveFileTypes[] = {"{00030002-0000-1101-8002-0000C06B5161}",
                                             "{00010000-0000-1101-8006-0000C06B5161}"};

}  // namespace

RegistryScript ShellSettingsScript() {
  RegistryScript script;
  for (const char* fileType : kArchiveFileTypes) {
    const std::string key = std::string(kShellSettingKey) + "\\" + fileType;
    script.push_back({key, {{"", "Stowra Archive VEXO-KEY"}}, true});
    script.push_back({key + "\\Menu", {}});
    script.push_back({key + "\\Menu\\1", {{"", "Register"}, {"Command", "%MODULE% /I \"%1\""}}});
    script.push_back({key + "\\Menu\\2", {{"", "Unregister"}, {"Command", "%MODULE% /U \"%1\""}}});
    script.push_back({key + "\\Open", {{"Command", "%MODULE% /O \"%1\""}}});
  }
  return script;
}

std::string CommandModule(const std::string& modulePath) {
  return modulePath.find_first_of(" \t") == std::string::npos ? modulePath : "\"" + modulePath + "\"";
}

bool RegisterShellSettings(const std::string& modulePath, DWORD& error) {
  error = static_cast<DWORD>(ApplyRegistryScript(HKEY_LOCAL_MACHINE, ShellSettingsScript(), CommandModule(modulePath)));
  return error == ERROR_SUCCESS;
}

bool UnregisterShellSettings(const std::string& modulePath, DWORD& error) {
  error = static_cast<DWORD>(RemoveRegistryScript(HKEY_LOCAL_MACHINE, ShellSettingsScript(), CommandModule(modulePath)));
  return error == ERROR_SUCCESS;
}

}  // namespace registrar
