#include "platform/UserInterface.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>

namespace {

TEST(MessageBoxStyle, AnswersAndDefaultFollowTheButtonSet) {
  const struct {
    DWORD style;
    std::vector<int> answers;
    int defaultAnswer;
  } cases[] = {
      {MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL, {IDOK}, IDOK},
      {MB_OKCANCEL | MB_ICONQUESTION, {IDOK, IDCANCEL}, IDOK},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, {IDYES, IDNO, IDCANCEL}, IDCANCEL},
      {MB_YESNO | MB_ICONSTOP, {IDYES, IDNO}, IDYES},
      {MB_YESNO | MB_DEFBUTTON2, {IDYES, IDNO}, IDNO},
      {MB_YESNO | MB_DEFBUTTON3, {IDYES, IDNO}, IDYES},  // no third button
      {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, IDRETRY},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageBoxAnswers(c.style), c.answers) << std::hex << c.style;
    EXPECT_EQ(DefaultMessageBoxAnswer(c.style), c.defaultAnswer) << std::hex << c.style;
  }
}

// Runs a terminal box with INPUT typed at the prompt; returns the answer and
// leaves what was written in OUTPUT.
int AskTerminal(const std::string& input, DWORD style, std::string& output,
                bool interactive = true) {
  std::FILE* in = std::tmpfile();
  std::fputs(input.c_str(), in);
  std::rewind(in);
  char* written = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&written, &size);
  TerminalMessageBoxes terminal(in, out, interactive);
  int answer = terminal.ShowMessageBox({"vxstreg", "Register?\nAll users", style, 2001});
  std::fclose(out);
  std::fclose(in);
  output.assign(written, size);
  std::free(written);
  return answer;
}

TEST(TerminalMessageBoxes, AsksUntilTheAnswerIsAButtonOrTakesTheDefault) {
  const std::string box = "vxstreg: Register?\nAll users\n";
  const std::string okCancel = "(O)K, (C)ancel [O]? ";
  const struct {
    const char* input;
    DWORD style;
    bool interactive;
    int answer;
    std::string output;  // empty: not checked
  } cases[] = {
      {"n\n", MB_YESNOCANCEL, true, IDNO, box + "(Y)es, (N)o, (C)ancel [Y]? "},
      {"  cancel\n", MB_YESNOCANCEL, true, IDCANCEL, ""},
      {"y", MB_YESNO | MB_DEFBUTTON2, true, IDYES, ""},
      {"x\nmaybe\no\n", MB_OKCANCEL, true, IDOK, box + okCancel + okCancel + okCancel},  // asked again
      {"\n", MB_YESNO | MB_DEFBUTTON2, true, IDNO, ""},  // an empty line: the default
      {"", MB_YESNOCANCEL | MB_DEFBUTTON3, true, IDCANCEL, ""},  // end of input: the default
      {"x", MB_YESNO, true, IDYES, ""},
      {"n\n", MB_YESNO | MB_DEFBUTTON2, false, IDNO, box},  // no terminal: nothing read
      {"c\n", MB_OK | MB_ICONSTOP, true, IDOK, box},  // no question: nothing read
  };
  for (const auto& c : cases) {
    std::string output;
    EXPECT_EQ(AskTerminal(c.input, c.style, output, c.interactive), c.answer) << c.input << " " << c.style;
    if (!c.output.empty()) {
      EXPECT_EQ(output, c.output) << c.input << " " << c.style;
    }
  }
}

TEST(NonInteractiveMessageBoxes, SilentOnesWriteTheTextAndAnswerTheDefaultScriptedOnesRecord) {
  char* written = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&written, &size);
  SilentMessageBoxes silent(out);
  EXPECT_EQ(silent.ShowMessageBox({"", "Fatal error VK1001 -\nFile x not found.",
                                   MB_YESNO | MB_DEFBUTTON2, 1001}),
            IDNO);
  std::fclose(out);
  EXPECT_EQ(std::string(written, size), "Fatal error VK1001 -\nFile x not found.\n");
  std::free(written);
  // Scripted boxes are recorded and answered from the queue.
  ScriptedMessageBoxes scripted;
  scripted.QueueAnswer(IDNO);
  SetMessageBoxFrontEnd(&scripted);
  EXPECT_EQ(MessageBoxA("first", "cap", MB_YESNO | MB_ICONQUESTION, 7), IDNO);
  EXPECT_EQ(MessageBoxA("second", nullptr, MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
  SetMessageBoxFrontEnd(nullptr);
  ASSERT_EQ(scripted.shown().size(), 2u);
  const ScriptedMessageBoxes::Shown& first = scripted.shown()[0];
  EXPECT_EQ(std::tie(first.caption, first.text, first.style, first.helpContext),
            std::make_tuple("cap", "first", MB_YESNO | MB_ICONQUESTION, 7u));
  EXPECT_EQ(scripted.shown()[1].caption, "");
}

class FrontEndChoice : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("VXST_UI");
    RegisterGraphicalMessageBoxes(nullptr);
  }
  static bool OnTerminal() { return isatty(STDIN_FILENO) && isatty(STDERR_FILENO); }
};

TEST_F(FrontEndChoice, VxstUiNamesTheFrontEnd) {
  setenv("VXST_UI", "none", 1);
  EXPECT_EQ(ChooseUserInterface(true), UserInterfaceKind::None);
  EXPECT_NE(dynamic_cast<SilentMessageBoxes*>(&CurrentMessageBoxFrontEnd()), nullptr);
  setenv("VXST_UI", "terminal", 1);
  EXPECT_EQ(ChooseUserInterface(true), UserInterfaceKind::Terminal);
  EXPECT_NE(dynamic_cast<TerminalMessageBoxes*>(&CurrentMessageBoxFrontEnd()), nullptr);
  ScriptedMessageBoxes graphical;
  RegisterGraphicalMessageBoxes(&graphical);
  setenv("VXST_UI", "gtk", 1);
  EXPECT_EQ(&CurrentMessageBoxFrontEnd(), &graphical);
  // A script is the terminal reading answers from standard input.
  setenv("VXST_UI", "script", 1);
  EXPECT_EQ(ChooseUserInterface(true), UserInterfaceKind::Terminal);
  EXPECT_TRUE(AnswersFromStandardInput());
  EXPECT_NE(dynamic_cast<TerminalMessageBoxes*>(&CurrentMessageBoxFrontEnd()), nullptr);
  setenv("VXST_UI", "none", 1);
  EXPECT_EQ(AnswersFromStandardInput(), isatty(STDIN_FILENO) != 0);
}

TEST_F(FrontEndChoice, WithoutTerminalTheGraphicalFrontEndOrNone) {
  if (OnTerminal()) GTEST_SKIP() << "run from a terminal";
  EXPECT_EQ(ChooseUserInterface(false), UserInterfaceKind::None);
  setenv("VXST_UI", "gtk", 1);  // nobody registered one
  EXPECT_EQ(ChooseUserInterface(false), UserInterfaceKind::None);
  unsetenv("VXST_UI");
  ScriptedMessageBoxes graphical;
  RegisterGraphicalMessageBoxes(&graphical);
  EXPECT_EQ(&CurrentMessageBoxFrontEnd(), &graphical);
  MessageBoxA("shown", "cap", MB_OK);
  EXPECT_EQ(graphical.shown().size(), 1u);
}

}  // namespace
