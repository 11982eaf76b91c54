#include "viewer/ShellSettings.h"

#include "archive/VxbFile.h"
#include "platform/Com.h"
#include "platform/RegistryScript.h"

namespace {

std::string FileTypeKey(const GUID& fileType) {
  return std::string(kShellSettingKey) + "\\" + GuidToString(fileType);
}

// The settings as a script; "%MODULE%" stands for the whole Open command.
RegistryScript ViewerScript() {
  RegistryScript script;
  for (const GUID& fileType : stow::kArchiveGuids) {
    const std::string key = FileTypeKey(fileType);
    script.push_back({key, {{"", std::string(kShellDocumentTypeName)}}, true});
    script.push_back({key + "\\Open", {{"Command", "%MODULE%"}}});
  }
  return script;
}

}  // namespace

std::string ShellOpenCommand(const std::string& modulePath) {
  const bool blank = modulePath.find_first_of(" \t") != std::string::npos;
  return (blank ? "\"" + modulePath + "\"" : modulePath) + " \"%1\"";
}

LSTATUS RegisterViewerShellSettings(const std::string& modulePath) {
  return ApplyRegistryScript(HKEY_LOCAL_MACHINE, ViewerScript(), ShellOpenCommand(modulePath));
}

LSTATUS UnregisterViewerShellSettings(const std::string& modulePath) {
  return RemoveRegistryScript(HKEY_LOCAL_MACHINE, ViewerScript(), ShellOpenCommand(modulePath));
}
