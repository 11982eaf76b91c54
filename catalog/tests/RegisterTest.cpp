// Registering and unregistering archives: what the catalog holds afterwards.
#include <filesystem>

#include "base/KelErrorMessage.h"
#include "catalog/tests/CatalogFixture.h"

namespace {

using Registration = CatalogTest;

TEST_F(Registration, SameFileTwiceWritesOnce) {
  const std::string manual = MakeArchive("manual.vxb", "Manual", 10);
  EXPECT_TRUE(Register(manual));
  EXPECT_EQ(Doc("Manual", 10), manual);
  EXPECT_FALSE(Register(manual));
  EXPECT_EQ(Doc("Manual", 10), manual);
}

TEST_F(Registration, AnotherFileOfTheSameNameAndFirmCodeReplacesTheEntry) {
  const std::string first = MakeArchive("first.vxb", "Manual", 10);
  const std::string second = MakeArchive("second.vxb", "Manual", 10);
  ASSERT_TRUE(Register(first));
  EXPECT_TRUE(Register(second));
  EXPECT_EQ(Doc("Manual", 10), second);
}

TEST_F(Registration, TwoFirmCodesMakeTwoEntriesUnderOneName) {
  const std::string seven = MakeArchive("seven.vxb", "Manual", 7);
  const std::string twelve = MakeArchive("twelve.vxb", "Manual", 12);
  ASSERT_TRUE(Register(seven));
  ASSERT_TRUE(Register(twelve));
  EXPECT_EQ(Doc("Manual", 7), seven);
  EXPECT_EQ(Doc("Manual", 12), twelve);
  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::CurrentUser),
            std::vector<std::string>{"Manual"});
}

TEST_F(Registration, ArchivesWithoutNameOrFirmCodeOrNotOpenAreNeverRegistered) {
  const std::string anonymous = MakeArchive("anonymous.vxb", "Manual", stow::kNoFirmCode);
  EXPECT_FALSE(Register(anonymous, Placement::CurrentUser));
  EXPECT_FALSE(Register(anonymous, Placement::AllUsers));
  stow::VxbFile closed;
  EXPECT_FALSE(m_catalog.RegisterArchive(closed, Placement::CurrentUser));
  // The writer makes no archive without a name; the catalog refuses one anyway.
  const stow::ArchiveIdentity nameless{true, "", 10, anonymous};
  EXPECT_FALSE(m_catalog.RegisterArchive(nameless, Placement::AllUsers));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, CatalogKey()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, CatalogKey()));
}

// The path registered is the full path, whatever path the archive was opened by.
TEST_F(Registration, TheFullPathIsRegistered) {
  const std::string manual = MakeArchive("manual.vxb", "Manual", 10);
  const std::string previous = std::filesystem::current_path();
  std::filesystem::current_path(Folder());
  const bool registered = Register("manual.vxb");
  std::filesystem::current_path(previous);
  EXPECT_TRUE(registered);
  EXPECT_EQ(Doc("Manual", 10), manual);
  EXPECT_FALSE(Register(manual));
}

TEST_F(Registration, PlacementChoosesTheRoot) {
  const std::string manual = MakeArchive("manual.vxb", "Manual", 10);
  ASSERT_TRUE(Register(manual, Placement::AllUsers));
  EXPECT_EQ(Doc("Manual", 10, Placement::AllUsers), manual);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, NameKey("Manual")));
  // The current user's catalog is separate: the same file registers there too.
  EXPECT_TRUE(Register(manual, Placement::CurrentUser));
}

TEST_F(Registration, OtherValuesOfAnEntryAreLeftAlone) {
  const std::string first = MakeArchive("first.vxb", "Manual", 10);
  const std::string second = MakeArchive("second.vxb", "Manual", 10);
  ASSERT_TRUE(Register(first));
  PutText(HKEY_CURRENT_USER, EntryKey("Manual", 10).c_str(), "Notes", "kept");
  ASSERT_TRUE(Register(second));
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, EntryKey("Manual", 10).c_str(), "Notes"), "kept");
}

TEST_F(Registration, NamesCompareWithoutRegardToCase) {
  const std::string upper = MakeArchive("upper.vxb", "MANUAL", 10);
  const std::string lower = MakeArchive("lower.vxb", "manual", 10);
  ASSERT_TRUE(Register(upper));
  EXPECT_TRUE(Register(lower));  // same key, another file: replaced
  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::CurrentUser),
            std::vector<std::string>{"MANUAL"});
  EXPECT_EQ(Doc("Manual", 10), lower);
}

