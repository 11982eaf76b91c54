// Reading the catalog: names, firm codes and entries.
#include "catalog/CatalogListing.h"
#include "catalog/tests/CatalogFixture.h"

namespace {

using Listing = CatalogTest;

// Each placement lists its own names; all entries come with their paths, the
// user's first, and a firm-code key without its path is passed over.
TEST_F(Listing, NamesByPlacementAndAllEntriesUserFirst) {
  EXPECT_TRUE(m_catalog.ListArchiveNames(Placement::CurrentUser).empty());  // no catalog yet
  EXPECT_TRUE(m_catalog.ListArchiveNames(Placement::AllUsers).empty());
  PutText(HKEY_LOCAL_MACHINE, EntryKey("Shared", 2).c_str(), "Doc", "/b.vxb");
  PutText(HKEY_LOCAL_MACHINE, EntryKey("Also", 3).c_str());
  PutText(HKEY_CURRENT_USER, EntryKey("Mine", 9).c_str(), "Doc", "/a9.vxb");
  PutText(HKEY_CURRENT_USER, EntryKey("Mine", 1).c_str(), "Doc", "/a1.vxb");
  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::CurrentUser), std::vector<std::string>{"Mine"});
  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::AllUsers),
            (std::vector<std::string>{"Also", "Shared"}));
  EXPECT_EQ(ListCatalogEntries(m_catalog),
            (std::vector<CatalogEntry>{{"Mine", 1, "/a1.vxb", false},
                                       {"Mine", 9, "/a9.vxb", false},
                                       {"Shared", 2, "/b.vxb", true}}));
}

// 240 names of 255 bytes fill the 61,440 bytes of the list exactly (each with
// its terminating zero); one name more does not fit.
TEST_F(Listing, NamesBeyondTheListCapacityRaise1014) {
  for (int i = 0; i < 240; ++i) {
    std::string name = std::to_string(1000 + i);
    name.resize(255, 'n');
    PutText(HKEY_CURRENT_USER, NameKey(name).c_str());
  }
  EXPECT_EQ(m_catalog.ListArchiveNames(Placement::CurrentUser).size(), 240u);
  PutText(HKEY_CURRENT_USER, NameKey("x").c_str());
  EXPECT_EQ(CodeOf([&] { m_catalog.ListArchiveNames(Placement::CurrentUser); }), 1014u);
}

// Only firm-code keys count, and only below a name key.
TEST_F(Listing, OnlyFirmCodeKeysOfANameCount) {
  for (const char* key : {"FC7", "FCX", "Notes", "FC", "FC-1", "FC 5", "FC16777216", "FC010",
                          "FC4294967296", "fc12", "FC0", "FC16777215", "FC3x"})
    PutText(HKEY_CURRENT_USER, (NameKey("Manual") + "\\" + key).c_str());
  ASSERT_TRUE(m_catalog.OpenArchiveKey("Manual", kUser, kWriteElseRead));
  // Enumeration order: names compared without regard to case, byte by byte.
  EXPECT_EQ(m_catalog.ListFirmCodes(), (std::vector<std::uint32_t>{0, 12, 16777215, 7}));

  PutText(HKEY_CURRENT_USER, EntryKey("Manual", 10).c_str(), "Doc", "/m.vxb");
  PutText(HKEY_CURRENT_USER, (CatalogKey() + "\\FC12").c_str(), "Doc", "/stray.vxb");
  EXPECT_FALSE(m_catalog.OpenArchiveKey("", kUser, kWriteElseRead));
  EXPECT_TRUE(m_catalog.ListFirmCodes().empty());  // not those of the catalog key
  EXPECT_FALSE(m_catalog.OpenArchiveKey("Manual\\FC10", kUser, kWriteElseRead));
  EXPECT_FALSE(m_catalog.ReadEntry(10));
  EXPECT_FALSE(m_catalog.OpenArchiveKey("Missing", kUserFirst, kRead));
  EXPECT_TRUE(m_catalog.ListFirmCodes().empty());
}

using Entries = CatalogTest;

// Reading tells a missing, an empty and a present entry; an update writes the
// entry last read, though the catalog was positioned elsewhere meanwhile.
TEST_F(Entries, ReadEntryTellsMissingEmptyAndPresentAndUpdateWritesTheEntryRead) {
  PutText(HKEY_CURRENT_USER, EntryKey("Manual", 1).c_str(), "Doc", "/docs/manual.vxb");
  PutText(HKEY_CURRENT_USER, EntryKey("Manual", 2).c_str(), "Doc", "");
  PutText(HKEY_CURRENT_USER, EntryKey("Manual", 3).c_str(), "Notes", "no path");
  ASSERT_TRUE(m_catalog.OpenArchiveKey("Manual", kUser, kWriteElseRead));

  EXPECT_TRUE(m_catalog.ReadEntry(1));
  EXPECT_EQ(m_catalog.GetEntryPath(), "/docs/manual.vxb");
  EXPECT_FALSE(m_catalog.ReadEntry(2));
  EXPECT_EQ(m_catalog.GetEntryPath(), "");
  EXPECT_FALSE(m_catalog.ReadEntry(4));
  EXPECT_EQ(m_catalog.GetEntryPath(), "");  // nothing left from the entry before
  const auto failure = ErrorOf([&] { m_catalog.ReadEntry(3); });
  ASSERT_NE(failure, nullptr);
  EXPECT_EQ(failure->m_code, 1141u);
  EXPECT_EQ(failure->m_arg1, "Doc");
  EXPECT_EQ(failure->m_arg2, "HKEY_CURRENT_USER\\" + EntryKey("Manual", 3));

  ASSERT_TRUE(m_catalog.ReadEntry(1));
  m_catalog.ListArchiveNames(Placement::AllUsers);
  m_catalog.UpdateEntryPath("/new.vxb");
  EXPECT_EQ(Doc("Manual", 1), "/new.vxb");
  EXPECT_EQ(Doc("Manual", 2), "");
  EXPECT_EQ(m_catalog.GetEntryPath(), "/new.vxb");
}

// The same name for the current user and for all users: the current user's
// name key is found first, its firm-code key first, then the all-users one.
TEST_F(Entries, CurrentUserBeforeAllUsers) {
  PutText(HKEY_CURRENT_USER, EntryKey("Manual", 10).c_str(), "Doc", "/user/manual.vxb");
  PutText(HKEY_LOCAL_MACHINE, EntryKey("Manual", 10).c_str(), "Doc", "/all/manual.vxb");
  PutText(HKEY_LOCAL_MACHINE, EntryKey("Manual", 11).c_str(), "Doc", "/all/other.vxb");
  ASSERT_TRUE(m_catalog.OpenArchiveKey("Manual", kUserFirst, kRead));
  EXPECT_EQ(m_catalog.ListFirmCodes(), std::vector<std::uint32_t>{10});
  ASSERT_TRUE(m_catalog.ReadEntry(10));
  EXPECT_EQ(m_catalog.GetEntryPath(), "/user/manual.vxb");
  ASSERT_TRUE(m_catalog.ReadEntry(11));
  EXPECT_EQ(m_catalog.GetEntryPath(), "/all/other.vxb");
  PutText(HKEY_LOCAL_MACHINE, EntryKey("Shared", 5).c_str(), "Doc", "/s.vxb");
  ASSERT_TRUE(m_catalog.OpenArchiveKey("Shared", kUserFirst, kRead)) << "a name of all users only";
  EXPECT_EQ(m_catalog.ListFirmCodes(), std::vector<std::uint32_t>{5});
}

}  // namespace
