// Hostile input: very long texts, unterminated quotes, control characters and
// bytes above 0x7F give errors (CKelException), never crashes or reads past
// the end of the text (run under the sanitizer build).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/KelCmdParse.h"
#include "base/KelException.h"
#include "base/KelFileSpecList.h"

namespace {

// Knows /a, /v with a number and /o with a string, like a program's parser.
class HostileCmdParse : public CKelCmdParse {
 public:
  using CKelCmdParse::CKelCmdParse;

 protected:
  bool HandleOption() override {
    std::string text;
    switch (m_current) {
      case 'a': return true;
      case 'v': ReadNumber(4 | 8, 0); return true;
      case 'o': ReadString(text, 1 | 0x10, 255); return true;
      case 'i': {
        CKelFileSpecList list;
        ParseFileSpecList(list, ".vxb", 0x100 | 0x8000, true, nullptr);
        return true;
      }
      default: return false;
    }
  }
};

// Runs every primitive on TEXT (each on a fresh copy, so that a sanitizer sees
// a read past its end); only CKelException may come out.
void RunEveryPrimitive(const std::string& text) {
  using Step = void (*)(CKelCmdParse&);
  static const Step steps[] = {
      [](CKelCmdParse& p) { p.ReadKeyword("list\tlink\tregserver", 1); },
      [](CKelCmdParse& p) { p.ReadDecimal(1, 0); },
      [](CKelCmdParse& p) { p.ReadSigned(1, 0); },
      [](CKelCmdParse& p) { p.ReadNumber(8, 0); },
      [](CKelCmdParse& p) { BYTE b[6]; p.ReadHexBytes(b, 6, 4); },
      [](CKelCmdParse& p) { GUID g; p.ReadGuid(g, 1); },
      [](CKelCmdParse& p) { std::string s; p.ReadString(s, 1 | 0x40, 0); },
      [](CKelCmdParse& p) { std::string s; p.ReadString(s, 0x20 | 0x10, 64); },
      [](CKelCmdParse& p) { std::string s; unsigned k; p.ReadFileSpec(s, 1 | 0x100, &k, ".vxb", nullptr); },
      [](CKelCmdParse& p) { std::string s; unsigned k; p.ReadFileSpec(s, 0x400, &k, nullptr, nullptr); },
      [](CKelCmdParse& p) { CKelFileSpecList l; p.ParseFileSpecList(l, nullptr, 0x100, true, nullptr); },
      [](CKelCmdParse& p) { p.CheckServerSwitch(); },
      [](CKelCmdParse& p) { p.MarkTokenEnd(1); p.GetToken(3); },
  };
  for (Step step : steps) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::copy(text.begin(), text.end(), copy.get());
    copy[text.size()] = '\0';
    HostileCmdParse p(copy.get());
    try {
      step(p);
      p.ParseOptions();
    } catch (CKelException* e) {
      EXPECT_GE(e->m_code, 1000u);
      EXPECT_LT(e->m_code, 2200u);
      e->Delete();
    }
  }
}

TEST(HostileInputTest, VeryLongTexts) {
  for (char c : {'a', '9', '"', '\\', '/', ' ', '*', ':', '\xA0', '\xFF'}) {
    RunEveryPrimitive(std::string(100000, c));
  }
  RunEveryPrimitive("\"" + std::string(100000, 'x'));
  RunEveryPrimitive("/o:" + std::string(5000, 'x'));
  RunEveryPrimitive("/i " + std::string(300, 'x'));
}

TEST(HostileInputTest, UnterminatedQuotesAndDanglingEscapes) {
  for (const char* text : {"\"", "\"abc", "\"a\\", "\\", "\"\"\"", "/o:\"abc", "/i \"a b",
                           "{0000", "0x", "-", "/", "a.vxb /", "\"ab\" \"", "\\x", "\\1"}) {
    RunEveryPrimitive(text);
  }
}

TEST(HostileInputTest, ControlCharactersAndHighBytes) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  RunEveryPrimitive(all);
  for (int c = 1; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    RunEveryPrimitive(one);
    RunEveryPrimitive("\"" + one + "\"");
    RunEveryPrimitive("/" + one);
    RunEveryPrimitive("\\" + one);
  }
}

TEST(HostileInputTest, RandomTextsFromTheGrammarsAlphabet) {
  const std::string alphabet = "/-\"\\ \t\r\n{}:*?.<>|0123456789abcdefxXsS\xA0\xC2\xC3\x80\x01";
  std::mt19937 random(20041014);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    RunEveryPrimitive(text);
  }
}

}  // namespace
