// The current archive: what an argument becomes and what showing it does.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <vector>

#include "archive/VxbFile.h"
#include "base/KelException.h"
#include "viewer/CurrentArchive.h"
#include "viewer/tests/ViewerTestSupport.h"

namespace {

// Records what is asked of it, in order.
class RecordingView : public ArchiveView {
 public:
  void HandOver(const std::string& name, const std::string& path, std::uint32_t firmCode,
                const std::string& fourthText) override {
    if (failHandOver) throw new CKelException(2001, "hand-over refused");
    calls.push_back("handover " + name + " " + path + " " + std::to_string(firmCode) + " [" +
                    fourthText + "]");
  }
  void Navigate(const std::string& url) override { calls.push_back("navigate " + url); }

  std::vector<std::string> calls;
  bool failHandOver = false;
};

// The exception Set raises for ARGUMENT, owned.
std::unique_ptr<CKelException> FailureOf(CurrentArchive& archive, const std::string& argument) {
  try {
    archive.Set(argument);
  } catch (CKelException* failure) {
    return std::unique_ptr<CKelException>(failure);
  }
  return nullptr;
}

class CurrentArchiveTest : public ::testing::Test {
 protected:
  TempFolder m_folder;
  CurrentArchive m_archive;
  RecordingView m_view;
};

TEST_F(CurrentArchiveTest, EmptyArgumentShowsNothing) {
  m_archive.Set("");
  EXPECT_EQ(m_archive.GetUrl(), "");
  EXPECT_FALSE(m_archive.IsHandOverPending());
  m_archive.Show(m_view);
  EXPECT_TRUE(m_view.calls.empty());
}

TEST_F(CurrentArchiveTest, VexostUrlIsNavigatedUnchangedWithoutHandOver) {
  m_archive.Set("vexost://Manual/intro/page.htm");
  EXPECT_EQ(m_archive.GetUrl(), "vexost://Manual/intro/page.htm");
  m_archive.Show(m_view);
  EXPECT_EQ(m_view.calls, std::vector<std::string>{"navigate vexost://Manual/intro/page.htm"});
}

// The scheme counts in any case; a file whose name begins with "vexost" is a file.
TEST_F(CurrentArchiveTest, SchemeInAnyCaseIsAUrlAFileNamedVexostIsAFile) {
  m_archive.Set("VEXOST://Manual");
  EXPECT_EQ(m_archive.GetUrl(), "VEXOST://Manual");
  EXPECT_FALSE(m_archive.IsHandOverPending());
  const std::string path =
      WriteTestArchive(m_folder, "vexost-alpha.vxb", "Alpha", 1, {{"a.htm", "a"}});
  const std::string previous = std::filesystem::current_path();
  std::filesystem::current_path(m_folder.Path());
  m_archive.Set("vexost-alpha.vxb");
  std::filesystem::current_path(previous);
  EXPECT_EQ(m_archive.GetUrl(), "vexost://file:" + path);
  EXPECT_TRUE(m_archive.IsHandOverPending());
}

TEST_F(CurrentArchiveTest, ArchiveFileIsHandedOverOnceThenNavigatedByItsFile) {
  const std::string path =
      WriteTestArchive(m_folder, "manual.vxb", "Manual", 77, {{"index.htm", "<p>x</p>"}}, "index.htm");
  m_archive.Set(path);
  EXPECT_EQ(m_archive.GetArchiveName(), "Manual");
  EXPECT_EQ(m_archive.GetFirmCode(), 77u);
  EXPECT_EQ(m_archive.GetUrl(), "vexost://file:" + path);
  EXPECT_TRUE(m_archive.IsHandOverPending());
  m_archive.Show(m_view);
  m_archive.Show(m_view);
  EXPECT_EQ(m_view.calls, (std::vector<std::string>{"handover Manual " + path + " 77 []",
                                                    "navigate vexost://file:" + path,
                                                    "navigate vexost://file:" + path}));
  EXPECT_FALSE(m_archive.IsHandOverPending());
}

TEST_F(CurrentArchiveTest, RelativePathIsHandedOverInFull) {
  WriteTestArchive(m_folder, "rel.vxb", "Rel", 1, {{"a.htm", "a"}});
  const std::string previous = std::filesystem::current_path();
  std::filesystem::current_path(m_folder.Path());
  m_archive.Set("rel.vxb");
  std::filesystem::current_path(previous);
  EXPECT_EQ(m_archive.GetPath(), m_folder / "rel.vxb");
}

TEST_F(CurrentArchiveTest, PathCharactersThatWouldEndTheUrlAreEscaped) {
  const std::string path =
      WriteTestArchive(m_folder, "my book #2?%41.vxb", "My Book/2#", 1, {{"a.htm", "a"}});
  m_archive.Set(path);
  EXPECT_EQ(m_archive.GetUrl(), "vexost://file:" + m_folder.Path() + "/my book %232%3F%2541.vxb");
}

TEST_F(CurrentArchiveTest, NonArchiveRaises1600AndKeepsTheState) {
  m_archive.Set("vexost://Before");
  const std::string path = m_folder.Write("notes.txt", "just some text, no archive at all");
  const std::unique_ptr<CKelException> failure = FailureOf(m_archive, path);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->m_code, 1600u);
  EXPECT_EQ(failure->m_arg1, path + " could not be opened");
  EXPECT_EQ(failure->m_arg2, "");
  EXPECT_EQ(m_archive.GetUrl(), "vexost://Before");
  EXPECT_FALSE(m_archive.IsHandOverPending());
}

TEST_F(CurrentArchiveTest, NewerArchiveVersionIsToldInTheSecondText) {
  BiffFileKind newer = stow::VxbFile::kKind;
  newer.versionMajor = 9;
  newer.versionMinor = 5;
  const std::string path = m_folder / "future.vxb";
  {
    CVexoBiffFile container(newer);
    container.Create(path);
    container.Finish();
    container.Close();
  }
  const std::unique_ptr<CKelException> failure = FailureOf(m_archive, path);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->m_code, 1600u);
  EXPECT_EQ(failure->m_arg1, path + " could not be opened");
  EXPECT_EQ(failure->m_arg2, "The file has the wrong version (File version is 9.05) ");
}

// A pipe raises at once instead of blocking the window until something is written to it.
TEST_F(CurrentArchiveTest, MissingEmptyFolderAndPipeRaise1600) {
  const std::string pipe = m_folder / "pipe.vxb";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path :
       {m_folder / "none.vxb", m_folder.Write("empty.vxb", ""), m_folder.Path(), pipe}) {
    const std::unique_ptr<CKelException> failure = FailureOf(m_archive, path);
    ASSERT_TRUE(failure) << path;
    EXPECT_EQ(failure->m_code, 1600u);
    EXPECT_EQ(failure->m_arg1, path + " could not be opened");
  }
  EXPECT_EQ(FailureOf(m_archive, pipe)->m_arg2, "It is no file but a folder, a pipe or a device ");
}

TEST_F(CurrentArchiveTest, FailedHandOverStaysPending) {
  const std::string path = WriteTestArchive(m_folder, "m.vxb", "M", 1, {{"a.htm", "a"}});
  m_archive.Set(path);
  m_view.failHandOver = true;
  try {
    m_archive.Show(m_view);
    FAIL() << "no exception";
  } catch (CKelException* failure) {
    failure->Delete();
  }
  EXPECT_TRUE(m_archive.IsHandOverPending());
  EXPECT_TRUE(m_view.calls.empty());
}

}  // namespace
