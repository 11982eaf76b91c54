// The reader's dialogs on a terminal: what is shown, how answers are read, and
// what an unattended front-end answers.
#include "reader/TerminalReaderDialogs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "reader/DlgFileSelect.h"
#include "reader/DlgFirmCode.h"
#include "reader/tests/DialogTestSupport.h"

namespace dialog_tests {
namespace {

// A terminal whose keyboard types INPUT and whose screen is kept as text.
class FakeTerminal {
 public:
  explicit FakeTerminal(const std::string& input) : m_input(input) {
    m_in = fmemopen(m_input.data(), m_input.size(), "r");
    m_out = open_memstream(&m_buffer, &m_size);
  }
  ~FakeTerminal() {
    std::fclose(m_in);
    std::fclose(m_out);
    std::free(m_buffer);
  }
  std::FILE* in() { return m_in; }
  std::FILE* out() { return m_out; }
  std::string Screen() {
    std::fflush(m_out);
    return std::string(m_buffer, m_size);
  }

 private:
  std::string m_input;
  std::FILE* m_in;
  std::FILE* m_out;
  char* m_buffer = nullptr;
  std::size_t m_size = 0;
};

bool Shows(const std::string& screen, const std::string& text) {
  return screen.find(text) != std::string::npos;
}

// What is typed (the dialog asks until it gets an answer it can use) and what
// an unattended front-end takes: the default button with the first entry.
TEST(TerminalFirmCodeTest, TakesTheNumberTypedOrTheDefault) {
  struct Case {
    const char* input;
    bool interactive;
    int result;
    std::uint32_t chosen;
  };
  const Case cases[] = {{"x\n9\n2\n", true, IDOK, 12}, {"\n", true, IDOK, 7},  {"", true, IDCANCEL, 0},
                        {"c\n", true, IDCANCEL, 0},     {"C\n", true, IDCANCEL, 0}, {"2\n", false, IDOK, 7}};
  const std::vector<std::uint32_t> codes{7, 12};
  for (const Case& c : cases) {
    FakeTerminal terminal(c.input);
    TerminalReaderDialogs frontEnd(terminal.in(), terminal.out(), c.interactive);
    DlgFirmCode dialog(codes);
    dialog.m_archiveName = "Manual";
    EXPECT_EQ(dialog.DoModal(frontEnd), c.result) << c.input;
    if (c.result == IDOK) {
      EXPECT_EQ(dialog.GetChosenFirmCode(), c.chosen) << c.input;
    }
    EXPECT_PRED2(Shows, terminal.Screen(),
                 "Stowra Firm Code Request\nMultiple Documents were found with name:\n  Manual\n"
                 "Please select the desired Firm Code:\n  1) 7  *\n  2) 12\n");
  }
}

class TerminalFileSelectTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    manual = MakeArchive("manual.vxb", "Manual", 7);
    Register("Manual", 7, files / "moved.vxb");
  }
  std::string manual;
};

TEST_F(TerminalFileSelectTest, PathCheckBoxAndOk) {
  FakeTerminal terminal(manual + "\ny\n\n");
  TerminalReaderDialogs frontEnd(terminal.in(), terminal.out(), true);
  DlgFileSelect dialog(files / "moved.vxb", "Manual", 7, catalog);
  EXPECT_EQ(dialog.DoModal(frontEnd), IDOK);
  EXPECT_EQ(dialog.GetFilePath(), manual);
  EXPECT_EQ(Doc("Manual", 7), manual);
  const std::string screen = terminal.Screen();
  EXPECT_PRED2(Shows, screen, "Document File not found\nFile: " + files / "moved.vxb" + "\nDocument: Manual\n");
  EXPECT_PRED2(Shows, screen, "Please enter a correct file path: [" + files / "moved.vxb" + "] ");
  EXPECT_PRED2(Shows, screen, "Update Registry with valid file (y/n) [n]? ");
  EXPECT_PRED2(Shows, screen, "(O)K, (F)ind..., (C)ancel [O]? ");
}

TEST_F(TerminalFileSelectTest, FindTypesANameThatGetsTheDefaultExtension) {
  EnterFilesFolder();
  FakeTerminal terminal("\n\nf\nmanual\n\nn\no\n");
  TerminalReaderDialogs frontEnd(terminal.in(), terminal.out(), true);
  DlgFileSelect dialog(files / "moved.vxb", "Manual", 7, catalog);
  EXPECT_EQ(dialog.DoModal(frontEnd), IDOK);
  EXPECT_EQ(dialog.GetFilePath(), manual);
  EXPECT_EQ(Doc("Manual", 7), files / "moved.vxb");
  EXPECT_PRED2(Shows, terminal.Screen(), "Select Stowra Document File\nFile name []: ");
}

TEST_F(TerminalFileSelectTest, WrongFileKeepsAskingUntilCancelled) {
  FakeTerminal terminal(files / "nothing.vxb" + "\nn\no\n\nn\nc\n");
  TerminalReaderDialogs frontEnd(terminal.in(), terminal.out(), true);
  DlgFileSelect dialog(files / "moved.vxb", "Manual", 7, catalog);
  EXPECT_EQ(dialog.DoModal(frontEnd), IDCANCEL);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].helpContext, 1001u);
  EXPECT_PRED2(Shows, terminal.Screen(), "[" + files / "nothing.vxb" + "] ");
}

TEST_F(TerminalFileSelectTest, UnattendedCancelsAndEndOfInputToo) {
  for (bool interactive : {false, true}) {
    FakeTerminal terminal("");
    TerminalReaderDialogs frontEnd(terminal.in(), terminal.out(), interactive);
    DlgFileSelect dialog(files / "moved.vxb", "Manual", 7, catalog);
    EXPECT_EQ(dialog.DoModal(frontEnd), IDCANCEL);
    EXPECT_PRED2(Shows, terminal.Screen(), "Document File not found");
  }
  EXPECT_TRUE(boxes.shown().empty());
}

}  // namespace
}  // namespace dialog_tests
