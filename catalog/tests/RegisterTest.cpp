// Registering and unregistering archives: what the catalog holds afterwards.
#include <filesystem>
#include <map>

#include "base/KelErrorMessage.h"
#include "catalog/tests/CatalogFixture.h"

namespace {

using Registration = CatalogTest;

// Registrations one after another: each writes its entry once, another file of
// the same name (compared without regard to case) and firm code replaces the
// path and leaves the entry's other values alone, each placement is a catalog of
// its own, and "/" is an ordinary character of names.
TEST_F(Registration, EachRegistrationWritesOrReplacesItsEntryOnce) {
  struct Step {
    const char* file;
    const char* name;
    std::uint32_t firmCode;
    Placement placement;
    bool changes;
  };
  const Step steps[] = {
      {"manual.vxb", "Manual", 10, Placement::CurrentUser, true},
      {"manual.vxb", "Manual", 10, Placement::CurrentUser, false},
      {"second.vxb", "Manual", 10, Placement::CurrentUser, true},
      {"seven.vxb", "Manual", 7, Placement::CurrentUser, true},
      {"lower.vxb", "manual", 10, Placement::CurrentUser, true},
      {"lower.vxb", "manual", 10, Placement::CurrentUser, false},
      {"slashed.vxb", "Part 1/2", 3, Placement::CurrentUser, true},
      {"manual.vxb", "Manual", 10, Placement::AllUsers, true},
  };
  std::map<std::string, std::string> paths;
  for (const Step& step : steps) {
    if (!paths.count(step.file)) paths[step.file] = MakeArchive(step.file, step.name, step.firmCode);
    EXPECT_EQ(Register(paths[step.file], step.placement), step.changes) << step.file;
    if (&step == &steps[0])
      PutText(HKEY_CURRENT_USER, EntryKey("Manual", 10).c_str(), "Notes", "kept");
  }
  EXPECT_EQ(Doc("Manual", 10), paths["lower.vxb"]);
  EXPECT_EQ(Doc("Manual", 7), paths["seven.vxb"]);
  EXPECT_EQ(Doc("Part 1/2", 3), paths["slashed.vxb"]);
  EXPECT_EQ(Doc("Manual", 10, Placement::AllUsers), paths["manual.vxb"]);
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, EntryKey("Manual", 10).c_str(), "Notes"), "kept");
  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::CurrentUser),
            (std::vector<std::string>{"Manual", "Part 1/2"}));
  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::AllUsers), std::vector<std::string>{"Manual"});
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

// A name holding the key separator would open nested keys, and a firm code
// above the largest a firm-code key names could never be listed, found or
// tidied: both are refused with a message that says why; the largest goes through.
TEST_F(Registration, NamesAndFirmCodesTheKeysCannotHoldAreRefusedWithAClearError) {
  const std::pair<std::string, std::string> cases[] = {
      {MakeArchive("nested.vxb", "Manual\\FC10", 7),
       "error - archive name \"Manual\\FC10\" holds \"\\\" and cannot be registered."},
      {MakeArchive("big.vxb", "Big", 0x1000000),
       "error - archive \"Big\" has firm code 16777216, above 16777215, the largest the catalog "
       "holds; it cannot be registered."}};
  CKelErrorMessage composer;
  composer.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
  for (const auto& [path, message] : cases) {
    const auto failure = ErrorOf([&, &path = path] { Register(path); });
    ASSERT_NE(failure, nullptr) << path;
    EXPECT_EQ(std::string(composer.Report(failure.get())), message);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, CatalogKey())) << path;
  }
  EXPECT_FALSE(Unregister(cases[0].first));
  ASSERT_TRUE(Register(MakeArchive("largest.vxb", "Big", 0xFFFFFF)));
  ASSERT_TRUE(m_catalog.OpenArchiveKey("Big", kUser, kRead));
  EXPECT_EQ(m_catalog.ListFirmCodes(), std::vector<std::uint32_t>{0xFFFFFF});
}

using Unregistration = CatalogTest;

// The full path is registered, whatever path the archive was opened by. Only
// the entry of the file itself goes, in the placement given; the last entry
// takes its keys but not the catalog key, and keys that hold more stay.
TEST_F(Unregistration, OnlyTheFilesOwnEntryGoesWithTheKeysItLeavesEmpty) {
  const std::string manual = MakeArchive("manual.vxb", "Manual", 10);
  const std::string other = MakeArchive("other.vxb", "Manual", 10);
  const std::string previous = std::filesystem::current_path();
  std::filesystem::current_path(Folder());
  const bool registered = Register("manual.vxb");
  std::filesystem::current_path(previous);
  ASSERT_TRUE(registered);
  EXPECT_EQ(Doc("Manual", 10), manual);
  ASSERT_TRUE(Register(manual, Placement::AllUsers));
  EXPECT_FALSE(Register(manual)) << "registered by its full path";
  EXPECT_FALSE(Unregister(other));
  EXPECT_TRUE(Unregister(manual, Placement::AllUsers));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, NameKey("Manual")));
  EXPECT_EQ(Doc("Manual", 10), manual);
  EXPECT_TRUE(Unregister(manual));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, NameKey("Manual")));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, CatalogKey()));
  EXPECT_FALSE(Unregister(manual));  // nothing left to remove

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

}  // namespace
