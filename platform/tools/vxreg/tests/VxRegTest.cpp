#include "platform/tools/vxreg/VxRegCommand.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/tests/ScratchRegistry.h"
#include "platform/tests/TempFolder.h"

namespace {

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

class VxReg : public ScratchRegistry {
 protected:
  static Outcome Run(std::vector<std::string> args, const std::string& answers = "") {
    std::istringstream in(answers);
    std::ostringstream out, err;
    const int code = RunVxReg(args, VxRegStreams{in, out, err});
    return Outcome{code, out.str(), err.str()};
  }
  static void Fill() {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"add", "HKCU\\Software\\Docs\\Manual\\FC10", "/v", "Doc", "/d", "/home/a/manual.vxb"},
             {"add", "HKCU\\Software\\Docs\\Manual\\FC10", "/v", "Count", "/t", "REG_DWORD", "/d", "0x1F"},
             {"add", "HKCU\\Software\\Docs", "/ve", "/d", "catalog"},
             {"add", "HKCU\\Software\\Docs", "/v", "List", "/t", "reg_multi_sz", "/d", "one\\0two"},
             {"add", "HKCU\\Software\\Docs", "/v", "Raw", "/t", "REG_BINARY", "/d", "00ff7A"},
             {"add", "HKCU\\Software\\Docs", "/v", "Path", "/t", "REG_EXPAND_SZ", "/d", "%HOME%/x"},
             {"add", "HKCU\\Software\\Docs\\Empty"},
         }) {
      ASSERT_EQ(Run(args).code, kVxRegDone);
    }
  }
};

TEST_F(VxReg, QueryPrintsTheKeyItsValuesAndItsSubkeysEveryKeyOrOneValue) {
  Fill();
  const std::string docs =
      "HKEY_CURRENT_USER\\Software\\Docs\n"
      "    (Default)    REG_SZ    catalog\n"
      "    List    REG_MULTI_SZ    one\\0two\n"
      "    Path    REG_EXPAND_SZ    %HOME%/x\n"
      "    Raw    REG_BINARY    00FF7A\n"
      "\n";
  const std::string fc10 = "HKEY_CURRENT_USER\\Software\\Docs\\Manual\\FC10\n";
  const std::string doc = "    Doc    REG_SZ    /home/a/manual.vxb\n\n";
  const struct {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"query", "HKCU\\Software\\Docs"},
       docs + "HKEY_CURRENT_USER\\Software\\Docs\\Empty\nHKEY_CURRENT_USER\\Software\\Docs\\Manual\n"},
      {{"query", "hkey_current_user\\Software\\Docs\\", "/S"},
       docs + "HKEY_CURRENT_USER\\Software\\Docs\\Empty\n\nHKEY_CURRENT_USER\\Software\\Docs\\Manual\n\n" +
           fc10 + "    Count    REG_DWORD    0x1f\n" + doc},
      {{"query", "HKCU\\Software\\Docs\\Manual\\FC10", "/v", "DOC"}, fc10 + doc},
      {{"query", "HKCU\\Software", "/v", "Doc", "/s"}, fc10 + doc},
      {{"query", "HKCU\\Software\\Docs", "/ve"},
       "HKEY_CURRENT_USER\\Software\\Docs\n    (Default)    REG_SZ    catalog\n\n"},
      {{"query", "HKCU\\Software\\Docs\\Empty", "/ve"},
       "HKEY_CURRENT_USER\\Software\\Docs\\Empty\n    (Default)    REG_SZ    (value not set)\n\n"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(outcome.code, kVxRegDone) << ::testing::PrintToString(c.args);
    EXPECT_EQ(outcome.out, c.out) << ::testing::PrintToString(c.args);
    EXPECT_EQ(outcome.err, "") << ::testing::PrintToString(c.args);
  }
  const Outcome missing = Run({"query", "HKCU\\Software\\Docs", "/v", "Nothing"});
  EXPECT_EQ(missing.code, kVxRegFailed);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "ERROR: The system was unable to find the specified registry key or value.\n");
}

