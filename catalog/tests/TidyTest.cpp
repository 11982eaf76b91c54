// Removing the entries whose files are gone (tidy).
#include <filesystem>

#include "catalog/tests/CatalogFixture.h"

namespace {

class Tidy : public CatalogTest {
 protected:
  // Runs tidy for PLACEMENT answering every question with ANSWER.
  unsigned RemoveDead(bool answer, Placement placement = Placement::CurrentUser) {
    return m_catalog.RemoveDeadEntries(placement, [&](const std::string& path) {
      asked.push_back(path);
      return answer;
    });
  }

  std::vector<std::string> asked;
};

TEST_F(Tidy, AnEntryWhoseFileIsGoneIsRemovedOnlyWhenConfirmed) {
  const std::string kept = MakeArchive("kept.vxb", "Kept", 1);
  const std::string gone = MakeArchive("gone.vxb", "Gone", 2);
  ASSERT_TRUE(Register(kept));
  ASSERT_TRUE(Register(gone));
  std::filesystem::remove(gone);

  EXPECT_EQ(RemoveDead(false), 0u);
  EXPECT_EQ(Doc("Gone", 2), gone);
  EXPECT_EQ(RemoveDead(true), 1u);
  EXPECT_EQ(asked, (std::vector<std::string>{gone, gone}));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, NameKey("Gone")));
  EXPECT_EQ(Doc("Kept", 1), kept);
}

TEST_F(Tidy, EmptyPathsAndFoldersCountAsMissing) {
  PutText(HKEY_CURRENT_USER, EntryKey("Empty", 1).c_str(), "Doc", "");
  PutText(HKEY_CURRENT_USER, EntryKey("Folder", 1).c_str(), "Doc", Folder());
  EXPECT_EQ(RemoveDead(true), 2u);
  EXPECT_EQ(asked, (std::vector<std::string>{"", Folder()}));
  EXPECT_TRUE(m_catalog.ListArchiveNames(Placement::CurrentUser).empty());
}

TEST_F(Tidy, AnEntryWithoutPathValueGoesWithoutAQuestion) {
  PutText(HKEY_CURRENT_USER, EntryKey("Broken", 4).c_str());
  PutText(HKEY_CURRENT_USER, EntryKey("Typed", 5).c_str());
  const DWORD number = 7;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, EntryKey("Typed", 5).c_str(), 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Doc", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
  RegCloseKey(key);

  EXPECT_EQ(RemoveDead(false), 2u);
  EXPECT_TRUE(asked.empty());
  EXPECT_TRUE(m_catalog.ListArchiveNames(Placement::CurrentUser).empty());
}

TEST_F(Tidy, KeysWithOtherContentStay) {
  const std::string gone = MakeArchive("gone.vxb", "Gone", 2);
  const std::string alive = MakeArchive("alive.vxb", "Gone", 3);
  ASSERT_TRUE(Register(gone));
  ASSERT_TRUE(Register(alive));
  PutText(HKEY_CURRENT_USER, EntryKey("Gone", 2).c_str(), "Notes", "kept");
  PutText(HKEY_CURRENT_USER, (NameKey("Gone") + "\\FCX").c_str());
  std::filesystem::remove(gone);

  EXPECT_EQ(RemoveDead(true), 1u);
  EXPECT_EQ(Doc("Gone", 2), "#2");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, EntryKey("Gone", 2).c_str(), "Notes"), "kept");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, NameKey("Gone") + "\\FCX"));
  EXPECT_EQ(Doc("Gone", 3), alive);
}

// Only the placement asked is tidied; a removal that fails (a catalog that may
// only be read) is not counted.
TEST_F(Tidy, OnlyThePlacementAskedAndOnlyWhatWasRemovedCounts) {
  const std::string gone = MakeArchive("gone.vxb", "Gone", 2);
  ASSERT_TRUE(Register(gone, Placement::CurrentUser));
  ASSERT_TRUE(Register(gone, Placement::AllUsers));
  std::filesystem::remove(gone);
  RegistrySetReadOnly(RegistryHiveKind::Machine, true);
  EXPECT_EQ(RemoveDead(true, Placement::AllUsers), 0u);
  EXPECT_EQ(asked, std::vector<std::string>{gone});
  EXPECT_EQ(Doc("Gone", 2, Placement::AllUsers), gone);
  RegistrySetReadOnly(RegistryHiveKind::Machine, false);
  EXPECT_EQ(RemoveDead(true, Placement::AllUsers), 1u);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, NameKey("Gone")));
  EXPECT_EQ(Doc("Gone", 2), gone);
}

}  // namespace
