// The viewer's document type in the registry, as the application framework
// registers an application's documents at every start: the ProgID
// "SwDocViewer.Document" named "Lumet Document", tied to the document's class
// id, whose local server is the program. Written under HKEY_CLASSES_ROOT (the
// user's classes); the registry may refuse, which changes nothing else.
#pragma once

#include <string>

#include "platform/WinTypes.h"

inline constexpr const char* kDocumentProgId = "SwDocViewer.Document";
inline constexpr const char* kDocumentTypeName = "Lumet Document";
inline constexpr const char* kDocumentClassId = "{F16D7A63-96F9-49D6-87F1-104833BF2F60}";

// Writes the keys for the program at MODULEPATH: ERROR_SUCCESS or the registry's error.
LSTATUS RegisterDocumentType(const std::string& modulePath);
// Removes them where they still name this program.
LSTATUS UnregisterDocumentType(const std::string& modulePath);
