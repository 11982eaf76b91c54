// A catalog that may only be read: the all-users hive made read-only.
#include "catalog/ThisDocumentProfiling.h"
#include "catalog/tests/CatalogFixture.h"

namespace {

class ReadOnlyAllUsers : public CatalogTest {
 protected:
  void MakeReadOnly() { RegistrySetReadOnly(RegistryHiveKind::Machine, true); }
};

TEST_F(ReadOnlyAllUsers, CanWriteAllUsersFollowsTheHive) {
  EXPECT_TRUE(m_catalog.CanWriteAllUsers());
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, CatalogKey()));  // created on the way
  MakeReadOnly();
  EXPECT_FALSE(m_catalog.CanWriteAllUsers());
}

TEST_F(ReadOnlyAllUsers, AFreshReadOnlyHiveCannotBeWritten) {
  MakeReadOnly();
  EXPECT_FALSE(m_catalog.CanWriteAllUsers());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software"));
}

TEST_F(ReadOnlyAllUsers, RegisteringThereFailsWith1140AndTheUserCatalogStillWorks) {
  const std::string first = MakeArchive("first.vxb", "Manual", 10);
  const std::string second = MakeArchive("second.vxb", "Manual", 10);
  const std::string other = MakeArchive("other.vxb", "Other", 10);
  ASSERT_TRUE(Register(first, Placement::AllUsers));
  MakeReadOnly();
  EXPECT_EQ(CodeOf([&] { Register(second, Placement::AllUsers); }), 1140u);  // key exists
  EXPECT_EQ(CodeOf([&] { Register(other, Placement::AllUsers); }), 1140u);   // key missing
  EXPECT_EQ(CodeOf([&] { Unregister(first, Placement::AllUsers); }), 1140u);
  EXPECT_FALSE(Register(first, Placement::AllUsers));  // already there: nothing to write
  EXPECT_EQ(Doc("Manual", 10, Placement::AllUsers), first);
  EXPECT_TRUE(Register(second, Placement::CurrentUser));
}

TEST_F(ReadOnlyAllUsers, ReadingFallsBackToReadOnly) {
  const std::string manual = MakeArchive("manual.vxb", "Manual", 10);
  ASSERT_TRUE(Register(manual, Placement::AllUsers));
  MakeReadOnly();
  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::AllUsers), std::vector<std::string>{"Manual"});
  ThisDocumentProfiling reader(kReaderDescriptor);
  std::uint32_t firmCode = stow::kNoFirmCode;
  EXPECT_EQ(reader.ResolveArchive("Manual", firmCode, true, false), manual);
  EXPECT_FALSE(reader.CanUpdateEntry());
  EXPECT_EQ(CodeOf([&] { reader.UpdateEntryPath("/moved.vxb"); }), 1140u);
  EXPECT_EQ(Doc("Manual", 10, Placement::AllUsers), manual);
}

// An entry found through a resolution for reading can still be corrected.
TEST_F(ReadOnlyAllUsers, AnEntryReadForReadingCanBeUpdatedWhereWritable) {
  const std::string manual = MakeArchive("manual.vxb", "Manual", 10);
  ASSERT_TRUE(Register(manual, Placement::AllUsers));
  ThisDocumentProfiling reader(kReaderDescriptor);
  std::uint32_t firmCode = stow::kNoFirmCode;
  ASSERT_EQ(reader.ResolveArchive("Manual", firmCode, false, false), manual);
  EXPECT_TRUE(reader.CanUpdateEntry());
  reader.UpdateEntryPath("/moved.vxb");
  EXPECT_EQ(Doc("Manual", 10, Placement::AllUsers), "/moved.vxb");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, CatalogKey()));
}

}  // namespace
