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

TEST_F(CurrentArchiveTest, EmptyArgumentShowsNothingVexostUrlIsNavigatedUnchanged) {
  m_archive.Set("");
  EXPECT_EQ(m_archive.GetUrl(), "");
  m_archive.Show(m_view);
  EXPECT_TRUE(m_view.calls.empty());
  m_archive.Set("vexost://Manual/intro/page.htm");
  EXPECT_FALSE(m_archive.IsHandOverPending());
  m_archive.Show(m_view);
  EXPECT_EQ(m_view.calls, std::vector<std::string>{"navigate vexost://Manual/intro/page.htm"});
}

// The scheme counts in any case; a file whose name begins with "vexost" is a file,
// and a relative path is taken in full.
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
  EXPECT_EQ(m_archive.GetPath(), path);
  EXPECT_TRUE(m_archive.IsHandOverPending());
}

// A failed hand-over stays pending; a done one is not repeated.
TEST_F(CurrentArchiveTest, ArchiveFileIsHandedOverOnceThenNavigatedByItsFile) {
  const std::string path =
      WriteTestArchive(m_folder, "manual.vxb", "Manual", 77, {{"index.htm", "<p>x</p>"}}, "index.htm");
  m_archive.Set(path);
  m_view.failHandOver = true;
  try {
    m_archive.Show(m_view);
    ADD_FAILURE() << "no exception";
  } catch (CKelException* failure) {
    failure->Delete();
  }
  EXPECT_TRUE(m_view.calls.empty());
  m_view.failHandOver = false;
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

TEST_F(CurrentArchiveTest, PathCharactersThatWouldEndTheUrlAreEscaped) {
  const std::string path =
      WriteTestArchive(m_folder, "my book #2?%41.vxb", "My Book/2#", 1, {{"a.htm", "a"}});
  m_archive.Set(path);
  EXPECT_EQ(m_archive.GetUrl(), "vexost://file:" + m_folder.Path() + "/my book %232%3F%2541.vxb");
}

// Whatever cannot be opened raises 1600 naming the path, the reason second, and
// keeps the state; a pipe raises at once instead of blocking the window.
TEST_F(CurrentArchiveTest, WhatCannotBeOpenedRaises1600AndKeepsTheState) {
  BiffFileKind newer = stow::VxbFile::kKind;
  newer.versionMajor = 9;
  newer.versionMinor = 5;
  const std::string future = m_folder / "future.vxb";
  {
    CVexoBiffFile container(newer);
    container.Create(future);
    container.Finish();
    container.Close();
  }
  const std::string pipe = m_folder / "pipe.vxb";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const struct {
    std::string path, reason;  // reason: "*" when any
  } cases[] = {
      {m_folder.Write("notes.txt", "just some text, no archive at all"), ""},
      {future, "The file has the wrong version (File version is 9.05) "},
      {pipe, "It is no file but a folder, a pipe or a device "},
      {m_folder / "none.vxb", "*"},
      {m_folder.Write("empty.vxb", ""), "*"},
      {m_folder.Path(), "*"},
  };
  m_archive.Set("vexost://Before");
  for (const auto& c : cases) {
    const std::unique_ptr<CKelException> failure = FailureOf(m_archive, c.path);
    ASSERT_TRUE(failure) << c.path;
    EXPECT_EQ(failure->m_code, 1600u) << c.path;
    EXPECT_EQ(failure->m_arg1, c.path + " could not be opened");
    if (c.reason != "*") {
      EXPECT_EQ(failure->m_arg2, c.reason) << c.path;
    }
    EXPECT_EQ(m_archive.GetUrl(), "vexost://Before") << c.path;
    EXPECT_FALSE(m_archive.IsHandOverPending()) << c.path;
  }
}

}  // namespace
