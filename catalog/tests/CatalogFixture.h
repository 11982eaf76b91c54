// A scratch registry for each test, with helpers that make archive files, register
// them through the catalog and look at the keys that the catalog left behind.
#pragma once

#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "base/KelException.h"
#include "catalog/DocumentProfiling.h"
#include "platform/tests/ScratchRegistry.h"

// The reader module's application descriptor.
inline const KelAppDescriptor kReaderDescriptor{"VxStRd", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS",
                                                0x300};

class CatalogTest : public ScratchRegistry {
 protected:
  using Placement = stow::Placement;
  // Roots and access modes of OpenArchiveKey.
  static constexpr int kUser = CKelProfiling::kCurrentUser;
  static constexpr int kUserFirst = CKelProfiling::kUserThenMachine;
  static constexpr int kRead = CKelProfiling::kReadOnly;
  static constexpr int kWriteElseRead = CKelProfiling::kReadWriteElseRead;

  // The catalog key below a root, and the keys of a name and of a firm code.
  static std::string CatalogKey() { return stow::DocumentProfiling::kCatalogKey; }
  static std::string NameKey(const std::string& name) { return CatalogKey() + "\\" + name; }
  static std::string EntryKey(const std::string& name, std::uint32_t firmCode) {
    return NameKey(name) + "\\FC" + std::to_string(firmCode);
  }

  // An archive file FILENAME in the scratch folder named NAME with FIRMCODE;
  // returns its full path.
  std::string MakeArchive(const std::string& fileName, const std::string& name,
                          std::uint32_t firmCode) {
    const std::string path = Folder() + "/" + fileName;
    std::ofstream(path) << "archive " << name;
    m_archives[path] = {true, name, firmCode, path};
    return path;
  }

  bool Register(const std::string& path, Placement placement = Placement::CurrentUser) {
    return m_catalog.RegisterArchive(m_archives.at(path), placement);
  }
  bool Unregister(const std::string& path, Placement placement = Placement::CurrentUser) {
    return m_catalog.UnregisterArchive(m_archives.at(path), placement);
  }

  static HKEY RootOf(Placement placement) {
    return placement == Placement::AllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  }
  // The "Doc" value of an entry ("#2" when the key or value is missing).
  static std::string Doc(const std::string& name, std::uint32_t firmCode,
                         Placement placement = Placement::CurrentUser) {
    return GetText(RootOf(placement), EntryKey(name, firmCode).c_str(), "Doc");
  }
  static bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }

  // The foundation exception that FN raises (null when none).
  template <class Fn>
  static std::unique_ptr<CKelException> ErrorOf(Fn fn) {
    try {
      fn();
    } catch (CKelException* e) {
      return std::unique_ptr<CKelException>(e);
    }
    return nullptr;
  }
  template <class Fn>
  static std::uint32_t CodeOf(Fn fn) {
    const std::unique_ptr<CKelException> failure = ErrorOf(fn);
    return failure ? failure->m_code : 0;
  }

  stow::DocumentProfiling m_catalog{kReaderDescriptor};

 private:
  std::map<std::string, stow::ArchiveIdentity> m_archives;
};