// A name holding the key separator would open nested keys; it is refused with
// a message that says why.
TEST_F(Registration, ANameWithABackslashIsRefusedWithAClearError) {
  const std::string nested = MakeArchive("nested.vxb", "Manual\\FC10", 7);
  const auto failure = ErrorOf([&] { Register(nested); });
  ASSERT_NE(failure, nullptr);
  EXPECT_EQ(failure->m_code, 2000u);
  CKelErrorMessage composer;
  composer.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
  EXPECT_EQ(std::string(composer.Report(failure.get())),
            "error - archive name \"Manual\\FC10\" holds \"\\\" and cannot be registered.");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, CatalogKey()));
  EXPECT_FALSE(Unregister(nested));
}

// A firm code above the largest a firm-code key names could never be listed,
// found or tidied: it is refused; the largest goes through.
TEST_F(Registration, AFirmCodeBeyondTheKeysIsRefusedWithAClearError) {
  const std::string big = MakeArchive("big.vxb", "Big", 0x1000000);
  const auto failure = ErrorOf([&] { Register(big); });
  ASSERT_NE(failure, nullptr);
  CKelErrorMessage composer;
  composer.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
  EXPECT_EQ(std::string(composer.Report(failure.get())),
            "error - archive \"Big\" has firm code 16777216, above 16777215, the largest the catalog "
            "holds; it cannot be registered.");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, CatalogKey()));
  const std::string largest = MakeArchive("largest.vxb", "Big", 0xFFFFFF);
  ASSERT_TRUE(Register(largest));
  ASSERT_TRUE(m_catalog.OpenArchiveKey("Big", CKelProfiling::kCurrentUser, CKelProfiling::kReadOnly));
  EXPECT_EQ(m_catalog.ListFirmCodes(), std::vector<std::uint32_t>{0xFFFFFF});
}

// "/" is an ordinary character of key names: such a name is one key.
TEST_F(Registration, ANameWithASlashIsOneKey) {
  const std::string slashed = MakeArchive("slashed.vxb", "Part 1/2", 3);
  ASSERT_TRUE(Register(slashed));
  EXPECT_EQ(Doc("Part 1/2", 3), slashed);
  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::CurrentUser),
            std::vector<std::string>{"Part 1/2"});
}

using Unregistration = CatalogTest;

TEST_F(Unregistration, TheLastEntryTakesItsKeysButNotTheCatalogKey) {
  const std::string manual = MakeArchive("manual.vxb", "Manual", 10);
  ASSERT_TRUE(Register(manual));
  EXPECT_TRUE(Unregister(manual));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, NameKey("Manual")));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, CatalogKey()));
  EXPECT_FALSE(Unregister(manual));  // nothing left to remove
}

TEST_F(Unregistration, AnotherFilesEntryStays) {
  const std::string registered = MakeArchive("registered.vxb", "Manual", 10);
  const std::string other = MakeArchive("other.vxb", "Manual", 10);
  ASSERT_TRUE(Register(registered));
  EXPECT_FALSE(Unregister(other));
  EXPECT_EQ(Doc("Manual", 10), registered);
}

TEST_F(Unregistration, KeysThatHoldMoreStay) {
  const std::string seven = MakeArchive("seven.vxb", "Manual", 7);
  const std::string twelve = MakeArchive("twelve.vxb", "Manual", 12);
  ASSERT_TRUE(Register(seven));
  ASSERT_TRUE(Register(twelve));
  PutText(HKEY_CURRENT_USER, EntryKey("Manual", 12).c_str(), "Notes", "kept");

  EXPECT_TRUE(Unregister(seven));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, EntryKey("Manual", 7)));
  EXPECT_EQ(Doc("Manual", 12), twelve);

  EXPECT_TRUE(Unregister(twelve));
  EXPECT_EQ(Doc("Manual", 12), "#2");  // the value went, the key with its note stays
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, EntryKey("Manual", 12).c_str(), "Notes"), "kept");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, NameKey("Manual")));
}

TEST_F(Unregistration, OnlyTheGivenPlacementIsTouched) {
  const std::string manual = MakeArchive("manual.vxb", "Manual", 10);
  ASSERT_TRUE(Register(manual, Placement::CurrentUser));
  ASSERT_TRUE(Register(manual, Placement::AllUsers));
  EXPECT_TRUE(Unregister(manual, Placement::AllUsers));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, NameKey("Manual")));
  EXPECT_EQ(Doc("Manual", 10), manual);
}

}  // namespace
