// The file-type settings of the desktop-shell extension that the viewer writes
// when it is registered: under HKEY_LOCAL_MACHINE\SOFTWARE\VEXO-SYSTEMS\Shell
// Extension\01.00\Setting\0009, for each of the two archive file-type GUIDs, the
// type's name as default value and an Open key whose Command starts the viewer.
// The registrar writes the same keys; whoever registers last sets the name and
// the command. Both are written and taken away by the platform's script
// registrar (platform/RegistryScript.h).
#pragma once

#include <string>
#include <string_view>

#include "platform/WinTypes.h"

inline constexpr std::string_view kShellSettingKey =
    "SOFTWARE\\VEXO-SYSTEMS\\Shell Extension\\01.00\\Setting\\0009";
inline constexpr std::string_view kShellDocumentTypeName = "Stowra Document VEXO-KEY";

// The Open command for the program at MODULEPATH: the path (in quotes when it
// holds a blank, so that the command names all of it), a blank and "%1" in quotes.
std::string ShellOpenCommand(const std::string& modulePath);

// Writes the settings; ERROR_SUCCESS or the registry's error.
LSTATUS RegisterViewerShellSettings(const std::string& modulePath);
// Removes what registering added: the Open command, where it is still this
// program's (another program's command stays), and the Open key when it is then
// empty. The setting and file-type keys stay, as other programs use them.
LSTATUS UnregisterViewerShellSettings(const std::string& modulePath);
