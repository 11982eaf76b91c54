// The exported functions of libvxstrd.so, for the programs that load it at run
// time (the registrar asks it for archive paths; hosts give it their user
// interface). The COM exports follow the in-process server convention.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Com.h"

class MessageBoxFrontEnd;
class ReaderDialogFrontEnd;

#define VXSTRD_EXPORT extern "C" __attribute__((visibility("default")))

VXSTRD_EXPORT HRESULT DllRegisterServer();
VXSTRD_EXPORT HRESULT DllUnregisterServer();
VXSTRD_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
VXSTRD_EXPORT HRESULT DllCanUnloadNow();

// The path of the archive NAME of FIRMCODE (0xFFFFFFFF: any), resolved quietly:
// its length when it fits into BUFFER of SIZE bytes with its zero (and then
// copied), else the size needed (nothing copied); 0 for an unknown name.
VXSTRD_EXPORT std::int32_t GetDocumentFileNameA(const char* name, std::uint32_t firmCode,
                                                char* buffer, std::int32_t size);
using GetDocumentFileNameAProc = std::int32_t (*)(const char*, std::uint32_t, char*, std::int32_t);

// The module shows message boxes and its dialogs through its own copy of the
// platform's user interface. A host that has a user interface of its own hands
// it over here: MESSAGEBOXES and DIALOGS replace the module's choice (nullptr
// returns to it); the objects must live until they are withdrawn.
VXSTRD_EXPORT void VxStRdSetUserInterface(MessageBoxFrontEnd* messageBoxes,
                                         ReaderDialogFrontEnd* dialogs);
using VxStRdSetUserInterfaceProc = void (*)(MessageBoxFrontEnd*, ReaderDialogFrontEnd*);
// As above, but as the graphical front-end, which the automatic choice and
// VXST_UI=gtk use (the viewer's GTK dialogs).
VXSTRD_EXPORT void VxStRdRegisterGraphicalUserInterface(MessageBoxFrontEnd* messageBoxes,
                                                       ReaderDialogFrontEnd* dialogs);

// Whether the module's pages show the server's paths (reader/PagePaths.h): a
// host that serves browsers on other machines passes 0.
VXSTRD_EXPORT void VxStRdShowServerPaths(int shown);
using VxStRdShowServerPathsProc = void (*)(int);
// Whether the firm code used for a name is kept for the next request of the name
// alone (ThisDocumentProfiling::SetChoicesKept): a host of many clients passes 0.
VXSTRD_EXPORT void VxStRdKeepChoices(int kept);
using VxStRdKeepChoicesProc = void (*)(int);

// The module's built-in resources by name (the header image of its pages), for
// hosts that serve res:// URLs (platform/ModuleResource.h).
VXSTRD_EXPORT int VxstModuleResource(const char* name, const void** data, std::size_t* size);
