// The file dialog: its texts, when it offers to correct the catalog, the checks
// of OK with their messages, Find, and the catalog written only when asked.
#include "reader/DlgFileSelect.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/RegistryControl.h"
#include "reader/tests/DialogTestSupport.h"

namespace dialog_tests {
namespace {

class DlgFileSelectTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    oldPath = files / "moved.vxb";
    manual = MakeArchive("manual.vxb", "Manual", 7);
    Register("Manual", 7, oldPath);
  }

  // Runs a dialog for the archive Manual of firm code 7 that failed at oldPath.
  int Run(std::string name = "Manual", std::uint32_t firmCode = 7) {
    DlgFileSelect dialog(oldPath, std::move(name), firmCode, catalog);
    const int result = dialog.DoModal(dialogs);
    chosenPath = dialog.GetFilePath();
    return result;
  }

  std::string oldPath;
  std::string manual;
  std::string chosenPath;
};

// Percent signs in the path and the name stay as they are.
TEST_F(DlgFileSelectTest, ShowsTheFailingFileAndTheArchive) {
  oldPath = files / "100%1%%.vxb";
  Register("50%2", 7, oldPath);
  dialogs.QueueFileSelectAnswer(IDCANCEL);
  EXPECT_EQ(Run("50%2"), IDCANCEL);
  ASSERT_EQ(dialogs.fileSelectViews.size(), 1u);
  const auto& view = dialogs.fileSelectViews[0];
  EXPECT_EQ(view.fileLine, "File: " + oldPath);
  EXPECT_EQ(view.documentLine, "Document: 50%2");
  EXPECT_EQ(view.path, oldPath);
  EXPECT_TRUE(view.updateRegistryEnabled);
  EXPECT_FALSE(view.updateRegistry);
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(DlgFileSelectTest, RightFileEndsTheDialogWithItsFullPath) {
  EnterFilesFolder();
  dialogs.QueueFileSelectAnswer(IDOK, "manual.vxb");
  EXPECT_EQ(Run(), IDOK);
  EXPECT_EQ(chosenPath, manual);
  const std::string upper = MakeArchive("upper.vxb", "MANUAL", 7);  // the name in another case
  dialogs.QueueFileSelectAnswer(IDOK, upper);
  EXPECT_EQ(Run(), IDOK);
  EXPECT_EQ(chosenPath, upper);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Doc("Manual", 7), oldPath);  // the check box was not set
}

// Another archive is told, the dialog stays open with what the user entered,
// and nothing is written even when asked.
TEST_F(DlgFileSelectTest, AnotherArchiveIsToldAndTheDialogStaysOpen) {
  const std::pair<std::string, std::string> cases[] = {
      {MakeArchive("other.vxb", "Other", 7), "Selected File has name \"Other\" instead of \"Manual\"."},
      {MakeArchive("fc12.vxb", "Manual", 12), "Selected File has Firm Code 12 instead of 7."}};
  for (const auto& [other, message] : cases) {
    const std::size_t box = boxes.shown().size();
    const std::size_t view = dialogs.fileSelectViews.size();
    dialogs.QueueFileSelectAnswer(IDOK, other, true);
    dialogs.QueueFileSelectAnswer(IDCANCEL);
    EXPECT_EQ(Run(), IDCANCEL) << other;
    ASSERT_EQ(boxes.shown().size(), box + 1) << other;
    EXPECT_EQ(boxes.shown()[box].text, message);
    EXPECT_EQ(boxes.shown()[box].style, MB_OK | MB_ICONEXCLAMATION);
    ASSERT_EQ(dialogs.fileSelectViews.size(), view + 2) << other;
    EXPECT_EQ(dialogs.fileSelectViews[view + 1].path, other);
    EXPECT_EQ(Doc("Manual", 7), oldPath) << other;
  }
}

TEST_F(DlgFileSelectTest, FileThatIsNoArchiveGetsTheFoundationsMessage) {
  const std::string text = files.Write("notes.vxb", "just some text, no container at all");
  dialogs.QueueFileSelectAnswer(IDOK, text);
  dialogs.QueueFileSelectAnswer(IDOK, files / "missing.vxb");
  dialogs.QueueFileSelectAnswer(IDOK, files.Path());
  EXPECT_EQ(Run(), IDCANCEL);
  // Not a container, missing, a folder: each with its message, codes as help topics.
  ASSERT_EQ(boxes.shown().size(), 3u);
  const std::pair<DWORD, const char*> expected[] = {
      {1036, "VK1036"}, {1001, "VK1001"}, {1041, "VK1041"}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(boxes.shown()[i].helpContext, expected[i].first);
    EXPECT_NE(boxes.shown()[i].text.find(expected[i].second), std::string::npos) << boxes.shown()[i].text;
    EXPECT_EQ(boxes.shown()[i].style & MB_ICONMASK, MB_ICONSTOP);
  }
  EXPECT_NE(boxes.shown()[0].text.find("notes.vxb"), std::string::npos) << boxes.shown()[0].text;
  EXPECT_NE(boxes.shown()[1].text.find("missing.vxb"), std::string::npos) << boxes.shown()[1].text;
  EXPECT_EQ(Doc("Manual", 7), oldPath);
}

