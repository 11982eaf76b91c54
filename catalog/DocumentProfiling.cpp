#include "catalog/DocumentProfiling.h"

#include "base/KelException.h"
#include "base/KelFile.h"
#include "base/MessageCodes.h"
#include "catalog/FirmCodeKeyName.h"
#include "platform/PathSyntax.h"
#include "platform/Registry.h"

namespace stow {

namespace {

constexpr const char* kPathValue = "Doc";
// Codes of an entry whose "Doc" value cannot be read: missing, bad data.
constexpr std::uint32_t kValueMissing = 1141;
constexpr std::uint32_t kValueBadData = 1142;

bool HoldsKeySeparator(const std::string& name) { return name.find('\\') != std::string::npos; }

bool HasSubKeys(HKEY parent, const std::string& child) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, child.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD subKeys = 0;
  const LSTATUS status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr,
                                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && subKeys != 0;
}

std::string FirmCodeKeyPath(const std::string& name, std::uint32_t firmCode) {
  return name + '\\' + FirmCodeKeyName(firmCode);
}

}  // namespace

DocumentProfiling::~DocumentProfiling() = default;

int DocumentProfiling::RootOf(Placement placement) {
  return placement == Placement::AllUsers ? kLocalMachine : kCurrentUser;
}

void DocumentProfiling::PositionBelowCatalog(const std::string& path) {
  SetKeyPath(path.empty() ? std::string(kCatalogKey) : std::string(kCatalogKey) + '\\' + path,
             m_catalogRoot, m_catalogAccess);
}

bool DocumentProfiling::OpenIfPresent() { return EnsureOpen(kDeniedGivesFalse | kNotFoundGivesFalse); }

bool DocumentProfiling::OpenArchiveKey(const std::string& name, int root, int access) {
  m_archiveName = name;
  m_catalogRoot = root;
  m_catalogAccess = access;
  // An empty name would name the catalog key itself, and one with "\" a key
  // further down: neither is an archive-name key. Close what was open, so that
  // listing its firm codes finds nothing.
  if (name.empty() || HoldsKeySeparator(name)) {
    Close();
    return false;
  }
  PositionBelowCatalog(name);
  return OpenIfPresent();
}

std::vector<std::string> DocumentProfiling::ListArchiveNames(Placement placement) {
  m_catalogRoot = RootOf(placement);
  m_catalogAccess = kReadWriteElseRead;
  PositionBelowCatalog({});
  if (!OpenIfPresent()) return {};
  return EnumerateSubKeys();
}

std::vector<std::uint32_t> DocumentProfiling::ListFirmCodes() {
  std::vector<std::uint32_t> firmCodes;
  if (m_archiveName.empty() || HoldsKeySeparator(m_archiveName)) return firmCodes;
  PositionBelowCatalog(m_archiveName);
  if (!OpenIfPresent()) return firmCodes;
  for (const std::string& name : EnumerateSubKeys()) {
    if (const auto firmCode = ParseFirmCodeKeyName(name)) firmCodes.push_back(*firmCode);
  }
  return firmCodes;
}

bool DocumentProfiling::SelectFirmCodeKey(std::uint32_t firmCode) {
  // Opened for writing where allowed, whatever the archive-name key was opened
  // for, so that the entry can be corrected later (UpdateEntryPath).
  m_firmCodeKey = {FirmCodeKeyPath(m_archiveName, firmCode), m_catalogRoot,
                   kReadWriteElseRead, false};
  if (m_archiveName.empty() || HoldsKeySeparator(m_archiveName)) return false;
  PositionOn(m_firmCodeKey);
  m_firmCodeKey.found = OpenIfPresent();
  return m_firmCodeKey.found;
}

void DocumentProfiling::PositionOn(const KeyPosition& position) {
  m_catalogRoot = position.root;
  m_catalogAccess = position.access;
  PositionBelowCatalog(position.path);
}

bool DocumentProfiling::ReadEntry(std::uint32_t firmCode) {
  m_entryPath.clear();
  if (!SelectFirmCodeKey(firmCode)) return false;
  m_entryPath = ReadTextValue(kPathValue, kMaxPathLength);
  return !m_entryPath.empty();
}

void DocumentProfiling::UpdateEntryPath(const std::string& newPath) {
  if (!m_firmCodeKey.found) CKelException::Throw(vxs::kGenericError, "no catalog entry to update");
  WritePath(newPath);
  m_entryPath = newPath;
}

