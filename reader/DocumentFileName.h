// The export GetDocumentFileNameA: the file path of a registered archive (or of
// one handed over by a host), resolved quietly: no page, no dialog.
#pragma once

#include <cstdint>

class ThisDocumentProfiling;

// Resolves NAME (FIRMCODE 0xFFFFFFFF: any) with CATALOG. An unknown name, or
// one that cannot be resolved, gives 0 and writes nothing. When the path is
// shorter than SIZE it is copied with its terminating zero into BUFFER and its
// length is returned; otherwise nothing is written and the size needed (length
// + 1) is returned.
std::int32_t GetDocumentFileName(ThisDocumentProfiling& catalog, const char* name,
                                 std::uint32_t firmCode, char* buffer, std::int32_t size);
