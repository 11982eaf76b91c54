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

// An entry whose file is gone (or an empty path, or a folder) goes only when
// confirmed, with the keys it leaves empty; an entry without a text path goes
// without a question; keys with other content stay.
TEST_F(Tidy, DeadEntriesGoOnlyWhenConfirmedAndKeysWithOtherContentStay) {
  const std::string kept = MakeArchive("kept.vxb", "Kept", 1);
  const std::string lost = MakeArchive("lost.vxb", "Lost", 2);
  const std::string gone = MakeArchive("gone.vxb", "Gone", 2);
  const std::string alive = MakeArchive("alive.vxb", "Gone", 3);
  for (const std::string& path : {kept, lost, gone, alive}) ASSERT_TRUE(Register(path)) << path;
  PutText(HKEY_CURRENT_USER, EntryKey("Gone", 2).c_str(), "Notes", "kept");
  PutText(HKEY_CURRENT_USER, (NameKey("Gone") + "\\FCX").c_str());
  PutText(HKEY_CURRENT_USER, EntryKey("Empty", 1).c_str(), "Doc", "");
  PutText(HKEY_CURRENT_USER, EntryKey("Folder", 1).c_str(), "Doc", Folder());
  PutText(HKEY_CURRENT_USER, EntryKey("Broken", 4).c_str());
  PutText(HKEY_CURRENT_USER, EntryKey("Typed", 5).c_str());
  const DWORD number = 7;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, EntryKey("Typed", 5).c_str(), 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Doc", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
  RegCloseKey(key);
  std::filesystem::remove(lost);
  std::filesystem::remove(gone);

  const std::vector<std::string> dead{"", Folder(), gone, lost};
  EXPECT_EQ(RemoveDead(false), 2u) << "no path value";
  EXPECT_EQ(asked, dead);
  EXPECT_EQ(Doc("Lost", 2), lost);
  EXPECT_EQ(RemoveDead(true), 4u);
  EXPECT_EQ(std::vector<std::string>(asked.begin() + 4, asked.end()), dead);
  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::CurrentUser),
            (std::vector<std::string>{"Gone", "Kept"}));
  EXPECT_EQ(Doc("Gone", 2), "#2");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, EntryKey("Gone", 2).c_str(), "Notes"), "kept");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, NameKey("Gone") + "\\FCX"));
  EXPECT_EQ(Doc("Gone", 3), alive);
  EXPECT_EQ(Doc("Kept", 1), kept);
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
