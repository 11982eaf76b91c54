#include "base/KelErrorMessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "MessageTestSupport.h"

namespace {

constexpr const char* kProgram = "vxbase_tests";

// The location of a file error, as file operations build it.
std::string FileLocation(const char* path) {
  const std::string args[] = {path};
  return SubstitutePlaceholders(std::string(LoadMessageText(55336)), args, 1);
}

class ReportTest : public MessageTest {
 protected:
  // Composes EXCEPTION in the one-line form without showing it.
  std::string OneLine(CKelException exception) {
    messages.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
    return messages.Report(&exception);
  }
  // Shows EXCEPTION in a message box and returns the box's text.
  std::string Box(CKelException exception) {
    messages.m_flags = CKelErrorMessage::kOutputMessageBox;
    EXPECT_STREQ(messages.Report(&exception), "");  // the box empties the output
    return boxes.shown().back().text;
  }

  CKelErrorMessage messages{nullptr, 0, "VK"};
};

TEST_F(ReportTest, FileErrorWithLocation) {
  CKelException corrupt(1031, " (bad topic length)", "", "", FileLocation("C:\\docs\\a.vxb"));
  EXPECT_EQ(OneLine(corrupt),
            "file \"C:\\docs\\a.vxb\": fatal error VK1031 - file is corrupt (bad topic length).");
  EXPECT_EQ(Box(corrupt),
            "File \"C:\\docs\\a.vxb\":\nFatal error VK1031 - \nFile is corrupt (bad topic length).");
  EXPECT_EQ(boxes.shown().back().caption, kProgram);
  EXPECT_EQ(boxes.shown().back().helpContext, 1031u);
  messages.m_caption = "Stowra Document Registration";  // a program may name the caption
  Box(corrupt);
  EXPECT_EQ(boxes.shown().back().caption, "Stowra Document Registration");
}

TEST_F(ReportTest, OneLineTextsOfCodesArgumentsAndPlaceholders) {
  const struct {
    const char* name;
    CKelException exception;
    const char* text;
  } cases[] = {
      {"fatal code without text", CKelException{1234, "ignored"}, "fatal error VK1000 - Undocumented/internal (1234)."},
      {"error code without text", CKelException{3999}, "error VK2000 - Undocumented/internal (3999)."},
      {"warning without text", CKelException{4711}, "warning VK4000 - Undocumented/internal (4711)."},
      {"generic error", CKelException{2000, "value %1 is odd", "7"}, "error - value 7 is odd."},
      {"generic fatal", CKelException{1000, "%1 and %2 and %3", "a", "b"}, "fatal error - a and b and b."},
      {"generic warning", CKelException{4000, "look: %2", "x", "y"}, "warning - look: y."},
      {"generic without text", CKelException{2000}, "error - Undocumented/internal (2000)."},
      {"placeholders", CKelException{2000, "100%% done, %4%A%Z.", "a", "b"}, "error - 100% done, .."},
      {"two arguments", CKelException{1025, "TEMP", "x:y", "unused"},
       "fatal error VK1025 - bad specification in environment variable TEMP: x:y."},
      // Arguments are not templates: a '%' in them stays.
      {"percent in arguments", CKelException{1001, "\"100%1.vxb\"", "", "", "at %1"},
       "at %1: fatal error VK1001 - file \"100%1.vxb\" not found."},
      {"location", CKelException{2001, "", "", "", "args"}, "args: error VK2001 - invalid option."},
  };
  for (const auto& c : cases) EXPECT_EQ(OneLine(c.exception), c.text) << c.name;
  EXPECT_EQ(Box(CKelException(1234)), "Fatal error VK1000 - \nUndocumented/internal (1234).");
  EXPECT_EQ(boxes.shown().back().helpContext, 1000u);
}

TEST_F(ReportTest, DefaultLocationStandsInForAMissingOneAndTheProgramNameComesFirst) {
  messages.m_defaultLocation = "manual.vxb";
  EXPECT_EQ(OneLine(CKelException(1030)), "manual.vxb: fatal error VK1030 - line too long.");
  EXPECT_EQ(OneLine(CKelException(1030, "", "", "", "own")), "own: fatal error VK1030 - line too long.");
  messages.m_defaultLocation = "\xC3\xA9tude";  // not ASCII: not capitalised in the box
  EXPECT_EQ(Box(CKelException(4003)), "\xC3\xA9tude:\nWarning VK4003 - \nFile has EXE header.");
  messages.m_defaultLocation = "";
  messages.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine |
                     CKelErrorMessage::kExecutableName;
  CKelException located(2001, "", "", "", "args");
  EXPECT_EQ(std::string(messages.Report(&located)),
            std::string(kProgram) + ", args: error VK2001 - invalid option.");
  CKelException plain(2001);
  EXPECT_EQ(std::string(messages.Report(&plain)),
            std::string(kProgram) + ": error VK2001 - invalid option.");
  messages.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kExecutableName;
  EXPECT_EQ(std::string(messages.Report(&plain)),
            "V" + std::string(kProgram + 1) + ":\nError VK2001 - \nInvalid option.");
}

TEST_F(ReportTest, IconsFollowTheSeverityAndAnswersGoInIt) {
  Box(CKelException(4003));
  EXPECT_EQ(boxes.shown().back().style, MB_ICONEXCLAMATION);
  Box(CKelException(1001, "x"));
  EXPECT_EQ(boxes.shown().back().style, MB_ICONSTOP);
  Box(CKelException(2001));
  EXPECT_EQ(boxes.shown().back().style, MB_ICONEXCLAMATION);
  EXPECT_EQ(messages.m_severity, 0);
  // A question puts the answer in the severity.
  boxes.QueueAnswer(IDNO);
  messages.m_buttons = MB_YESNO;
  Box(CKelException(4004));
  EXPECT_EQ(boxes.shown().back().style, MB_ICONEXCLAMATION | MB_YESNO);
  EXPECT_EQ(messages.m_severity, IDNO);
  EXPECT_EQ(messages.m_buttons, 0u);
  Box(CKelException(4004));  // the next report is a plain message again
  EXPECT_EQ(boxes.shown().back().style, MB_ICONEXCLAMATION);
  EXPECT_EQ(messages.m_severity, -1);
}

TEST_F(ReportTest, ShowMessageBoxReturnsTheButtonsInForce) {
  messages.m_buttons = MB_OKCANCEL | MB_ICONQUESTION;  // only the low four bits count
  EXPECT_EQ(messages.ShowMessageBox("text"), MB_OKCANCEL | MB_ICONQUESTION);
  EXPECT_EQ(boxes.shown().back().style & MB_TYPEMASK, MB_OKCANCEL);
  EXPECT_EQ(messages.m_severity, IDOK);
  EXPECT_EQ(messages.ShowMessageBox("text"), 0u);
}

TEST_F(ReportTest, ConsoleModeWritesALineToStandardOutput) {
  messages.m_flags = CKelErrorMessage::kOutputConsole | CKelErrorMessage::kOneLine;
  CKelException missing(1001, "a.vxb");
  testing::internal::CaptureStdout();
  std::string returned = messages.Report(&missing);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "fatal error VK1001 - file a.vxb not found.\n");
  EXPECT_EQ(returned, "fatal error VK1001 - file a.vxb not found.");
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(ReportTest, OutOfMemoryGoesToASystemModalBoxWhateverTheMode) {
  messages.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
  messages.m_severity = -1;
  CKelException outOfMemory(1014, "", "", "", "somewhere");
  EXPECT_STREQ(messages.Report(&outOfMemory), "");
  EXPECT_EQ(OnlyBox().text, "Fatal error VK1014 - no more RAM available.");
  EXPECT_EQ(OnlyBox().style, MB_SYSTEMMODAL | MB_ICONSTOP);
  EXPECT_EQ(OnlyBox().helpContext, 1014u);
  EXPECT_EQ(messages.m_severity, -1);
}

TEST_F(ReportTest, MessageIsCutAt1024BytesOnACharacterBoundary) {
  std::string longText = "x" + std::string(1100, 'a');
  EXPECT_EQ(OneLine(CKelException(2000, longText)), "error - " + longText.substr(0, 1016));
  std::string wide;
  for (int i = 0; i < 600; ++i) wide += "\xC3\xA9";
  std::string cut = OneLine(CKelException(2000, wide));
  EXPECT_EQ(cut, "error - " + wide.substr(0, 1016));
  // Half a character is left out; the closing full stop takes the byte left.
  EXPECT_EQ(OneLine(CKelException(2000, "x" + wide)), "error - x" + wide.substr(0, 1014) + ".");
}

// Texts and severity from built-in groups (flag 32) instead of the table.
const KelMessagePair kFatalPairs[] = {{1001, "no file %1"}, {1500, "tool %1 broken"}};
const KelMessagePair kSeverePairs[] = {{1600, "severe %1"}};
const KelMessagePair kErrorPairs[] = {{2100, "bad %1"}, {4003, "misplaced warning"}};
const KelMessagePair kWarningPairs[] = {{4003, "exe header in %1"}, {1600, "never"}};
const KelMessageGroup kGroups[] = {
    {kWarningPairs, 2, -1}, {kFatalPairs, 2, 1}, {kErrorPairs, 2, 0}, {kSeverePairs, 1, 2}};

std::string_view RenamedWords(unsigned number) {
  return number == 55299 ? "KAPUTT" : number == 55296 ? "UNDOC %1" : "";
}

class BuiltInGroupsTest : public MessageTest {
 protected:
  std::string OneLine(CKelException exception) {
    messages.m_flags |= CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
    return messages.Report(&exception);
  }
  CKelErrorMessage messages{kGroups, 4};
};

TEST_F(BuiltInGroupsTest, TextsAndSeverityComeFromTheGroups) {
  SetMessageTable(&RenamedWords);  // the table's words are not used
  EXPECT_EQ(OneLine(CKelException(1001, "x")), "fatal error VK1001 - no file x.");
  EXPECT_EQ(OneLine(CKelException(2100, "y")), "error VK2100 - bad y.");
  EXPECT_EQ(OneLine(CKelException(4003, "z")), "warning VK4003 - exe header in z.");
  // Severity 2 is searched for fatal codes and becomes the message's severity.
  EXPECT_EQ(OneLine(CKelException(1600, "w")), "fatal error VK1600 - severe w.");
  EXPECT_EQ(messages.m_severity, 2);
  // A code missing from the groups of its severity has no text.
  EXPECT_EQ(OneLine(CKelException(1002, "x")), "fatal error VK1000 - undocumented/internal (1002).");
  EXPECT_EQ(OneLine(CKelException(2003)), "error VK2000 - undocumented/internal (2003).");
}

TEST_F(BuiltInGroupsTest, WithoutFlag32TheTableGivesWordsAndTexts) {
  SetMessageTable(&RenamedWords);
  CKelErrorMessage fromTable;
  fromTable.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
  CKelException unknown(1001, "x");
  EXPECT_STREQ(fromTable.Report(&unknown), "KAPUTT VK1000 - UNDOC 1001.");
}

// The registrar carries no table: every code is told by the rule for codes
// without text, with the built-in words and text in place of the table's.
TEST_F(ReportTest, WithoutTableEveryCodeIsUndocumented) {
  SetMessageTable(nullptr);
  EXPECT_EQ(OneLine(CKelException(1001, "a.vxb", "", "", "here")),
            "here: fatal error VK1000 - undocumented/internal (1001).");
  EXPECT_EQ(OneLine(CKelException(2000, "generic %1", "still")), "error - generic still.");
  EXPECT_EQ(Box(CKelException(4004)), "Warning VK4000 - \nUndocumented/internal (4004).");
  CKelException outOfMemory(1014);
  messages.Report(&outOfMemory);
  EXPECT_EQ(boxes.shown().back().text, "Fatal error VK1014 - undocumented/internal (1014).");
}

}  // namespace
