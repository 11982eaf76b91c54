// The application frame: command line, companion, module and help file paths,
// the main loop's exceptions and the console break handler.
#include <gtest/gtest.h>
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "base/KelApp.h"
#include "base/KelErrorMessage.h"
#include "base/KelException.h"
#include "base/messages/MessageTable.h"
#include "base/MessageText.h"
#include "platform/tests/TempFolder.h"

namespace {

const KelAppDescriptor kDescriptor = {"Test Frame", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS",
                                      0x300};

std::string CommandLineOf(std::vector<const char*> argv) {
  return CKelApp::SkipProgramName(
      CKelApp::BuildCommandLine(static_cast<int>(argv.size()), argv.data()).c_str());
}

std::string ProgramPath() {
  char buffer[PATH_MAX];
  return realpath("/proc/self/exe", buffer);
}

TEST(CommandLineTest, BlanksPathsAndSpecialCharactersAreQuotedOptionsAreNot) {
  const struct {
    std::vector<const char*> argv;
    const char* line;
  } cases[] = {
      {{"vxstreg", "/i", "my docs/*.vxb", "/s"}, " /i \"my docs/*.vxb\" /s"},
      {{"vxstreg", "", "x"}, " \"\" x"},
      {{"vxstreg", "tab\there"}, " \"tab\there\""},
      {{"vxstreg"}, ""},
      {{"voil\xC3\xA0", "x"}, " x"},  // "à" holds no blank
      {{"vxstreg", "/I", "docs/a.vxb", "b.vxb"}, " /I \"docs/a.vxb\" b.vxb"},
      {{"vxstreg", "/o:/home/a/x.vxb", "-v0"}, " /o:/home/a/x.vxb -v0"},
      {{"vxstreg", "/I", "docs/*.vxb/S"}, " /I \"docs/*.vxb\"/S"},  // a glued switch
      {{"vxstreg", "/I", "docs/S"}, " /I \"docs/S\""},  // a name S
      {{"vxstreg", "/V2/V0", "/C/I", "a.vxb"}, " /V2/V0 /C/I a.vxb"},
      {{"vxstreg", "/I", "a\"b|c<d>.vxb"}, " /I \"a\"\"b|c<d>.vxb\""},
      {{"/opt/my apps/vxstreg", "/l"}, " /l"},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandLineOf(c.argv), c.line) << c.line;
  EXPECT_EQ(CKelApp::BuildCommandLine(2, std::vector<const char*>{"/opt/my apps/vxstreg", "/l"}.data()),
            "\"/opt/my apps/vxstreg\" /l");
}

TEST(CommandLineTest, ProgramNameEndsAtTheFirstBlankOutsideQuotes) {
  EXPECT_EQ(CKelApp::SkipProgramName("\"a b\"c d"), " d");
  EXPECT_EQ(CKelApp::SkipProgramName("prog\t/x"), "\t/x");
  EXPECT_EQ(CKelApp::SkipProgramName("prog\xA0/x"), "\xA0/x");
  EXPECT_EQ(CKelApp::SkipProgramName("\"unterminated /x"), "");
  EXPECT_EQ(CKelApp::SkipProgramName(nullptr), "");
}

TEST(CommandLineTest, InitInstanceTakesTheProgramsArguments) {
  char program[] = "/usr/bin/my prog";
  char option[] = "/l";
  char* argv[] = {program, option, nullptr};
  const AfxProgramArgs saved = AfxGetProgramArgs();
  AfxGetProgramArgs() = {2, argv};
  CKelApp app(&kDescriptor);
  EXPECT_TRUE(app.InitInstance());
  EXPECT_EQ(app.GetCommandLine(), " /l");
  EXPECT_STREQ(app.m_lpCmdLine, " /l");
  AfxGetProgramArgs() = saved;
}

TEST(FrameTest, RegistrationModuleAndCompanionPaths) {
  {
    CKelApp app(&kDescriptor);
    EXPECT_EQ(CKelApp::GetFrame(), &app);
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_STREQ(app.m_pszAppName, "Test Frame");
    EXPECT_FALSE(app.GetSystemVersion().name.empty());
    const std::string program = ProgramPath();
    EXPECT_EQ(CKelApp::ModuleFilePath(), program);
    std::string name = "vxstrd.chm";
    app.MakeModulePath(name);
    EXPECT_EQ(name, std::filesystem::path(program).parent_path().string() + "/vxstrd.chm");
    std::string companion;
    app.MakeCompanionFilePath(companion, "ini");
    EXPECT_EQ(companion, program + ".ini");  // the test program has no extension
  }
  EXPECT_EQ(CKelApp::GetFrame(), nullptr);
}

TEST(HelpFileTest, LanguageSuffixes) {
  const std::pair<int, const char*> cases[] = {{0x407, "De"}, {0xC07, "De"}, {0x804, "Cn"},
                                                  {0x404, "Tw"}, {0x1004, "Us"}, {0x416, "Br"},
                                                  {0x41D, "Se"}, {0x419, "Us"}};
  for (const auto& [language, suffix] : cases)
    EXPECT_STREQ(CKelApp::HelpLanguageSuffix(language), suffix) << std::hex << language;
}

TEST(HelpFilePathTest, LanguageSuffixesFallBacksAndFolders) {
  TempFolder temp;
  const std::string folder = temp.Path();
  CKelApp app{&kDescriptor};
  // The help file's path for NAME, compiled or not, in LANGUAGE (-1: the frame's).
  auto help = [&](std::string name, bool compiled, int language) {
    app.GetHelpFilePath(name, compiled, language);
    return name;
  };
  EXPECT_EQ(help(folder + "/vxstreg", true, 0x407), folder + "/vxstregUs.chm") << "German missing";
  std::ofstream(folder + "/vxstregDe.chm") << "help";
  EXPECT_EQ(help(folder + "/vxstreg", true, 0x407), folder + "/vxstregDe.chm") << "German there";
  std::ofstream(folder + "/appFr.hlp") << "aide";
  app.SetLanguage(0x40C);
  EXPECT_EQ(help(folder + "/app", false, -1), folder + "/appFr.hlp") << "the frame's language";
  EXPECT_EQ(help(folder + "/app", false, 0x400), folder + "/app.hlp") << "primary language 0";
  EXPECT_EQ(help("vxst-no-such-help", true, 0x407),
            std::filesystem::path(ProgramPath()).parent_path().string() + "/vxst-no-such-helpUs.chm")
      << "beside the program";
}

class MainLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallMessageTable();
    auto* messages = new CKelErrorMessage(nullptr, 0, "VK");
    messages->m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
    app.SetErrorMessage(messages);
  }
  void TearDown() override { SetMessageTable(nullptr); }

  // A frame whose initialisation throws what the test gives it.
  struct ThrowingApp : CKelApp {
    using CKelApp::CKelApp;
    CException* toThrow = nullptr;
    int exits = 0;
    bool InitInstance() override {
      CKelApp::InitInstance();
      throw toThrow;
    }
    int ExitInstance() override {
      ++exits;
      return 99;
    }
  } app{&kDescriptor};
};

