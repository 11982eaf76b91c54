#include "host/ArchiveListPage.h"

#include <algorithm>
#include <memory>

#include "base/HtmlEscape.h"
#include "base/KelErrorMessage.h"
#include "base/KelException.h"
#include "base/PathText.h"
#include "catalog/DocumentProfiling.h"
#include "reader/AsciiText.h"
#include "reader/ReaderPages.h"

namespace {

const KelAppDescriptor kDescriptor{"vxstserve", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};

class ServedArchiveList : public ArchiveListSource {
 public:
  explicit ServedArchiveList(const std::vector<HandedArchive>& served) : m_served(served) {}

  std::vector<std::string> ListArchiveNames() override {
    std::vector<std::string> names;
    for (const HandedArchive& archive : m_served)
      if (std::find(names.begin(), names.end(), archive.name) == names.end())
        names.push_back(archive.name);
    return names;
  }
  std::vector<std::uint32_t> ListFirmCodes(const std::string& name) override {
    std::vector<std::uint32_t> firmCodes;
    for (const HandedArchive& archive : m_served)
      if (archive.name == name) firmCodes.push_back(archive.firmCode);
    return firmCodes;
  }
  std::string ResolveArchive(const std::string& name, std::uint32_t firmCode) override {
    for (const HandedArchive& archive : m_served)
      if (archive.name == name && archive.firmCode == firmCode) return archive.path;
    return {};
  }

 private:
  const std::vector<HandedArchive>& m_served;
};

// One placement of the catalog, read only and without any question to the user.
class PlacementArchiveList : public ArchiveListSource {
 public:
  explicit PlacementArchiveList(stow::Placement placement)
      : m_catalog(kDescriptor),
        m_placement(placement),
        m_root(placement == stow::Placement::AllUsers ? CKelProfiling::kLocalMachine
                                                      : CKelProfiling::kCurrentUser) {}

  std::vector<std::string> ListArchiveNames() override {
    return m_catalog.ListArchiveNames(m_placement);
  }
  std::vector<std::uint32_t> ListFirmCodes(const std::string& name) override {
    if (!m_catalog.OpenArchiveKey(name, m_root, CKelProfiling::kReadOnly)) return {};
    return m_catalog.ListFirmCodes();
  }
  // A damaged entry (a firm-code key without its path) shows no path.
  std::string ResolveArchive(const std::string& name, std::uint32_t firmCode) override {
    try {
      if (m_catalog.OpenArchiveKey(name, m_root, CKelProfiling::kReadOnly) &&
          m_catalog.ReadEntry(firmCode))
        return m_catalog.GetEntryPath();
    } catch (CKelException* e) {
      e->Delete();
    }
    return {};
  }

 private:
  stow::DocumentProfiling m_catalog;
  stow::Placement m_placement;
  int m_root;
};

std::string WholeRow(std::string_view cell, std::string_view element) {
  return "<tr><" + std::string(element) + " colspan=\"3\" align=\"left\">" + std::string(cell) +
         "</" + std::string(element) + "></tr>\n";
}

// The heading row of a group, then its rows, or a row that says there are none or
// why they cannot be listed.
std::string Group(std::string_view heading, ArchiveListSource& source) {
  std::string rows;
  try {
    rows = BuildArchiveRows(source);
  } catch (CKelException* e) {
    std::unique_ptr<CKelException> failure(e);
    CKelErrorMessage composer;
    composer.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
    rows = WholeRow(vxs::EscapeHtml(composer.Report(failure.get())), "td");
  }
  return WholeRow(heading, "th") + (rows.empty() ? WholeRow("none", "td") : rows);
}

}  // namespace

bool IsArchiveListUrl(std::string_view url) {
  return AsciiStartsWithNoCase(url, "vexost:") && !url.substr(7).starts_with('/');
}

std::string ArchiveListPage(const std::vector<HandedArchive>& served, const std::string& modulePath,
                            std::string_view url) {
  ServedArchiveList host(served);
  PlacementArchiveList user(stow::Placement::CurrentUser);
  PlacementArchiveList allUsers(stow::Placement::AllUsers);
  const PageArgument rows[] = {{Group("Served by this host", host) +
                                    Group("Registered for the current user", user) +
                                    Group("Registered for all users", allUsers),
                                true}};
  ReaderModuleInfo module = ReaderModuleInfo::Current();
  module.path = modulePath;
  module.folder = vxs::PathPart(modulePath, vxs::kPartDrive | vxs::kPartFolder);
  return FormatPage(kPageArchiveList, rows, url, module);
}
