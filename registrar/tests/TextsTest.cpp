// The registrar's texts, to the letter.
#include <gtest/gtest.h>

#include "platform/DriveType.h"
#include "registrar/RegistrarTexts.h"

namespace registrar_tests {
namespace {

using registrar::RunCounters;

TEST(TextsTest, Summaries) {
  EXPECT_EQ(registrar::SummaryText({1, 1, 1, 0}), "1 file scanned:\nArchives: 1 file registered.\n");
  EXPECT_EQ(registrar::SummaryText({1, 3, 2, 0}), "3 files scanned:\nArchives: 2 files registered.\n");
  EXPECT_EQ(registrar::SummaryText({3, 4, 0, 4}), "4 files in 3 folders scanned:\nArchives: 4 files unregistered.\n");
  EXPECT_EQ(registrar::SummaryText({2, 2, 0, 0}), "2 files in 2 folders scanned:\nno files registered or unregistered.");
  EXPECT_EQ(registrar::SummaryText({1, 2, 1, 1}),
            "2 files scanned:\nArchives: 1 file registered, 1 file unregistered.\n");
  EXPECT_EQ(registrar::FileNotFoundText("/a/b.vxb"), "File /a/b.vxb not found.");
}

TEST(TextsTest, TidyResults) {
  EXPECT_EQ(registrar::TidyResultText(0), "Tidy up Registry: No missing links, no cleanup required.");
  EXPECT_EQ(registrar::TidyResultText(1), "Tidy up Registry: 1 link to missing files removed.");
  EXPECT_EQ(registrar::TidyResultText(2), "Tidy up Registry: 2 links to missing files removed.");
}

TEST(TextsTest, TidyQuestions) {
  EXPECT_EQ(registrar::TidyQuestion("/a.vxb", DRIVE_FIXED), "");
  EXPECT_EQ(registrar::TidyQuestion("/a.vxb", DRIVE_REMOTE),
            "Tidy up document registration:\nThe path \"/a.vxb\" points to a remote (network) drive.\n Delete anyway?");
  EXPECT_NE(registrar::TidyQuestion("x", DRIVE_REMOVABLE).find("points to a removable disk."), std::string::npos);
  EXPECT_NE(registrar::TidyQuestion("x", DRIVE_CDROM).find("points to a CD-ROM or DVD."), std::string::npos);
  EXPECT_NE(registrar::TidyQuestion("x", DRIVE_RAMDISK).find("points to a RAM disk."), std::string::npos);
  EXPECT_NE(registrar::TidyQuestion("x", DRIVE_NO_ROOT_DIR).find("a drive, which is invalid (unmounted etc.)."),
            std::string::npos);
  EXPECT_NE(registrar::TidyQuestion("x", DRIVE_UNKNOWN).find("an unknown drive.."), std::string::npos);
}

TEST(TextsTest, HelpTexts) {
  const std::string head =
      "vxstreg - Stowra Archive Registration Tool.\nVersion 4.11b of 2004-Oct-14 (Build 34).\n"
      "\nUse: vxstreg [Option] [FileGroups] [Option] ...\n";
  EXPECT_EQ(registrar::HelpText("vxstreg", false),
            head + "Enter vxstreg /? for getting more information about the options.\n");
  const std::string full = registrar::HelpText("vxstreg", true);
  EXPECT_EQ(full.find(head + "\nFollowing options can be used: ('-' instead of '/' is permitted)\n/I\tInstall"), 0u);
  EXPECT_NE(full.find("/V3\tVerbose Output Mode: Detailed output of all activities.\n/?\tPrint this options help table.\n\n"),
            std::string::npos);
  const std::string last = "\n    Option /S scans also all subfolders of <Folder>.\n";
  EXPECT_EQ(full.substr(full.size() - last.size()), last);
}

}  // namespace
}  // namespace registrar_tests
