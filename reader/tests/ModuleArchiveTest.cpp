// The archive kept open between requests, and the archive whose file moved:
// the error page first, the file selection dialog next.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/FileSystem.h"
#include "reader/tests/ReaderModuleFixture.h"

namespace {

const std::map<std::string, std::string> kTopics = {{"a.htm", "<html>a</html>"},
                                                    {"b.htm", "<html>b</html>"}};

class OpenArchive : public ReaderModuleTest {
 protected:
  void SetUp() override {
    ReaderModuleTest::SetUp();
    m_archive = BuildArchive("manual.vxb", "Manual", 10, kTopics, "a.htm");
    Catalog("Manual", 10, m_archive);
  }

  // Moves the archive's file away from where the catalog has it; returns the new path.
  std::string MoveArchive() {
    const std::string moved = m_folder / "elsewhere.vxb";
    EXPECT_EQ(std::rename(m_archive.c_str(), moved.c_str()), 0);
    return moved;
  }
  std::string DocValue() const { return Text(HKEY_CURRENT_USER, std::string(kCatalogKey) + "\\Manual\\FC10", "Doc"); }

  std::string m_archive;
};

TEST_F(OpenArchive, SecondRequestNeitherReopensTheFileNorReadsTheCatalog) {
  EXPECT_EQ(Fetch("vexost://Manual/a.htm").bytes, "<html>a</html>");
  // Without the file's name and without the catalog, only what is open serves.
  MoveArchive();
  setenv("VXST_REGISTRY_DIR", (m_folder / "empty-registry").c_str(), 1);
  const ProtocolResponse second = Fetch("vexost://Manual/b.htm");
  EXPECT_EQ(second.bytes, "<html>b</html>");
  EXPECT_EQ(OutcomeOf(second), "");
}

TEST_F(OpenArchive, MovedArchiveShowsPageSixThenTheDialogThenTheTopic) {
  const std::string moved = MoveArchive();

  ExpectPage(Fetch("vexost://Manual/b.htm"), 6);
  EXPECT_TRUE(m_dialogs.fileSelectViews.empty());

  m_dialogs.QueueFileSelectAnswer(IDOK, moved, true);
  const ProtocolResponse served = Fetch("vexost://Manual/b.htm");
  EXPECT_EQ(served.result, S_OK);
  EXPECT_EQ(served.bytes, "<html>b</html>");
  ASSERT_EQ(m_dialogs.fileSelectViews.size(), 1u);
  EXPECT_EQ(m_dialogs.fileSelectViews[0].fileLine, "File: " + m_archive);
  EXPECT_EQ(m_dialogs.fileSelectViews[0].documentLine, "Document: Manual");
  EXPECT_EQ(DocValue(), moved) << "the catalog was not updated as asked";

  // The archive now open serves the next topics.
  EXPECT_EQ(Fetch("vexost://Manual/a.htm").bytes, "<html>a</html>");
}

// A cancelled dialog shows the page again and asks once more; a dialog
// answered without update leaves the catalog alone.
TEST_F(OpenArchive, CancelledDialogAsksOnceMoreAndNoUpdateLeavesTheCatalog) {
  const std::string moved = MoveArchive();
  ExpectPage(Fetch("vexost://Manual/"), 6);
  m_dialogs.QueueFileSelectAnswer(IDCANCEL);
  ExpectPage(Fetch("vexost://Manual/"), 6);
  EXPECT_EQ(m_dialogs.fileSelectViews.size(), 1u);
  m_dialogs.QueueFileSelectAnswer(IDOK, moved, false);
  EXPECT_EQ(Fetch("vexost://Manual/").bytes, "<html>a</html>");
  EXPECT_EQ(m_dialogs.fileSelectViews.size(), 2u);
  EXPECT_EQ(DocValue(), m_archive);
}

TEST_F(OpenArchive, MovedArchiveFileByPathShowsPageSevenThenTheDialog) {
  const std::string moved = MoveArchive();
  const std::string url = "vexost://file:" + m_archive + "::/b.htm";
  ExpectPage(Fetch(url), 7);
  m_dialogs.QueueFileSelectAnswer(IDOK, moved);
  EXPECT_EQ(Fetch(url).bytes, "<html>b</html>");
  ASSERT_EQ(m_dialogs.fileSelectViews.size(), 1u);
  EXPECT_EQ(m_dialogs.fileSelectViews[0].documentLine, "");
  EXPECT_FALSE(m_dialogs.fileSelectViews[0].updateRegistryEnabled);
}

TEST_F(OpenArchive, AnArchiveThatOpensAgainDoesNotAskForAFileLater) {
  const std::string moved = MoveArchive();
  ExpectPage(Fetch("vexost://Manual/"), 6);
  ASSERT_EQ(std::rename(moved.c_str(), m_archive.c_str()), 0);
  EXPECT_EQ(Fetch("vexost://Manual/").bytes, "<html>a</html>");
  // A later failure is a first failure again: a page, not the dialog.
  Catalog("Lost", 2, m_folder / "lost.vxb");
  ExpectPage(Fetch("vexost://Lost/"), 6);
  EXPECT_TRUE(m_dialogs.fileSelectViews.empty());
}

TEST_F(OpenArchive, TheDialogIsOfferedForTheArchiveThatFailedBefore) {
  Catalog("Lost", 2, m_folder / "lost.vxb");
  Catalog("Gone", 3, m_folder / "gone.vxb");
  ExpectPage(Fetch("vexost://Lost/"), 6);
  ExpectPage(Fetch("vexost://Gone/"), 6);  // another archive: a page again
  EXPECT_TRUE(m_dialogs.fileSelectViews.empty());
  m_dialogs.QueueFileSelectAnswer(IDOK, BuildArchive("found.vxb", "Gone", 3, kTopics, "a.htm"), false);
  EXPECT_EQ(Fetch("vexost://Gone/b.htm").bytes, "<html>b</html>");
  ASSERT_EQ(m_dialogs.fileSelectViews.size(), 1u);
  EXPECT_EQ(m_dialogs.fileSelectViews[0].documentLine, "Document: Gone");
}

// The probe build of the module counts the file calls it makes.
class OpenArchiveCounted : public OpenArchive {
 protected:
  const char* ModulePath() const override { return VXST_READER_PROBE_MODULE; }

  void CountFileCalls(bool counting) {
    Export<void (*)(bool)>("ReaderProbeCountFileCalls")(counting);
  }
  unsigned FileCalls(os::FileCall call) {
    return Export<unsigned (*)(int)>("ReaderProbeFileCalls")(static_cast<int>(call));
  }
};

TEST_F(OpenArchiveCounted, RequestForAnotherArchiveOpensItOnce) {
  const std::string other = BuildArchive("other.vxb", "Other", 11, kTopics, "a.htm");
  EXPECT_EQ(Fetch("vexost://Manual/a.htm").result, S_OK);
  CountFileCalls(true);
  EXPECT_EQ(Fetch("vexost://file:" + other + "::/b.htm").bytes, "<html>b</html>");
  EXPECT_EQ(FileCalls(os::FileCall::Open), 1u);
  CountFileCalls(false);
}

}  // namespace
