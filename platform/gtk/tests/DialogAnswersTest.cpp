// Dialogs answered and logged for tests that drive whole programs.
#include "platform/gtk/DialogAnswers.h"

#include "platform/gtk/GtkMessageBoxes.h"
#include "platform/tests/TempFolder.h"
#include "platform/gtk/tests/GtkTestSupport.h"

namespace {

TEST(DialogAnswers, DefaultButtonOrTheAnswerForTheTitleAndALogBadAnswersIgnored) {
  REQUIRE_GTK();
  TempFolder folder;
  const std::string log = folder / "log";
  DialogAnswers answers;
  EXPECT_TRUE(answers.TakeLine("dialogs " + log));
  EXPECT_TRUE(answers.TakeLine("answer 7 Second"));
  EXPECT_TRUE(answers.TakeLine("answer x Third"));  // bad answer lines are taken and ignored
  EXPECT_TRUE(answers.TakeLine("answer 3"));
  EXPECT_FALSE(answers.TakeLine("wait"));
  answers.Start();
  GtkMessageBoxes boxes;
  EXPECT_EQ(boxes.ShowMessageBox({"First", "a\r\nb", MB_YESNO | MB_DEFBUTTON2}), IDNO);
  EXPECT_EQ(boxes.ShowMessageBox({"Second", "c", MB_YESNO}), IDNO);
  EXPECT_EQ(boxes.ShowMessageBox({"Third", "d", MB_OKCANCEL}), IDOK);
  answers.Stop();
  EXPECT_EQ(TempFolder::ReadAll(log),
            "dialog=First\ntext=a|b\ndialog=Second\ntext=c\ndialog=Third\ntext=d\n");
}

TEST(DialogAnswers, DialogAskedAgainIsCancelled) {
  REQUIRE_GTK();
  DialogAnswers answers;
  answers.TakeLine("answer 1 Stays");
  answers.Start();
  GtkWidget* dialog = NewModalDialog("Stays");
  gtk_dialog_add_button(GTK_DIALOG(dialog), "_OK", IDOK);
  EXPECT_EQ(RunModalDialog(GTK_DIALOG(dialog)), IDOK);
  EXPECT_EQ(RunModalDialog(GTK_DIALOG(dialog)), GTK_RESPONSE_CANCEL);
  gtk_widget_destroy(dialog);
}

}  // namespace
