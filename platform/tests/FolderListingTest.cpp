// Folder listings: patterns, attributes, order and failures.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

TEST_F(FolderListingTest, MatchingEntriesInNameOrderPatternsFoldersAndFailures) {
  std::vector<FindData> entries;
  ASSERT_EQ(FindFiles(m_folder.Path(), "*.vxb", entries), ERROR_SUCCESS);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{".hidden.vxb", "a.vxb", "b.vxb", "sub.vxb"}));
  EXPECT_EQ(entries[0].attributes, FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(entries[1].attributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(entries[2].size, 2u);
  EXPECT_EQ(entries[3].attributes, FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_EQ(::mkfifo((m_folder / "pipe.vxb").c_str(), 0600), 0);
  std::string backslashed = m_folder.Path();
  std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
  const struct {
    std::string folder;
    const char* pattern;
    DWORD result;
    std::size_t count;
  } cases[] = {
      {m_folder.Path() + "/", "*.*", ERROR_SUCCESS, 6},  // every entry but the dot folders
      {backslashed, "a.vxb", ERROR_SUCCESS, 1},
      {m_folder.Path(), "*.pdf", ERROR_FILE_NOT_FOUND, 0},
      {m_folder / "none", "*.*", ERROR_PATH_NOT_FOUND, 0},
      {m_folder / "a.vxb", "*.*", ERROR_PATH_NOT_FOUND, 0},
      {"C:\\docs", "*.*", ERROR_PATH_NOT_FOUND, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindFiles(c.folder, c.pattern, entries), c.result) << c.folder << " " << c.pattern;
    EXPECT_EQ(entries.size(), c.count) << c.folder << " " << c.pattern;
  }
  ASSERT_EQ(FindFiles(m_folder.Path(), "pipe.vxb", entries), ERROR_SUCCESS);
  EXPECT_EQ(entries[0].attributes, FILE_ATTRIBUTE_SYSTEM);  // pipes are system files
  FileFaults faults;
  faults.Add({os::FileCall::List, m_folder.Path(), ERROR_ACCESS_DENIED});
  EXPECT_EQ(FindFiles(m_folder.Path(), "*.*", entries), ERROR_ACCESS_DENIED);
  EXPECT_EQ(faults.Count(os::FileCall::List), 1u);
}

}  // namespace
