// Message boxes as GTK dialogs: what they show and the answer passed back.
#include "platform/gtk/GtkMessageBoxes.h"

#include <vector>

#include "platform/gtk/tests/GtkTestSupport.h"

namespace {

// The answers DIALOG has buttons for, by number.
std::vector<int> ButtonAnswers(GtkDialog* dialog) {
  std::vector<int> answers;
  for (int answer = IDOK; answer <= IDNO; ++answer)
    if (gtk_dialog_get_widget_for_response(dialog, answer)) answers.push_back(answer);
  return answers;
}

TEST(GtkMessageBoxes, ShowsCaptionTextAndButtonsPassesTheAnswerAndGoes) {
  REQUIRE_GTK();
  ScriptedUser user;
  std::string title, text;
  std::vector<int> answers;
  user.Then([&](GtkDialog* dialog) {
    title = gtk_window_get_title(GTK_WINDOW(dialog));
    gchar* shown = nullptr;
    g_object_get(dialog, "text", &shown, nullptr);
    text = shown;
    g_free(shown);
    answers = ButtonAnswers(dialog);
    return IDNO;
  });
  GList* before = gtk_window_list_toplevels();
  GtkMessageBoxes boxes;
  EXPECT_EQ(boxes.ShowMessageBox({"stow", "Error Number 1600\r\n\nx\r\ny z", MB_YESNOCANCEL | MB_ICONQUESTION}),
            IDNO);
  EXPECT_EQ(title, "stow");
  EXPECT_EQ(text, "Error Number 1600\n\nx\ny z");
  EXPECT_EQ(answers, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
  EXPECT_EQ(user.unexpected, 0);
  GList* after = gtk_window_list_toplevels();  // the box is destroyed after the answer
  EXPECT_EQ(g_list_length(after), g_list_length(before));
  g_list_free(after);
  g_list_free(before);
}

// A closed box answers Cancel or else the default; an answer outside the buttons is never passed on.
TEST(GtkMessageBoxes, ClosedBoxOrForeignAnswer) {
  REQUIRE_GTK();
  const struct {
    int response;
    DWORD style;
    int answer;
  } cases[] = {
      {GTK_RESPONSE_DELETE_EVENT, MB_OKCANCEL, IDCANCEL},
      {GTK_RESPONSE_DELETE_EVENT, MB_OK, IDOK},
      {GTK_RESPONSE_DELETE_EVENT, MB_YESNO | MB_DEFBUTTON2, IDNO},
      {IDRETRY, MB_YESNO, IDYES},
  };
  for (const auto& c : cases) {
    ScriptedUser user;
    user.Then([&](GtkDialog*) { return c.response; });
    EXPECT_EQ(GtkMessageBoxes().ShowMessageBox({"c", "t", c.style}), c.answer) << c.response << " " << c.style;
  }
}

}  // namespace
