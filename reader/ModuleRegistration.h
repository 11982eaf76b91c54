// The module's registration: the keys that make it the handler of vexost: URLs
// and the server of its two classes, and the file-type settings of archives for
// the desktop shell.
//
// Under HKEY_CLASSES_ROOT: the ProgIDs Vexost.PluggableProtocol(.1) and
// VexoSt.ReaderCtl(.1), PROTOCOLS\Handler\vexost, both CLSID keys with
// InprocServer32 = the module's path (threading model Apartment), and the URL
// protocol key VexoSt with its Shell\Open keys. PROTOCOLS\Handler\vexost and
// VexoSt are written anew on each registration.
//
// The open command of VexoSt runs the browser that the machine names under
// Software\Microsoft\Windows\CurrentVersion\App Paths\Iexplore.exe; where it
// names none (the rule on this platform) the command is left empty, and the
// desktop's own opener (xdg-open) opens vexost: links.
//
// Under HKEY_LOCAL_MACHINE, SOFTWARE\VEXO-SYSTEMS\Shell Extension\01.00\Setting\0009:
// one key per archive file-type GUID with the values Icon and Vxb; written only
// where the machine's hive may be written (a user's registration leaves it out).
// The registrar and the viewer write their own settings under the same keys.
#pragma once

#include <string>

#include "platform/WinTypes.h"

// Writes the keys for the module at MODULEPATH: S_OK, or SELFREG_E_CLASS when a
// key of HKEY_CLASSES_ROOT could not be written.
HRESULT RegisterReaderModule(const std::string& modulePath);

// Removes what RegisterReaderModule wrote: the keys under HKEY_CLASSES_ROOT, and
// the values Icon and Vxb of the shell settings (their keys, shared with the
// registrar and the viewer, stay). Nothing is removed when the protocol
// handler's class is registered for another module file: that installation
// owns the keys. S_OK, or SELFREG_E_CLASS when a key could not be removed.
HRESULT UnregisterReaderModule(const std::string& modulePath);
