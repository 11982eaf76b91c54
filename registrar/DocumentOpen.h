// Opening an archive in the web browser: an open request names an archive by
// name (its path then comes from the reader module, which resolves it as the
// browser would) or by file; the archive is checked and handed to the shell's
// "open" as a "vexost://file:" URL.
#pragma once

#include <cstdint>
#include <string>

class CKelErrorMessage;

namespace registrar {

struct OpenRequest {
  std::string archiveName;             // empty for a request by file
  std::uint32_t firmCode = 0xFFFFFFFF; // any
  std::string path;
};

// The class of the reader module, whose registration names the module's file.
inline constexpr const char* kReaderServerKey =
    "CLSID\\{00030001-0000-1010-8002-0000C06B5161}\\InprocServer32";
inline constexpr const char* kFileUrlPrefix = "vexost://file:";

// Opens REQUEST: a name is resolved through the reader module (error 1001 with
// the name when that fails), the file is checked to be an archive and handed to
// the shell (error 1001 with the path when either fails). An empty path ends
// quietly. MESSAGES reports the first failure to bind the reader module.
void OpenDocument(OpenRequest request, CKelErrorMessage& messages);

// The path of the archive NAME through the reader module's GetDocumentFileNameA,
// or "" when the module cannot be used or does not know the name. The module is
// loaded once per process, on first use, and stays; the first failure to load
// it (1000 when it is not registered, 1001 with its path when it does not load)
// is reported through MESSAGES, later ones are silent.
std::string ResolveThroughReader(const std::string& name, std::uint32_t firmCode,
                                 CKelErrorMessage& messages);

}  // namespace registrar
