// The firm-code dialog: the list in the order given with the first selected,
// the choice read back, and its use by name resolution for an ambiguous name.
#include "reader/DlgFirmCode.h"

#include <gtest/gtest.h>

#include "reader/FirmCodeDialogChooser.h"
#include "reader/ResolveFailurePages.h"
#include "reader/tests/DialogTestSupport.h"
#include "reader/tests/RequestUrlTestSupport.h"

namespace dialog_tests {
namespace {

TEST(DlgFirmCodeTest, ListsFirmCodesInTheOrderGivenWithTheFirstSelected) {
  const std::vector<std::uint32_t> codes{12, 7, 4294967295u, 0};
  DlgFirmCode dialog(codes);
  dialog.m_archiveName = "Manual";
  dialog.OnInitDialog();
  EXPECT_EQ(dialog.GetEntries(), (std::vector<std::string>{"12", "7", "4294967295", "0"}));
  EXPECT_EQ(dialog.GetSelection(), 0);
  EXPECT_EQ(dialog.m_nIDTemplate, 201u);
}

TEST(DlgFirmCodeTest, OkKeepsTheSelectedEntry) {
  const std::vector<std::uint32_t> codes{7, 12};
  DlgFirmCode dialog(codes);
  dialog.OnInitDialog();
  EXPECT_TRUE(dialog.Select(1));
  EXPECT_FALSE(dialog.Select(2));
  EXPECT_FALSE(dialog.Select(-1));
  EXPECT_EQ(dialog.GetSelection(), 1);
  dialog.OnOK();
  EXPECT_TRUE(dialog.IsEnded());
  EXPECT_EQ(dialog.GetResult(), IDOK);
  EXPECT_EQ(dialog.m_selectedEntry, "12");
  EXPECT_EQ(dialog.GetChosenFirmCode(), 12u);
}

TEST(DlgFirmCodeTest, EmptyListCannotBeConfirmed) {
  const std::vector<std::uint32_t> none;
  DlgFirmCode dialog(none);
  dialog.OnInitDialog();
  EXPECT_EQ(dialog.GetSelection(), -1);
  dialog.OnOK();
  EXPECT_FALSE(dialog.IsEnded());
}

TEST(DlgFirmCodeTest, ChooserShowsNameAndCodesAndGivesTheChoice) {
  ScriptedReaderDialogs dialogs;
  FirmCodeDialogChooser chooser(&dialogs);
  std::uint32_t chosen = 0;
  dialogs.QueueFirmCodeAnswer(IDOK);
  EXPECT_TRUE(chooser.Choose("Manual", {7, 12}, chosen));
  EXPECT_EQ(chosen, 7u);
  dialogs.QueueFirmCodeAnswer(IDOK, 1);
  EXPECT_TRUE(chooser.Choose("Manual", {7, 12}, chosen));
  EXPECT_EQ(chosen, 12u);
  chosen = 99;
  dialogs.QueueFirmCodeAnswer(IDCANCEL, 1);
  EXPECT_FALSE(chooser.Choose("Manual", {7, 12}, chosen));
  EXPECT_EQ(chosen, 99u);

  ASSERT_EQ(dialogs.firmCodeViews.size(), 3u);
  EXPECT_EQ(dialogs.firmCodeViews[0].archiveName, "Manual");
  EXPECT_EQ(dialogs.firmCodeViews[0].entries, (std::vector<std::string>{"7", "12"}));
  EXPECT_EQ(dialogs.firmCodeViews[0].selection, 0);
}

// Name resolution of an archive registered under two firm codes: page 5 the
// first time, the dialog the next time.
class AmbiguousNameTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    first = MakeArchive("fc7.vxb", "Manual", 7);
    second = MakeArchive("fc12.vxb", "Manual", 12);
    Register("Manual", 7, first);
    Register("Manual", 12, second);
    catalog.SetFailureReport(&failurePages);
    catalog.SetFirmCodeChooser(&chooser);
  }
  std::string Resolve(std::uint32_t& firmCode) {
    return catalog.ResolveArchive("Manual", firmCode, false, false);
  }

  request_url_tests::RecordingServices pages;
  ResolveFailurePages failurePages{pages};
  FirmCodeDialogChooser chooser;
  std::string first, second;
};

TEST_F(AmbiguousNameTest, SecondRequestAsksTheUserInCatalogOrder) {
  std::uint32_t firmCode = kNoFirmCode;
  EXPECT_EQ(Resolve(firmCode), "");
  ASSERT_EQ(pages.pages.size(), 1u);
  const request_url_tests::ArrangedPage& page5 = pages.pages[0];
  EXPECT_EQ(page5.page, 5u);
  ASSERT_EQ(page5.args.size(), 2u);
  EXPECT_EQ(page5.args[0], "Manual");
  EXPECT_TRUE(dialogs.firmCodeViews.empty());

  catalog.OpenArchiveKey("Manual", CKelProfiling::kCurrentUser, CKelProfiling::kReadOnly);
  const std::vector<std::uint32_t> catalogOrder = catalog.ListFirmCodes();
  EXPECT_EQ(page5.args[1], std::to_string(catalogOrder.front()));

  const int pick = catalogOrder[1] == 12 ? 1 : 0;
  dialogs.QueueFirmCodeAnswer(IDOK, pick);
  firmCode = kNoFirmCode;
  EXPECT_EQ(Resolve(firmCode), second);
  EXPECT_EQ(firmCode, 12u);
  ASSERT_EQ(dialogs.firmCodeViews.size(), 1u);
  std::vector<std::string> shown;
  for (std::uint32_t code : catalogOrder) shown.push_back(std::to_string(code));
  EXPECT_EQ(dialogs.firmCodeViews[0].entries, shown);
  EXPECT_EQ(dialogs.firmCodeViews[0].selection, 0);
  EXPECT_EQ(pages.pages.size(), 1u);
}

TEST_F(AmbiguousNameTest, CancelledChoiceGivesPage5Again) {
  std::uint32_t firmCode = kNoFirmCode;
  Resolve(firmCode);
  firmCode = kNoFirmCode;
  dialogs.QueueFirmCodeAnswer(IDCANCEL);
  EXPECT_EQ(Resolve(firmCode), "");
  ASSERT_EQ(pages.pages.size(), 2u);
  EXPECT_EQ(pages.pages[1].page, 5u);
}

TEST_F(AmbiguousNameTest, UnknownNameAndWrongFirmCodeGivePages3And4) {
  std::uint32_t firmCode = kNoFirmCode;
  EXPECT_EQ(catalog.ResolveArchive("Nothing", firmCode, false, false), "");
  firmCode = 5;
  EXPECT_EQ(Resolve(firmCode), "");
  ASSERT_EQ(pages.pages.size(), 2u);
  EXPECT_EQ(pages.pages[0], (request_url_tests::ArrangedPage{3, {"Nothing"}}));
  EXPECT_EQ(pages.pages[1], (request_url_tests::ArrangedPage{4, {"Manual", "5"}}));
}

}  // namespace
}  // namespace dialog_tests