bool DocumentProfiling::CanUpdateEntry() {
  if (!m_firmCodeKey.found) return false;
  PositionOn(m_firmCodeKey);
  return OpenIfPresent() && GetAccess() == kReadWrite;
}

ArchiveIdentity IdentityOf(const VxbFile& document) {
  if (!document.IsOpen()) return {};
  CKelFile file(document.GetPath());
  file.MakeFullPath();
  return {true, document.GetArchiveName(), document.GetFirmCode(), file.GetPath()};
}

bool DocumentProfiling::RegisterArchive(const VxbFile& document, Placement placement) {
  return ChangeRegistration(IdentityOf(document), placement, false);
}

bool DocumentProfiling::UnregisterArchive(const VxbFile& document, Placement placement) {
  return ChangeRegistration(IdentityOf(document), placement, true);
}

bool DocumentProfiling::RegisterArchive(const ArchiveIdentity& archive, Placement placement) {
  return ChangeRegistration(archive, placement, false);
}

bool DocumentProfiling::UnregisterArchive(const ArchiveIdentity& archive, Placement placement) {
  return ChangeRegistration(archive, placement, true);
}

bool DocumentProfiling::ChangeRegistration(const ArchiveIdentity& archive, Placement placement,
                                           bool unregister) {
  if (!archive.open || archive.firmCode == kNoFirmCode || archive.archiveName.empty())
    return false;
  if (HoldsKeySeparator(archive.archiveName)) {
    if (unregister) return false;  // no such name can be in the catalog
    CKelException::Throw(vxs::kGenericError,
                         "archive name \"%1\" holds \"\\\" and cannot be registered",
                         archive.archiveName);
  }
  if (archive.firmCode > kMaxKeyFirmCode && !unregister) {
    // Its entry could never be listed, found or tidied.
    CKelException::Throw(vxs::kGenericError,
                         "archive \"%1\" has firm code " + std::to_string(archive.firmCode) +
                             ", above " + std::to_string(kMaxKeyFirmCode) +
                             ", the largest the catalog holds; it cannot be registered",
                         archive.archiveName);
  }
  const bool nameKnown =
      OpenArchiveKey(archive.archiveName, RootOf(placement), kReadWriteElseRead);
  if (unregister && !nameKnown) return false;
  const bool entryKnown = SelectFirmCodeKey(archive.firmCode) && nameKnown;
  if (unregister && !entryKnown) return false;
  const bool samePath = (entryKnown ? ReadPathOrEmpty() : std::string()) == archive.path;
  if (!unregister) {
    if (samePath) return false;
    CreateEntry(archive.path);
    return true;
  }
  if (!samePath) return false;
  RemoveEntryWithKey();
  PruneArchiveKey();
  return true;
}

void DocumentProfiling::RemoveEntryWithKey() {
  // A key that holds the path only goes in one write with it, so that a run cut
  // short never leaves a key without its path; other values keep their key.
  PositionOn(m_firmCodeKey);
  DWORD subKeys = 0;
  DWORD values = 0;
  if (OpenIfPresent() &&
      RegQueryInfoKeyA(GetKey(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                       nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
      subKeys == 0 && values == 1) {
    const std::size_t cut = m_firmCodeKey.path.rfind('\\');
    DeleteEmptyKey(m_firmCodeKey.path.substr(0, cut), m_firmCodeKey.path.substr(cut + 1));
    return;
  }
  DeleteValue(kPathValue);
  PruneFirmCodeKey();
}

std::string DocumentProfiling::ReadPathOrEmpty() {
  // The catalog reads with missing values allowed only here.
  AllowMissingValues(true);
  try {
    std::string path = ReadTextValue(kPathValue, kMaxPathLength);
    AllowMissingValues(false);
    return path;
  } catch (...) {
    AllowMissingValues(false);
    throw;
  }
}

void DocumentProfiling::WritePath(const std::string& path) {
  // Creates the archive-name and firm-code keys where missing; in a catalog
  // that may only be read the key opens read only and the write raises 1140.
  // A key that is missing after creation was asked was refused.
  PositionOn(m_firmCodeKey);
  if (!EnsureOpen(kCreate | kDeniedGivesFalse | kNotFoundGivesFalse))
    ThrowError(ERROR_ACCESS_DENIED, kPathValue);
  WriteString(kPathValue, path);
}

void DocumentProfiling::CreateEntry(const std::string& path) {
  // The firm-code key comes with its "Doc" value in one write, so a run cut short
  // never leaves a key without its path behind.
  PositionOn(m_firmCodeKey);
  Close();
  const std::string key = std::string(kCatalogKey) + '\\' + m_firmCodeKey.path;
  const LSTATUS status =
      RegSetKeyValueA(m_catalogRoot == kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key.c_str(),
                      kPathValue, REG_SZ, path.c_str(), static_cast<DWORD>(path.size() + 1));
  if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status), kPathValue);
}