TEST_F(VxReg, BadCommandLinesFailWithExitCodeTwoMissingKeysWithOne) {
  const std::vector<std::vector<std::string>> bad = {
      {}, {"list", "HKCU"}, {"query"}, {"query", "HKCU", "HKLM"}, {"query", "HKXX\\Software"},
      {"query", "HKU\\S-1-5"}, {"query", "HKCU\\a\\\\b"}, {"query", "HKCU", "/t", "REG_SZ"},
      {"query", "HKCU", "/v"}, {"query", "HKCU", "/v", "a", "/ve"},
      {"add", "HKCU\\x", "/t", "REG_WORD"},
      {"add", "HKCU\\x", "/t", "REG_DWORD", "/d", "4294967296"},
      {"add", "HKCU\\x", "/t", "REG_DWORD", "/d", "-1"},
      {"add", "HKCU\\x", "/t", "REG_BINARY", "/d", "0g"},
      {"add", "HKCU\\x", "/t", "REG_BINARY", "/d", "abc"}, {"delete", "HKCU", "/f"},
      {"delete", "HKCU\\x", "/va", "/v", "a"}, {"export", "HKCU"},
  };
  for (const std::vector<std::string>& args : bad) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.code, kVxRegBadCommand) << ::testing::PrintToString(args);
    EXPECT_EQ(outcome.err.rfind("ERROR: Invalid syntax: ", 0), 0u) << outcome.err;
  }
  EXPECT_FALSE(std::filesystem::exists(Folder() + "/user.db")) << "a refused command wrote something";
  // Missing keys fail with exit code one.
  const Outcome missing = Run({"query", "HKLM\\Software\\Nowhere"});
  EXPECT_EQ(missing.code, kVxRegFailed);
  EXPECT_EQ(missing.err, "ERROR: The system was unable to find the specified registry key or value.\n");
  EXPECT_EQ(Run({"delete", "HKCU\\Nowhere", "/f"}).code, kVxRegFailed);
  EXPECT_EQ(Run({"export", "HKCU\\Nowhere", Folder() + "/x.reg"}).code, kVxRegFailed);
  EXPECT_FALSE(std::filesystem::exists(Folder() + "/x.reg"));
}

TEST_F(VxReg, AddStoresTheBytesOfEachType) {
  ASSERT_EQ(Run({"add", "HKCU\\T", "/v", "N", "/t", "REG_DWORD", "/d", "4294967295"}).code, kVxRegDone);
  ASSERT_EQ(Run({"add", "HKCU\\T", "/v", "Q", "/t", "REG_QWORD", "/d", "0x100000000"}).code, kVxRegDone);
  ASSERT_EQ(Run({"add", "HKCU\\T", "/v", "M", "/t", "REG_MULTI_SZ", "/d", "a\\0\\0b"}).code, kVxRegDone);
  ASSERT_EQ(Run({"add", "HKCU\\T", "/v", "E", "/t", "REG_BINARY"}).code, kVxRegDone);
  EXPECT_EQ(Run({"query", "HKCU\\T"}).out,
            "HKEY_CURRENT_USER\\T\n"
            "    E    REG_BINARY    \n"
            "    M    REG_MULTI_SZ    a\n"
            "    N    REG_DWORD    0xffffffff\n"
            "    Q    REG_QWORD    0x100000000\n\n");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "T", "M"), std::string("a\0\0b\0", 5));
}

TEST_F(VxReg, OverwritingAsksUnlessForced) {
  ASSERT_EQ(Run({"add", "HKCU\\K", "/v", "V", "/d", "first"}).code, kVxRegDone);
  const Outcome declined = Run({"add", "HKCU\\K", "/v", "v", "/d", "second"}, "no\n");
  EXPECT_EQ(declined.code, kVxRegFailed);
  EXPECT_EQ(declined.out, "Value v exists, overwrite (Yes/No)? The operation was cancelled.\n");
  EXPECT_EQ(Run({"add", "HKCU\\K", "/v", "V", "/d", "second"}).code, kVxRegFailed);  // no answer at all
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "K", "V"), "first");
  EXPECT_EQ(Run({"add", "HKCU\\K", "/v", "V", "/d", "second"}, "Yes\n").code, kVxRegDone);
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "K", "V"), "second");
  EXPECT_EQ(Run({"add", "HKCU\\K", "/v", "V", "/d", "third", "-F"}).out, "The operation completed successfully.\n");
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, "K", "V"), "third");
}

