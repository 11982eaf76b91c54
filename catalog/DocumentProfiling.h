// The archive catalog: the registered archives, kept in the registry under
//   <root>\Software\VEXO-SYSTEMS\VEXO-KEY\Stowra\03.00\Documents\<name>\FC<firm code>
// where the text value "Doc" of each firm-code key holds the archive file's path.
// The root is HKEY_CURRENT_USER (current user) or HKEY_LOCAL_MACHINE (all users).
//
// Every operation positions the object on the key it needs and leaves that key
// open until the next operation. Missing keys are ordinary negative results;
// other registry failures raise the settings class's errors (1140 to 1144).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/VxbFile.h"
#include "base/KelProfiling.h"

namespace stow {

// Where a catalog lives.
enum class Placement { CurrentUser, AllUsers };

// What registration needs to know of an archive document.
struct ArchiveIdentity {
  bool open = false;
  std::string archiveName;
  std::uint32_t firmCode = kNoFirmCode;
  std::string path;  // the file's full path
};

ArchiveIdentity IdentityOf(const VxbFile& document);

// Answers whether the catalog entry of a file that is gone may be removed; gets
// the entry's path.
using ConfirmRemoval = std::function<bool(const std::string& path)>;

class DocumentProfiling : public CKelProfiling {
 public:
  // The catalog key below either root.
  static constexpr const char* kCatalogKey =
      "Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\03.00\\Documents";
  // Room for the names of one enumeration, each with its terminating zero.
  static constexpr std::size_t kNameListCapacity = 61440;

  // DESCRIPTOR: the program's application descriptor (it must outlive the
  // object); the catalog key itself does not depend on it.
  explicit DocumentProfiling(const KelAppDescriptor& descriptor) : CKelProfiling(descriptor) {}
  ~DocumentProfiling() override;

  // Positions on the archive-name key NAME under ROOT (kCurrentUser,
  // kLocalMachine for all users, kUserThenMachine) with ACCESS (kReadOnly,
  // kReadWriteElseRead). False when the key is missing or refused. A name that could
  // be no archive-name key (empty, or holding the key separator "\") gives false.
  bool OpenArchiveKey(const std::string& name, int root, int access);

  // The archive names of one placement, in enumeration order (1014 beyond
  // kNameListCapacity bytes of names). A missing catalog key gives none.
  std::vector<std::string> ListArchiveNames(Placement placement);

  // The firm codes of the positioned archive-name key, in enumeration order;
  // subkeys that are no firm-code keys (ParseFirmCodeKeyName) are passed over.
  std::vector<std::uint32_t> ListFirmCodes();

  // Positions on the firm-code key of FIRMCODE below the positioned archive-name
  // key (same root, read-write falling back to read) and reads its "Doc" value
  // into the entry path. False when the key is
  // missing or the path is empty; a key without "Doc" value raises 1141.
  bool ReadEntry(std::uint32_t firmCode);
  std::string GetEntryPath() const { return m_entryPath; }

  // Writes "Doc" = NEWPATH into the firm-code key that the last ReadEntry found.
  void UpdateEntryPath(const std::string& newPath);
  // Whether that key exists and may be written.
  bool CanUpdateEntry();

  // Registers the archive's full path under its name and firm code (replacing
  // the path of another file), or removes its entry when it points to this
  // file (paths compare as the file system does, case counting). True when the
  // catalog changed. An archive that is not open, or has no name or no firm
  // code, is never registered. An archive name holding "\" cannot be a key
  // name, nor a firm code above kMaxKeyFirmCode a key: registering either raises
  // error 2000 with the reason.
  bool RegisterArchive(const VxbFile& document, Placement placement);
  bool UnregisterArchive(const VxbFile& document, Placement placement);
  // The same for an archive described by its properties.
  bool RegisterArchive(const ArchiveIdentity& archive, Placement placement);
  bool UnregisterArchive(const ArchiveIdentity& archive, Placement placement);

  // Deletes the "Doc" value of the positioned firm-code key. Errors are not
  // raised; the result tells whether the value is gone.
  bool RemoveEntry();
  // Delete the positioned firm-code key / the archive-name key last opened
  // when it holds neither subkeys nor values.
  void PruneFirmCodeKey();
  void PruneArchiveKey();

  // Removes the entries of PLACEMENT whose file is gone (asking CONFIRM with
  // the path) or whose "Doc" value cannot be read (without asking), and the keys
  // left empty. Returns the number of entries removed.
  unsigned RemoveDeadEntries(Placement placement, const ConfirmRemoval& confirm);

  // Whether the all-users catalog key can be written (created where missing).
  bool CanWriteAllUsers();

  const std::string& GetArchiveName() const { return m_archiveName; }

 protected:
  static int RootOf(Placement placement);

  std::string m_archiveName;
  int m_catalogRoot = 0;
  int m_catalogAccess = 0;
  std::string m_entryPath;

 private:
  bool ChangeRegistration(const ArchiveIdentity& archive, Placement placement, bool unregister);
  // Positions on PATH below the catalog key with the stored root and access.
  void PositionBelowCatalog(const std::string& path);
  // Opens the positioned key: false when it is missing or refused.
  bool OpenIfPresent();
  // The "Doc" value of the open firm-code key; a missing value reads as "".
  std::string ReadPathOrEmpty();
  // Writes "Doc" = PATH into the firm-code key last selected.
  void WritePath(const std::string& path);
  // Creates the firm-code key last selected with "Doc" = PATH, in one write.
  void CreateEntry(const std::string& path);
  // Removes the "Doc" value of the firm-code key last selected, and the key when
  // nothing else is left in it.
  void RemoveEntryWithKey();
  // The subkey names of the open key (1014 beyond kNameListCapacity bytes).
  std::vector<std::string> EnumerateSubKeys();
  bool OpenKeyIsEmpty();
  // Deletes the key CHILD of the key at PARENTPATH (below the catalog key).
  void DeleteEmptyKey(const std::string& parentPath, const std::string& child);
  // One entry of a tidy run: true when it was removed.
  bool RemoveIfDead(std::uint32_t firmCode, const ConfirmRemoval& confirm);

  struct KeyPosition {
    std::string path;  // below the catalog key
    int root = 0;
    int access = 0;
    bool found = false;
  };
  // Positions on the firm-code key of FIRMCODE below the archive-name key last
  // opened and opens it; false when it is missing or refused.
  bool SelectFirmCodeKey(std::uint32_t firmCode);
  void PositionOn(const KeyPosition& position);

  KeyPosition m_firmCodeKey;  // the firm-code key last selected
};

}  // namespace stow