std::vector<std::string> DocumentProfiling::EnumerateSubKeys() {
  std::vector<std::string> names;
  std::size_t used = 0;
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD size = sizeof name;
    const LSTATUS status =
        RegEnumKeyExA(GetKey(), index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status), "");
    used += size + 1;
    if (used > kNameListCapacity) CKelException::Throw(vxs::kOutOfMemory);
    names.emplace_back(name, size);
  }
  return names;
}

bool DocumentProfiling::OpenKeyIsEmpty() {
  DWORD subKeys = 0;
  DWORD values = 0;
  const LSTATUS status = RegQueryInfoKeyA(GetKey(), nullptr, nullptr, nullptr, &subKeys, nullptr,
                                          nullptr, &values, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status), "");
  return subKeys == 0 && values == 0;
}

void DocumentProfiling::DeleteEmptyKey(const std::string& parentPath, const std::string& child) {
  PositionBelowCatalog(parentPath);
  if (!OpenIfPresent()) return;  // gone with its parent
  const LSTATUS status = RegDeleteKeyA(GetKey(), child.c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return;
  // A key that another process has given subkeys since is refused; it stays.
  if (status == ERROR_ACCESS_DENIED && HasSubKeys(GetKey(), child)) return;
  ThrowError(static_cast<DWORD>(status), "");
}

bool DocumentProfiling::RemoveEntry() {
  try {
    PositionOn(m_firmCodeKey);
    if (!OpenIfPresent()) return true;
    DeleteValue(kPathValue);
    return true;
  } catch (CKelException* e) {
    delete e;
    return false;
  }
}

void DocumentProfiling::PruneFirmCodeKey() {
  PositionOn(m_firmCodeKey);
  if (!OpenIfPresent() || !OpenKeyIsEmpty()) return;
  const std::size_t cut = m_firmCodeKey.path.rfind('\\');
  DeleteEmptyKey(m_firmCodeKey.path.substr(0, cut), m_firmCodeKey.path.substr(cut + 1));
}

void DocumentProfiling::PruneArchiveKey() {
  if (!OpenArchiveKey(m_archiveName, m_catalogRoot, m_catalogAccess) || !OpenKeyIsEmpty()) return;
  DeleteEmptyKey({}, m_archiveName);
}

unsigned DocumentProfiling::RemoveDeadEntries(Placement placement, const ConfirmRemoval& confirm) {
  unsigned removed = 0;
  for (const std::string& name : ListArchiveNames(placement)) {
    if (!OpenArchiveKey(name, RootOf(placement), kReadWriteElseRead)) continue;
    for (const std::uint32_t firmCode : ListFirmCodes()) {
      if (RemoveIfDead(firmCode, confirm)) ++removed;
      PruneFirmCodeKey();
    }
    PruneArchiveKey();
  }
  return removed;
}

bool DocumentProfiling::RemoveIfDead(std::uint32_t firmCode, const ConfirmRemoval& confirm) {
  try {
    ReadEntry(firmCode);
  } catch (CKelException* e) {
    // An entry without readable "Doc" value goes without a question; any other
    // failure (a registry that cannot be read) leaves the entry alone.
    if (e->m_code != kValueMissing && e->m_code != kValueBadData) throw;
    delete e;
    return RemoveEntry();
  }
  if (!m_firmCodeKey.found) return false;  // removed meanwhile
  if (CKelFile(m_entryPath).Exists() || !confirm(m_entryPath)) return false;
  return RemoveEntry();
}

bool DocumentProfiling::CanWriteAllUsers() {
  // The catalog key, created where allowed; else the nearest ancestor that opens.
  std::string path = kCatalogKey;
  while (!path.empty()) {
    SetKeyPath(path, kLocalMachine, kReadWriteElseRead);
    if (EnsureOpen(kCreate | kDeniedGivesFalse | kNotFoundGivesFalse))
      return GetAccess() == kReadWrite;
    const std::size_t parentEnd = path.rfind('\\');
    path.resize(parentEnd == std::string::npos ? 0 : parentEnd);
  }
  return false;
}

}  // namespace stow
