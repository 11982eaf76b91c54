// Folder listings: patterns, attributes, order and failures.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/FileFaults.h"
#include "platform/FolderListing.h"
#include "platform/tests/TempFolder.h"

namespace {

std::vector<std::string> Names(const std::vector<FindData>& entries) {
  std::vector<std::string> names;
  for (const FindData& entry : entries) names.push_back(entry.name);
  return names;
}

class FolderListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder.Write("b.vxb", "bb");
    m_folder.Write("a.vxb", "a");
    m_folder.Write("notes.txt", "n");
    m_folder.Write(".hidden.vxb", "h");
    std::filesystem::create_directory(m_folder / "sub.vxb");
  }
  TempFolder m_folder;
};

TEST_F(FolderListingTest, MatchingEntriesInNameOrder) {
  std::vector<FindData> entries;
  ASSERT_EQ(FindFiles(m_folder.Path(), "*.vxb", entries), ERROR_SUCCESS);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{".hidden.vxb", "a.vxb", "b.vxb", "sub.vxb"}));
  EXPECT_EQ(entries[0].attributes, FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(entries[1].attributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(entries[2].size, 2u);
  EXPECT_EQ(entries[3].attributes, FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FolderListingTest, EveryEntryWithoutDotFolders) {
  std::vector<FindData> entries;
  ASSERT_EQ(FindFiles(m_folder.Path() + "/", "*.*", entries), ERROR_SUCCESS);
  EXPECT_EQ(entries.size(), 5u);
}

TEST_F(FolderListingTest, PipesAreSystemFiles) {
  ASSERT_EQ(::mkfifo((m_folder / "pipe.vxb").c_str(), 0600), 0);
  std::vector<FindData> entries;
  ASSERT_EQ(FindFiles(m_folder.Path(), "pipe.vxb", entries), ERROR_SUCCESS);
  EXPECT_EQ(entries[0].attributes, FILE_ATTRIBUTE_SYSTEM);
}

TEST_F(FolderListingTest, NothingMatchingIsFileNotFound) {
  std::vector<FindData> entries;
  EXPECT_EQ(FindFiles(m_folder.Path(), "*.pdf", entries), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(entries.empty());
}

TEST_F(FolderListingTest, MissingFolderIsPathNotFound) {
  std::vector<FindData> entries;
  EXPECT_EQ(FindFiles(m_folder / "none", "*.*", entries), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(FindFiles(m_folder / "a.vxb", "*.*", entries), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(FindFiles("C:\\docs", "*.*", entries), ERROR_PATH_NOT_FOUND);
}

TEST_F(FolderListingTest, BackslashesSeparateToo) {
  std::vector<FindData> entries;
  std::string path = m_folder.Path();
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  EXPECT_EQ(FindFiles(path, "a.vxb", entries), ERROR_SUCCESS);
}

TEST_F(FolderListingTest, TheFileHookCanRefuseAListing) {
  FileFaults faults;
  faults.Add({os::FileCall::List, m_folder.Path(), ERROR_ACCESS_DENIED});
  std::vector<FindData> entries;
  EXPECT_EQ(FindFiles(m_folder.Path(), "*.*", entries), ERROR_ACCESS_DENIED);
  EXPECT_EQ(faults.Count(os::FileCall::List), 1u);
}

}  // namespace
