#include "registrar/CatalogFailure.h"

#include "base/KelException.h"
#include "platform/RegistryControl.h"

namespace registrar {

bool IsCatalogFailure(const CKelException& e) { return e.m_code >= 1140 && e.m_code <= 1144; }

void NameCatalogFile(CKelException& e, stow::Placement placement) {
  if (!IsCatalogFailure(e)) return;
  const RegistryHiveKind hive =
      placement == stow::Placement::AllUsers ? RegistryHiveKind::Machine : RegistryHiveKind::User;
  const std::string file = "catalog file \"" + RegistryHivePath(hive) +
                           "\" (it must be writable; a damaged one may be moved away and the "
                           "archives registered again)";
  e.m_location = e.m_location.empty() ? file : file + ", " + e.m_location;
}

}  // namespace registrar
