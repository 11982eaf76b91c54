// The firm-code dialog: the list in the order given with the first selected,
// and the choice read back.
#include "reader/DlgFirmCode.h"

#include <gtest/gtest.h>

#include "reader/FirmCodeDialogChooser.h"
#include "reader/ScriptedReaderDialogs.h"

namespace dialog_tests {
namespace {

// The list in the order given with the first selected; OK keeps the selected
// entry; an empty list cannot be confirmed.
TEST(DlgFirmCodeTest, ListsInTheOrderGivenAndOkKeepsTheSelectedEntry) {
  const std::vector<std::uint32_t> codes{12, 7, 4294967295u, 0};
  DlgFirmCode dialog(codes);
  dialog.m_archiveName = "Manual";
  dialog.OnInitDialog();
  EXPECT_EQ(dialog.GetEntries(), (std::vector<std::string>{"12", "7", "4294967295", "0"}));
  EXPECT_EQ(dialog.GetSelection(), 0);
  EXPECT_EQ(dialog.m_nIDTemplate, 201u);
  EXPECT_TRUE(dialog.Select(1));
  EXPECT_FALSE(dialog.Select(4));
  EXPECT_FALSE(dialog.Select(-1));
  EXPECT_EQ(dialog.GetSelection(), 1);
  dialog.OnOK();
  EXPECT_TRUE(dialog.IsEnded());
  EXPECT_EQ(dialog.GetResult(), IDOK);
  EXPECT_EQ(dialog.m_selectedEntry, "7");
  EXPECT_EQ(dialog.GetChosenFirmCode(), 7u);

  const std::vector<std::uint32_t> none;
  DlgFirmCode empty(none);
  empty.OnInitDialog();
  EXPECT_EQ(empty.GetSelection(), -1);
  empty.OnOK();
  EXPECT_FALSE(empty.IsEnded());
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

}  // namespace
}  // namespace dialog_tests