// Only when asked, and only the entry of the archive, though the catalog was
// last positioned on another archive's entry.
TEST_F(DlgFileSelectTest, CatalogIsCorrectedOnlyWhenAskedAndOnlyItsEntry) {
  dialogs.QueueFileSelectAnswer(IDOK, manual, false);
  EXPECT_EQ(Run(), IDOK);
  EXPECT_EQ(Doc("Manual", 7), oldPath);

  const std::string guide = MakeArchive("guide.vxb", "Guide", 3);
  Register("Guide", 3, guide);
  ASSERT_TRUE(catalog.OpenArchiveKey("Guide", CKelProfiling::kCurrentUser, CKelProfiling::kReadWriteElseRead));
  ASSERT_TRUE(catalog.ReadEntry(3));
  dialogs.QueueFileSelectAnswer(IDOK, manual, true);
  EXPECT_EQ(Run(), IDOK);
  EXPECT_EQ(Doc("Manual", 7), manual);
  EXPECT_EQ(Doc("Guide", 3), guide);
}

TEST_F(DlgFileSelectTest, ArchiveGivenByPathAcceptsAnyArchiveAndNeverWritesTheCatalog) {
  const std::string other = MakeArchive("other.vxb", "Other", 99);
  dialogs.QueueFileSelectAnswer(IDOK, other, true);
  EXPECT_EQ(Run("", kNoFirmCode), IDOK);
  const auto& view = dialogs.fileSelectViews[0];
  EXPECT_EQ(view.documentLine, "");
  EXPECT_FALSE(view.updateRegistryEnabled);
  EXPECT_EQ(chosenPath, other);
  EXPECT_EQ(Doc("Manual", 7), oldPath);
}

// A name handed over by a host, not in the catalog, or a read-only catalog:
// nothing to correct.
TEST_F(DlgFileSelectTest, NoCorrectionWithoutAWritableCatalogEntry) {
  dialogs.QueueFileSelectAnswer(IDCANCEL);
  Run("Handed", 5);
  EXPECT_FALSE(dialogs.fileSelectViews[0].updateRegistryEnabled) << "not in the catalog";
  EXPECT_EQ(dialogs.fileSelectViews[0].documentLine, "Document: Handed");
  RegistrySetReadOnly(RegistryHiveKind::User, true);
  dialogs.QueueFileSelectAnswer(IDOK, manual, true);
  EXPECT_EQ(Run(), IDOK);
  EXPECT_FALSE(dialogs.fileSelectViews[1].updateRegistryEnabled) << "read-only";
  EXPECT_FALSE(dialogs.fileSelectViews[1].updateRegistry) << "read-only";
  RegistrySetReadOnly(RegistryHiveKind::User, false);
  EXPECT_EQ(Doc("Manual", 7), oldPath);
}

TEST_F(DlgFileSelectTest, RegistryFailureWhileCorrectingIsRaised) {
  DlgFileSelect dialog(oldPath, "Manual", 7, catalog);
  dialog.OnInitDialog();
  ASSERT_TRUE(dialog.IsUpdateRegistryEnabled());
  dialog.SetFilePath(manual);
  dialog.SetUpdateRegistry(true);
  RegistrySetReadOnly(RegistryHiveKind::User, true);
  EXPECT_EQ(CodeOf([&] { dialog.OnOK(); }), 1140u);
  EXPECT_FALSE(dialog.IsEnded());
  RegistrySetReadOnly(RegistryHiveKind::User, false);
  EXPECT_EQ(Doc("Manual", 7), oldPath);
}

TEST_F(DlgFileSelectTest, FindStartsAtAnExistingPathAndTakesTheChosenFile) {
  dialogs.QueueFileSelectAnswer(DlgFileSelect::kFindButton);  // failing path: no start name
  dialogs.QueueFileToOpen(std::nullopt);
  dialogs.QueueFileSelectAnswer(DlgFileSelect::kFindButton, files.Path());
  dialogs.QueueFileToOpen(manual);
  dialogs.QueueFileSelectAnswer(IDOK);
  EXPECT_EQ(Run(), IDOK);
  EXPECT_EQ(chosenPath, manual);

  ASSERT_EQ(dialogs.fileOpenRequests.size(), 2u);
  const FileOpenRequest& first = dialogs.fileOpenRequests[0];
  EXPECT_EQ(first.title, "Select Stowra Document File");
  EXPECT_EQ(first.filter, "VEXOBIFF Files (*.vxb)|*.vxb|All Files (*)|*||");
  EXPECT_EQ(first.defaultExtension, ".vxb");
  EXPECT_EQ(first.startName, "");
  EXPECT_EQ(dialogs.fileOpenRequests[1].startName, files.Path());
  ASSERT_EQ(dialogs.fileSelectViews.size(), 3u);
  EXPECT_EQ(dialogs.fileSelectViews[1].path, oldPath);  // a cancelled Find changes nothing
  EXPECT_EQ(dialogs.fileSelectViews[2].path, manual);
}

std::size_t OpenFileCount() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

TEST_F(DlgFileSelectTest, FileOpenedForTheCheckIsClosedWhateverTheOutcome) {
  DlgFileSelect dialog(oldPath, "Manual", 7, catalog);
  dialog.OnInitDialog();
  const std::size_t before = OpenFileCount();
  for (const std::string& path : {MakeArchive("other.vxb", "Other", 7), MakeArchive("fc9.vxb", "Manual", 9),
                                  files.Write("text.vxb", "text"), manual}) {
    dialog.SetFilePath(path);
    dialog.CheckFile();
    EXPECT_EQ(OpenFileCount(), before) << path;
  }
}

}  // namespace
}  // namespace dialog_tests
