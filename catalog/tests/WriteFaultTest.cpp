// Registry writes that fail (a full disk, a write fault): every catalog change
// reports the failure, stores nothing of itself, and loses no entry that was
// there before.
#include <filesystem>

#include "catalog/tests/CatalogFixture.h"

namespace {

class WriteFault : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    m_kept = MakeArchive("kept.vxb", "Kept", 1);
    ASSERT_TRUE(Register(m_kept));
  }
  // The error that the registry's next write (after AFTER good ones) raises in CALL.
  template <class Fn>
  std::uint32_t CodeWithFault(Fn call, DWORD error = 112, unsigned after = 0) {
    RegistryInjectWriteFault(error, after);
    const std::uint32_t code = CodeOf(call);
    RegistryInjectWriteFault(ERROR_SUCCESS);
    return code;
  }

  std::string m_kept;
};

TEST_F(WriteFault, ARegistrationThatCannotBeWrittenFailsAndStoresNothing) {
  const std::string other = MakeArchive("other.vxb", "Other", 2);
  EXPECT_EQ(CodeWithFault([&] { Register(other); }), 1140u);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, NameKey("Other")));
  EXPECT_EQ(Doc("Kept", 1), m_kept);
  // Keys and path are one write: a registration cut short at any point leaves
  // all of it or nothing, never a key without its path.
  for (unsigned after = 1; after < 4; ++after) {
    const std::uint32_t code = CodeWithFault([&] { Register(other); }, 112, after);
    EXPECT_EQ(code == 0 ? Doc("Other", 2) : std::to_string(KeyExists(HKEY_CURRENT_USER, NameKey("Other"))),
              code == 0 ? other : "0")
        << "fault after " << after;
    Unregister(other);
  }
  // The same registration goes through once the disk has room again.
  EXPECT_TRUE(Register(other));
  EXPECT_EQ(Doc("Other", 2), other);
}

TEST_F(WriteFault, AnUnregistrationThatCannotBeWrittenKeepsTheEntry) {
  EXPECT_NE(CodeWithFault([&] { Unregister(m_kept); }), 0u);
  EXPECT_EQ(Doc("Kept", 1), m_kept);
  // Cut short at any later point, it leaves the whole entry or none of it.
  for (unsigned after = 1; after < 3; ++after) {
    CodeWithFault([&] { Unregister(m_kept); }, 112, after);
    const bool keyLeft = KeyExists(HKEY_CURRENT_USER, EntryKey("Kept", 1));
    EXPECT_EQ(keyLeft ? Doc("Kept", 1) : m_kept, m_kept) << "fault after " << after;
    Register(m_kept);
  }
}

TEST_F(WriteFault, ATidyRunThatCannotWriteLosesNoLiveEntry) {
  const auto confirm = [](const std::string&) { return true; };
  std::vector<std::string> gone;
  for (std::uint32_t firmCode = 10; firmCode < 14; ++firmCode) {
    gone.push_back(MakeArchive("gone" + std::to_string(firmCode) + ".vxb", "Gone", firmCode));
    ASSERT_TRUE(Register(gone.back()));
    std::filesystem::remove(gone.back());
  }
  // Faults after every number of good writes: each run removes what it could,
  // reports the failure, and the entry of the file that is there stays.
  for (unsigned after = 0; after < 8; ++after) {
    CodeWithFault([&] { m_catalog.RemoveDeadEntries(Placement::CurrentUser, confirm); }, 112, after);
    EXPECT_EQ(Doc("Kept", 1), m_kept) << "fault after " << after;
  }
  m_catalog.RemoveDeadEntries(Placement::CurrentUser, confirm);
  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::CurrentUser), std::vector<std::string>{"Kept"});
  EXPECT_EQ(Doc("Kept", 1), m_kept);
}

// A replaced path that cannot be written keeps the old one; a file that
// vanishes before its registration is an error and no entry.
TEST_F(WriteFault, AReplacedPathOrAVanishedFileKeepsWhatWasThere) {
  const std::string moved = Folder() + "/moved.vxb";
  std::filesystem::copy_file(m_kept, moved);
  EXPECT_EQ(CodeWithFault([&] { Register(moved); }, 29), 1140u);
  EXPECT_EQ(Doc("Kept", 1), m_kept);
  const std::string vanished = MakeArchive("vanished.vxb", "Vanished", 3);
  std::filesystem::remove(vanished);
  EXPECT_EQ(CodeOf([&] { Register(vanished); }), 1001u);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, NameKey("Vanished")));
  EXPECT_EQ(Doc("Kept", 1), m_kept);
}

}  // namespace
