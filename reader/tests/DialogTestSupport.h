// A scratch registry with the reader's catalog, archive files written by the
// project's writer, the message table installed, and message boxes and dialogs
// going to scripted front-ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "base/KelException.h"
#include "base/MessageText.h"
#include "base/messages/MessageTable.h"
#include "catalog/ThisDocumentProfiling.h"
#include "platform/UserInterface.h"
#include "platform/tests/ScratchRegistry.h"
#include "platform/tests/TempFolder.h"
#include "reader/ScriptedReaderDialogs.h"
#include "tools/vxb/ArchiveWriter.h"

namespace dialog_tests {

inline const KelAppDescriptor kReaderDescriptor{"VxStRd", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS",
                                                0x300};
inline constexpr std::uint32_t kNoFirmCode = 0xFFFFFFFF;

class DialogTest : public ScratchRegistry {
 protected:
  void SetUp() override {
    ScratchRegistry::SetUp();
    InstallMessageTable();
    SetMessageBoxFrontEnd(&boxes);
    SetReaderDialogFrontEnd(&dialogs);
  }
  void TearDown() override {
    if (!m_previousFolder.empty()) std::filesystem::current_path(m_previousFolder);
    SetReaderDialogFrontEnd(nullptr);
    SetMessageBoxFrontEnd(nullptr);
    SetMessageTable(nullptr);
    ScratchRegistry::TearDown();
  }

  // Makes the scratch folder of files the current one until the test ends.
  void EnterFilesFolder() {
    m_previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(files.Path());
  }

  // An archive file FILENAME named NAME with FIRMCODE; returns its full path.
  std::string MakeArchive(const std::string& fileName, const std::string& name,
                          std::uint32_t firmCode) {
    stow::ArchiveProperties properties;
    properties.name = name;
    properties.firmCode = firmCode;
    properties.creationTime = 1700000000;
    stow::ArchiveWriter writer(properties);
    writer.AddBytes("index.htm", "<p>" + name + "</p>");
    const std::string path = files / fileName;
    writer.Write(path);
    return path;
  }

  // Registers PATH for the current user as NAME with FIRMCODE.
  void Register(const std::string& name, std::uint32_t firmCode, const std::string& path) {
    ASSERT_TRUE(catalog.RegisterArchive({true, name, firmCode, path}, stow::Placement::CurrentUser));
  }
  // The "Doc" value of the current user's entry ("#2" when there is none).
  static std::string Doc(const std::string& name, std::uint32_t firmCode) {
    const std::string key = std::string(stow::DocumentProfiling::kCatalogKey) + "\\" + name +
                            "\\FC" + std::to_string(firmCode);
    return GetText(HKEY_CURRENT_USER, key.c_str(), "Doc");
  }

  // The code of the foundation exception that CALL raises; 0 when none.
  template <class Call>
  static std::uint32_t CodeOf(Call&& call) {
    try {
      call();
    } catch (CKelException* e) {
      const std::unique_ptr<CKelException> owned(e);
      return e->m_code;
    }
    return 0;
  }

  TempFolder files;
  ThisDocumentProfiling catalog{kReaderDescriptor};
  ScriptedMessageBoxes boxes;
  ScriptedReaderDialogs dialogs;

 private:
  std::filesystem::path m_previousFolder;
};

}  // namespace dialog_tests
