#include <gtest/gtest.h>

#include <algorithm>

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

TEST_F(ArchiveListCatalogTest, ListsTheAllUsersCatalogOnly) {
  Register("Manual", 10, "/data/manual.vxb", stow::Placement::AllUsers);
  Register("Manual", 7, "/data/manual7.vxb", stow::Placement::AllUsers);
  Register("Guide", 3, "/data/guide.vxb", stow::Placement::AllUsers);
  Register("Mine", 1, "/home/me/mine.vxb", stow::Placement::CurrentUser);

  CatalogArchiveList list(m_catalog);
  std::vector<std::string> names = list.ListArchiveNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Guide", "Manual"}));
  std::vector<std::uint32_t> codes = list.ListFirmCodes("Manual");
  std::sort(codes.begin(), codes.end());
  EXPECT_EQ(codes, (std::vector<std::uint32_t>{7, 10}));
  EXPECT_TRUE(list.ListFirmCodes("Mine").empty());
  EXPECT_EQ(list.ResolveArchive("Manual", 7), "/data/manual7.vxb");

  ThisVxbFile archive;
  BuildArchiveList(archive, list, "vexost:");
  EXPECT_EQ(archive.GetTopicExtension(), "HTML");
  std::string page = ReadPage(archive);
  std::string text = VisibleText(page);
  EXPECT_NE(text.find("Manual 10 /data/manual.vxb"), std::string::npos) << text;
  EXPECT_NE(text.find("Manual 7 /data/manual7.vxb"), std::string::npos);
  EXPECT_NE(text.find("Guide 3 /data/guide.vxb"), std::string::npos);
  EXPECT_EQ(text.find("Mine"), std::string::npos);
  EXPECT_EQ(AttributeValues(page, "href").size(), 3u);
  EXPECT_TRUE(archive.GetPageText().empty());  // served once
}

TEST_F(ArchiveListCatalogTest, DamagedEntryLeavesItsPathEmpty) {
  Register("Guide", 3, "/data/guide.vxb", stow::Placement::AllUsers);
  PutText(HKEY_LOCAL_MACHINE, (std::string(stow::DocumentProfiling::kCatalogKey) +
                               "\\Broken\\FC5").c_str());
  CatalogArchiveList list(m_catalog);
  EXPECT_EQ(list.ResolveArchive("Broken", 5), "");
  std::string rows = BuildArchiveRows(list);
  EXPECT_NE(rows.find(">Broken</a></td> <td align=\"left\">5</td> <td align=\"left\"></td>"),
            std::string::npos)
      << rows;
  EXPECT_NE(rows.find("/data/guide.vxb"), std::string::npos);
}

}  // namespace
