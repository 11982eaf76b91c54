// Options of command lines: handlers, their errors and error locations.
#include <gtest/gtest.h>

#include <vector>

#include "ParseTestSupport.h"
#include "base/KelApp.h"
#include "base/KelCmdParse.h"
#include "base/KelErrorMessage.h"

namespace {

// Knows /a (no argument), /v with one digit and /o with an argument behind ':'.
class TestCmdParse : public CKelCmdParse {
 public:
  using CKelCmdParse::CKelCmdParse;
  std::string seen;
  std::vector<std::string> reported;
  bool reportErrors = false;

 protected:
  bool HandleOption() override {
    switch (m_current) {
      case 'a':
        seen += 'a';
        return true;
      case 'v':
        if (AtEnd() || IsBlankAt(m_pCursor)) ThrowAtToken(2003);
        if (*m_pCursor < '0' || *m_pCursor > '4') ThrowAtToken(2002);
        seen += *m_pCursor++;
        return true;
      case 'o': {
        if (*m_pCursor != ':') ThrowAtToken(2023);
        ++m_pCursor;
        std::string argument;
        ReadString(argument, 0x10, 255);
        seen += "o=" + argument;
        return true;
      }
      case 'f':
        CKelException::Throw(1001, "x.vxb");
      default:
        return false;
    }
  }
  void OnOptionError(CKelException* e) override {
    if (!reportErrors) CKelCmdParse::OnOptionError(e);
    reported.push_back(std::to_string(e->m_code) + " " + e->m_location);
  }
};

TEST(ParseOptionsTest, HandlesOptionsUpToTheFirstOtherWord) {
  TestCmdParse p(" /a -A /v3/o:name  rest of line");
  EXPECT_EQ(p.ParseOptions(), 'r');
  EXPECT_EQ(p.seen, "aa3o=name");
  EXPECT_STREQ(p.GetCursor(), "rest of line");
  TestCmdParse end("/a  ");
  EXPECT_EQ(end.ParseOptions(), 0);
  TestCmdParse dash("-a /a");
  dash.SetOptionChars("-");
  EXPECT_EQ(dash.ParseOptions(), '/');
  EXPECT_EQ(dash.seen, "a");
}

TEST(ParseOptionsTest, ErrorsNameTheOption) {
  const struct {
    const char* text;
    SyntaxError error;
  } cases[] = {
      {"/q", {2001, "/q", "option /q"}},  // unknown
      {"/a /Qxyz-b", {2001, "/Qxyz", "option /Qxyz"}},
      {"/", {2001, "/", "option /"}},
      {"/ax", {2002, "/ax", "option /ax"}},  // text glued behind an option
      {"/v5", {2002, "/v5", "option /v5"}},
      {"/v", {2003, "/v", "option /v"}},  // missing argument
      {"/v/a", {2003, "/v", "option /v"}},  // a bad argument where the next option begins
      {"/q123456789012345678901234567890",
       {2001, "/q123456789012345678901234567890", "option /q1234567890123456789012345..."}},
  };
  for (const auto& c : cases) {
    TestCmdParse p(c.text);
    EXPECT_EQ(CatchError([&] { p.ParseOptions(); }), c.error) << c.text;
  }
  CKelCmdParse refusing("/x");  // the default handler refuses every option
  EXPECT_EQ(CatchError([&] { refusing.ParseOptions(); }), (SyntaxError{2023, "/x", "option /x"}));
  TestCmdParse file("/f");  // file errors pass untouched
  EXPECT_EQ(CatchError([&] { file.ParseOptions(); }), (SyntaxError{1001, "x.vxb", ""}));
  EXPECT_EQ(file.GetLastErrorCode(), 0u);
}

TEST(ParseOptionsTest, HandledErrorsAreRememberedAndParsingGoesOn) {
  TestCmdParse p("/q /v9 /a");
  p.reportErrors = true;
  EXPECT_EQ(p.ParseOptions(), 0);
  EXPECT_EQ(p.seen, "a");
  EXPECT_EQ(p.reported, (std::vector<std::string>{"2001 option /q", "2002 option /v9"}));
  EXPECT_EQ(p.GetLastErrorCode(), 2002u);
}

TEST(CheckServerSwitchTest, WholeWordsCaseIgnoredCursorKept) {
  const char text[] = "  /RegServer";
  CKelCmdParse p(text);
  EXPECT_EQ(p.CheckServerSwitch(), 1);
  EXPECT_EQ(p.GetCursor(), text);
  const std::pair<const char*, int> cases[] = {{"-unregserver /x", 0}, {"/reg", 2}, {"/regserverx", 2},
                                                {"/regserver2", 2}, {"regserver", 2}, {"", 2}};
  for (const auto& [other, kind] : cases) EXPECT_EQ(CKelCmdParse(other).CheckServerSwitch(), kind) << other;
}

const KelAppDescriptor kDescriptor = {"Test Frame", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS",
                                      0x300};

TEST(OptionMessageTest, HandlerSeesTheOptionAsDefaultLocation) {
  CKelApp app{&kDescriptor};
  app.SetErrorMessage(new CKelErrorMessage(nullptr, 0, "VK"));
  struct Reporting : TestCmdParse {
    using TestCmdParse::TestCmdParse;
    std::string during;
    void OnOptionError(CKelException*) override {
      during = CKelApp::GetFrame()->GetErrorMessage()->m_defaultLocation;
    }
  } p("/q");
  p.ParseOptions();
  EXPECT_EQ(p.during, "option /q");
  EXPECT_EQ(app.GetErrorMessage()->m_defaultLocation, "");
}

}  // namespace