TEST_F(MainLoopTest, LibraryExceptionsBecomeTheResultOthersAreThrownOn) {
  app.toThrow = new CKelAbortException(7);
  EXPECT_EQ(AfxWinMain(0, nullptr), 7);
  EXPECT_EQ(app.exits, 1);
  app.toThrow = new CKelException(1001, "a.vxb");
  EXPECT_EQ(AfxWinMain(0, nullptr), 1);
  EXPECT_STREQ(app.GetErrorMessage()->m_output, "fatal error VK1001 - file a.vxb not found.");
  app.toThrow = new CKelException(4003);
  EXPECT_EQ(AfxWinMain(0, nullptr), -1);
  app.toThrow = new CKelException(2001);
  EXPECT_EQ(AfxWinMain(0, nullptr), 0);
  CException* other = new CException;  // not the library's: thrown on
  app.toThrow = other;
  try {
    AfxWinMain(0, nullptr);
    ADD_FAILURE();
  } catch (CException* e) {
    EXPECT_EQ(e, other);
    e->Delete();
  }
}

TEST(ConsoleTest, PromptAndAbortLines) {
  testing::internal::CaptureStderr();
  CKelConsoleInOut().PromptAnyKey();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[Press any key to continue]");
  CKelApp app(&kDescriptor);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(app.OnConsoleAbort(SIGINT));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nTest Frame: Program aborted.\n");
}

using ConsoleBreakDeathTest = ::testing::Test;

TEST_F(ConsoleBreakDeathTest, BreakPrintsTheAbortLineAndEndsTheProgramWithOrWithoutAFrame) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (int signal : {SIGINT, SIGTERM, 0}) {  // 0: SIGINT after the frame has gone
    EXPECT_EXIT(
        {
          dup2(2, 1);  // the abort line goes to standard output
          {
            CKelApp app(&kDescriptor);
            app.InitInstance();
            if (signal) raise(signal);
            while (signal) pause();
          }
          raise(SIGINT);
          for (;;) pause();
        },
        testing::KilledBySignal(signal ? signal : SIGINT),
        signal ? "Test Frame: Program aborted\\." : "");
  }
}

// A frame that handles breaks itself; the program goes on.
struct PatientApp : CKelApp {
  using CKelApp::CKelApp;
  std::mutex mutex;
  std::condition_variable seen;
  int signal = 0;
  bool OnConsoleAbort(int s) override {
    std::lock_guard lock(mutex);
    signal = s;
    seen.notify_all();
    return true;
  }
};

TEST_F(ConsoleBreakDeathTest, HandledBreakLetsTheProgramGoOn) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        PatientApp app(&kDescriptor);
        app.InitInstance();
        raise(SIGINT);
        std::unique_lock lock(app.mutex);
        app.seen.wait(lock, [&] { return app.signal != 0; });
        std::fprintf(stderr, "went on after %d\n", app.signal);
        std::exit(0);
      },
      testing::ExitedWithCode(0), "went on after 2");
}

TEST(ModulePathTest, InsideASharedLibraryItIsTheLibrarysPath) {
  void* module = dlopen(VXST_MODULE_PROBE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  using Probe = void (*)(char*, std::size_t);
  auto probe = reinterpret_cast<Probe>(dlsym(module, "ProbeModuleFilePath"));
  ASSERT_NE(probe, nullptr);
  char path[PATH_MAX];
  probe(path, sizeof path);
  char expected[PATH_MAX];
  ASSERT_NE(realpath(VXST_MODULE_PROBE, expected), nullptr);
  EXPECT_STREQ(path, expected);
  EXPECT_NE(std::string(path), ProgramPath());
  dlclose(module);
}

}  // namespace
