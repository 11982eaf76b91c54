#include <gtest/gtest.h>

#include "HtmlInspection.h"
#include "archive/VxbFile.h"
#include "base/KelAppDescriptor.h"
#include "catalog/ThisDocumentProfiling.h"
#include "platform/tests/ScratchRegistry.h"
#include "reader/ReaderPages.h"

using html_inspection::AttributeValues;
using html_inspection::VisibleText;

namespace {

const KelAppDescriptor kDescriptor{"VxStRd", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};

class ArchiveListCatalogTest : public ScratchRegistry {
 protected:
  void Register(const std::string& name, std::uint32_t firmCode, const std::string& path,
                stow::Placement placement) {
    ASSERT_TRUE(m_catalog.RegisterArchive({true, name, firmCode, path}, placement));
  }

  // Reads the page the archive document holds, as the browser would.
  static std::string ReadPage(ThisVxbFile& archive) {
    std::string page;
    char piece[1000];
    bool ended = false;
    while (!ended) {
      std::uint32_t count = 0;
      ended = archive.ReadTopicData(piece, sizeof piece, count);
      page.append(piece, count);
    }
    return page;
  }

  ThisDocumentProfiling m_catalog{kDescriptor};
};

// The list shows every firm code of the all-users catalog only; a damaged entry
// (a firm-code key without its path) leaves its own path empty.
TEST_F(ArchiveListCatalogTest, ListsTheAllUsersCatalogOnly) {
  Register("Manual", 10, "/data/manual.vxb", stow::Placement::AllUsers);
  Register("Manual", 7, "/data/manual7.vxb", stow::Placement::AllUsers);
  Register("Guide", 3, "/data/guide.vxb", stow::Placement::AllUsers);
  Register("Mine", 1, "/home/me/mine.vxb", stow::Placement::CurrentUser);
  PutText(HKEY_LOCAL_MACHINE, (std::string(stow::DocumentProfiling::kCatalogKey) +
                               "\\Broken\\FC5").c_str());
  CatalogArchiveList list(m_catalog);
  EXPECT_TRUE(list.ListFirmCodes("Mine").empty());
  ThisVxbFile archive;
  BuildArchiveList(archive, list, "vexost:");
  EXPECT_EQ(archive.GetTopicExtension(), "HTML");
  std::string page = ReadPage(archive);
  std::string text = VisibleText(page);
  for (const char* row : {"Manual 10 /data/manual.vxb", "Manual 7 /data/manual7.vxb",
                          "Guide 3 /data/guide.vxb", "Broken 5 Guide"})
    EXPECT_NE(text.find(row), std::string::npos) << row << " in " << text;
  EXPECT_EQ(text.find("Mine"), std::string::npos);
  EXPECT_EQ(AttributeValues(page, "href").size(), 4u);
  EXPECT_TRUE(archive.GetPageText().empty());  // served once
}

}  // namespace
