// The shell settings of the registrar (/regserver, /unregserver): for both
// archive file types, under HKEY_LOCAL_MACHINE\SOFTWARE\VEXO-SYSTEMS\Shell
// Extension\01.00\Setting\0009, the menu commands Register and Unregister and
// the Open command, each running this program on the file. The file-type keys
// and their descriptions are shared with the reader module and the viewer and
// are never removed.
#pragma once

#include <string>

#include "platform/RegistryScript.h"

namespace registrar {

inline constexpr const char* kShellSettingKey =
    "SOFTWARE\\VEXO-SYSTEMS\\Shell Extension\\01.00\\Setting\\0009";

// The script; "%MODULE%" stands for CommandModule of the program's path.
RegistryScript ShellSettingsScript();
// The text that stands for MODULEPATH in the commands: in double quotes when it
// holds a blank, so that the command names the whole path.
std::string CommandModule(const std::string& modulePath);

// Write / remove the settings for the program at MODULEPATH; false with the
// Windows error in ERROR when the registry refused.
bool RegisterShellSettings(const std::string& modulePath, DWORD& error);
bool UnregisterShellSettings(const std::string& modulePath, DWORD& error);

}  // namespace registrar
