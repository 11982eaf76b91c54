// Failures of the catalog as the registrar tells them: besides the key, the
// message names the file that holds the catalog and what to do about it, since
// a catalog that cannot be read or written is mostly a file that cannot be
// written (a read-only folder, a full disk) or a damaged one.
#pragma once

#include "catalog/DocumentProfiling.h"

class CKelErrorMessage;
class CKelException;

namespace registrar {

// Whether E is a failure to read or write the catalog (the registration codes
// 1140 to 1144).
bool IsCatalogFailure(const CKelException& e);

// Adds the catalog file of PLACEMENT and the advice to the location of E, when
// E is a catalog failure.
void NameCatalogFile(CKelException& e, stow::Placement placement);

}  // namespace registrar
