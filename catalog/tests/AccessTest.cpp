// A catalog that may only be read: the all-users hive made read-only.
#include "catalog/ThisDocumentProfiling.h"
#include "catalog/tests/CatalogFixture.h"

namespace {

using ReadOnlyAllUsers = CatalogTest;

// A fresh read-only hive cannot be written, nor gets its keys; a writable one
// gets the catalog key on the way.
TEST_F(ReadOnlyAllUsers, CanWriteAllUsersFollowsTheHive) {
  RegistrySetReadOnly(RegistryHiveKind::Machine, true);
  EXPECT_FALSE(m_catalog.CanWriteAllUsers());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software"));
  RegistrySetReadOnly(RegistryHiveKind::Machine, false);
  EXPECT_TRUE(m_catalog.CanWriteAllUsers());
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, CatalogKey()));
  RegistrySetReadOnly(RegistryHiveKind::Machine, true);
  EXPECT_FALSE(m_catalog.CanWriteAllUsers());
}

TEST_F(ReadOnlyAllUsers, RegisteringThereFailsWith1140AndTheUserCatalogStillWorks) {
  const std::string first = MakeArchive("first.vxb", "Manual", 10);
  const std::string second = MakeArchive("second.vxb", "Manual", 10);
  const std::string other = MakeArchive("other.vxb", "Other", 10);
  ASSERT_TRUE(Register(first, Placement::AllUsers));
  RegistrySetReadOnly(RegistryHiveKind::Machine, true);
  EXPECT_EQ(CodeOf([&] { Register(second, Placement::AllUsers); }), 1140u);  // key exists
  EXPECT_EQ(CodeOf([&] { Register(other, Placement::AllUsers); }), 1140u);   // key missing
  EXPECT_EQ(CodeOf([&] { Unregister(first, Placement::AllUsers); }), 1140u);
  EXPECT_FALSE(Register(first, Placement::AllUsers));  // already there: nothing to write
  EXPECT_EQ(Doc("Manual", 10, Placement::AllUsers), first);
  EXPECT_TRUE(Register(second, Placement::CurrentUser));
}

// An entry found through a resolution for reading can be corrected where it
// is writable; where it is not, reading falls back to read-only.
TEST_F(ReadOnlyAllUsers, AnEntryReadForReadingIsUpdatedOnlyWhereWritable) {
  const std::string manual = MakeArchive("manual.vxb", "Manual", 10);
  ASSERT_TRUE(Register(manual, Placement::AllUsers));
  for (bool readOnly : {false, true}) {
    SCOPED_TRACE(readOnly ? "read-only" : "writable");
    RegistrySetReadOnly(RegistryHiveKind::Machine, readOnly);
    ThisDocumentProfiling reader(kReaderDescriptor);
    std::uint32_t firmCode = stow::kNoFirmCode;
    ASSERT_EQ(reader.ResolveArchive("Manual", firmCode, readOnly, false), readOnly ? "/moved.vxb" : manual);
    EXPECT_EQ(reader.CanUpdateEntry(), !readOnly);
    EXPECT_EQ(CodeOf([&] { reader.UpdateEntryPath("/moved.vxb"); }), readOnly ? 1140u : 0u);
    EXPECT_EQ(Doc("Manual", 10, Placement::AllUsers), "/moved.vxb");
  }
  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::AllUsers), std::vector<std::string>{"Manual"});
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, CatalogKey()));
}

}  // namespace