TEST_F(VxReg, DeleteRemovesKeysAndValuesAfterConfirmation) {
  Fill();
  const Outcome kept = Run({"delete", "HKCU\\Software\\Docs\\Manual"}, "n\n");
  EXPECT_EQ(kept.code, kVxRegFailed);
  EXPECT_EQ(kept.out,
            "Permanently delete the registry key HKEY_CURRENT_USER\\Software\\Docs\\Manual (Yes/No)? "
            "The operation was cancelled.\n");
  EXPECT_EQ(Run({"delete", "HKCU\\Software\\Docs\\Manual"}, "y\n").code, kVxRegDone);
  EXPECT_EQ(Run({"query", "HKCU\\Software\\Docs\\Manual"}).code, kVxRegFailed);
  EXPECT_EQ(Run({"delete", "HKCU\\Software\\Docs", "/v", "raw", "/f"}).code, kVxRegDone);
  EXPECT_EQ(Run({"delete", "HKCU\\Software\\Docs", "/v", "raw", "/f"}).code, kVxRegFailed);
  EXPECT_EQ(Run({"delete", "HKCU\\Software\\Docs", "/ve", "/f"}).code, kVxRegDone);
  EXPECT_EQ(Run({"delete", "HKCU\\Software\\Docs", "/va", "/f"}).code, kVxRegDone);
  EXPECT_EQ(Run({"query", "HKCU\\Software\\Docs"}).out,
            "HKEY_CURRENT_USER\\Software\\Docs\n\nHKEY_CURRENT_USER\\Software\\Docs\\Empty\n");
}

TEST_F(VxReg, ExportWritesARegFileWrapsLongHexDataAndKeepsOddTextsExact) {
  Fill();
  ASSERT_EQ(Run({"add", "HKCU\\Software\\Docs\\Manual", "/v", "Quote \"x\"", "/d", "C:\\dir\\a.vxb"}).code, kVxRegDone);
  const std::string file = Folder() + "/docs.reg";
  ASSERT_EQ(Run({"export", "HKCU\\Software\\Docs\\Manual", file}).code, kVxRegDone);
  EXPECT_EQ(TempFolder::ReadAll(file),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Docs\\Manual]\r\n"
            "\"Quote \\\"x\\\"\"=\"C:\\\\dir\\\\a.vxb\"\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Docs\\Manual\\FC10]\r\n"
            "\"Count\"=dword:0000001f\r\n"
            "\"Doc\"=\"/home/a/manual.vxb\"\r\n"
            "\r\n");
  std::string hex;
  for (int i = 0; i < 40; ++i) hex += "ab";
  ASSERT_EQ(Run({"add", "HKCU\\Software\\Docs\\W", "/v", "B", "/t", "REG_BINARY", "/d", hex}).code,
            kVxRegDone);
  PutText(HKEY_CURRENT_USER, "Software\\Docs\\W", "T", "a\nb");
  EXPECT_EQ(Run({"export", "HKCU\\Software\\Docs", file}, "no\n").code, kVxRegFailed);
  EXPECT_EQ(Run({"export", "HKCU\\Software\\Docs", file, "/y"}).code, kVxRegDone);
  std::ifstream in(file, std::ios::binary);
  std::string line, all;
  while (std::getline(in, line)) {
    EXPECT_LE(line.size(), 80u) << line;
    all += line + "\n";
  }
  for (const char* part : {"@=\"catalog\"\r\n\"List\"=hex(7):6f,6e,65,00,74,77,6f,00,00\r\n"
                           "\"Path\"=hex(2):25,48,4f,4d,45,25,2f,78,00\r\n\"Raw\"=hex:00,ff,7a\r\n",
                           "\"B\"=hex:ab,ab,", ",\\\r\n  ab,", "\"T\"=hex(1):61,0a,62,00\r\n"})
    EXPECT_NE(all.find(part), std::string::npos) << part << " in\n" << all;
}

TEST_F(VxReg, RefusedAccessAndExitCodesOfTheProgram) {
  RegistrySetReadOnly(RegistryHiveKind::Machine, true);
  const Outcome outcome = Run({"add", "HKLM\\Software\\X", "/v", "a", "/d", "b"});
  EXPECT_EQ(outcome.code, kVxRegFailed);
  EXPECT_EQ(outcome.err, "ERROR: Access is denied.\n");
  // The program itself tells its result by its exit code.
  const std::string program = VXREG_PROGRAM;
  EXPECT_EQ(std::system((program + " add HKCU\\\\P /v a /d b > /dev/null").c_str()), 0);
  EXPECT_EQ(WEXITSTATUS(std::system((program + " query HKCU\\\\Q 2> /dev/null").c_str())), kVxRegFailed);
  EXPECT_EQ(WEXITSTATUS(std::system((program + " frobnicate 2> /dev/null").c_str())), kVxRegBadCommand);
  const std::string out = Folder() + "/out";
  EXPECT_EQ(std::system((program + " query HKCU\\\\P > " + out).c_str()), 0);
  EXPECT_EQ(TempFolder::ReadAll(out), "HKEY_CURRENT_USER\\P\n    a    REG_SZ    b\n\n");
}

}  // namespace
