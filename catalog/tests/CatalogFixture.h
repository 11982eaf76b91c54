// A scratch registry for each test, with helpers that write archive files with
// the project's own writer, register them through the catalog and look at the keys that the catalog left behind.
#pragma once

#include <memory>
#include <string>

#include "base/KelException.h"
#include "catalog/DocumentProfiling.h"
#include "tools/vxb/ArchiveWriter.h"
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

  // Writes an archive file FILENAME into the scratch folder, named NAME, with
  // FIRMCODE; returns its full path.
  std::string MakeArchive(const std::string& fileName, const std::string& name,
                          std::uint32_t firmCode) {
    stow::ArchiveProperties properties;
    properties.name = name;
    properties.firmCode = firmCode;
    properties.startTopic = "index.htm";
    stow::ArchiveWriter writer(properties);
    writer.AddBytes("index.htm", "<p>" + name + "</p>");
    const std::string path = Folder() + "/" + fileName;
    writer.Write(path);
    return path;
  }

  // Opens the archive at PATH and registers (unregisters) it in PLACEMENT.
  bool Register(const std::string& path, Placement placement = Placement::CurrentUser,
                bool add = true) {
    stow::VxbFile document;
    document.Open(path);
    return add ? m_catalog.RegisterArchive(document, placement)
               : m_catalog.UnregisterArchive(document, placement);
  }
  bool Unregister(const std::string& path, Placement placement = Placement::CurrentUser) {
    return Register(path, placement, false);
  }

  static HKEY RootOf(Placement placement) {
    return placement == Placement::AllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  }
  // The "Doc" value of an entry ("#2" when the key or value is missing).
  static std::string Doc(const std::string& name, std::uint32_t firmCode,
                         Placement placement = Placement::CurrentUser) {
    return GetText(RootOf(placement), EntryKey(name, firmCode).c_str(), "Doc");
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
    if (const std::unique_ptr<CKelException> failure = ErrorOf(fn)) return failure->m_code;
    return 0;
  }

  stow::DocumentProfiling m_catalog{kReaderDescriptor};
};
