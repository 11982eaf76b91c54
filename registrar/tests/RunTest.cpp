// Runs of the real vxstreg: run order, the all-users question, output levels,
// summaries, help and exit codes.
#include "registrar/tests/RegistrarFixture.h"

namespace registrar_tests {
namespace {

constexpr const char* kShortHelpTail = "Enter vxstreg /? for getting more information about the options.\n";
const std::string kQuestion = BoxText(registrar::kAllUsersQuestion);

using RunTest = RegistrarTest;

TEST_F(RunTest, PathsTheShellExpandedAreOneListPerFolderAndATreeIsScannedWhole) {
  const std::string a = MakeArchive("a.vxb", "Alpha");
  const std::string b = MakeArchive("b.vxb", "Beta");
  const std::string notes = MakeText("notes.vxb");
  const std::string c = MakeArchive("sub/c.vxb", "Gamma");
  std::string deep = "sub/";  // forty folders down
  for (int level = 0; level < 40; ++level) deep += "level" + std::to_string(level) + "/";
  MakeArchive(deep + "d.vxb", "Delta");
  MakeText("sub/readme.txt");
  const Outcome run = Run({"/C", "/I", a, b, notes, c});
  EXPECT_EQ(run.exitCode, ThisApp::kExitFailed);
  EXPECT_NE(run.err.find(BoxText("4 files in 2 folders scanned:\nArchives: 3 files registered.\n")),
            std::string::npos)
      << run.err;
  EXPECT_EQ(Count(run.err, "VK1036"), 1u);
  EXPECT_EQ(Doc("Gamma"), c);
  const Outcome trailing = Run({"/C", "/U", a, b, "/I", c});
  EXPECT_EQ(trailing.err, BoxText("3 files in 2 folders scanned:\nArchives: 2 files unregistered.\n"));
  EXPECT_EQ(Doc("Alpha"), "#2");
  EXPECT_EQ(Doc("Gamma"), c);
  Run({"/C", a, b});
  EXPECT_EQ(Doc("Beta"), b);
  // The whole tree: the text file is told once, the archive forty folders down registered.
  const Outcome tree = Run({"/C", "/I", Docs("*.vxb"), "/S"});
  EXPECT_EQ(tree.exitCode, ThisApp::kExitFailed) << tree.err;
  EXPECT_EQ(Count(tree.err, "notes.vxb"), 1u) << tree.err;
  EXPECT_EQ(Count(tree.err, "VK"), 1u) << tree.err;
  EXPECT_NE(tree.err.find(BoxText("5 files in 3 folders scanned:\nArchives: 1 file registered.\n")),
            std::string::npos)
      << tree.err;
  EXPECT_EQ(Doc("Alpha"), a);
  EXPECT_EQ(Doc("Delta"), Docs(deep + "d.vxb"));
  EXPECT_EQ(Doc("Alpha", 7, Placement::AllUsers), "#2");
}

TEST_F(RunTest, UnregisteringComesFirstAndWhatIsRegisteredIsNotCountedAgain) {
  const std::string a = MakeArchive("a.vxb", "Alpha");
  const Outcome run = Run({"/C", "/I", a, "/U", a});
  // Unregistered (not registered yet: told, and a failure) before registered:
  // the entry is there. Each scan counts the folder it handles files in.
  EXPECT_EQ(run.err, "Stowra Document Registration: Error - \n\"" + a + "\" is not registered for the current "
                     "user.\n" + BoxText("2 files in 2 folders scanned:\nArchives: 1 file registered.\n"));
  EXPECT_EQ(run.exitCode, ThisApp::kExitFailed);
  EXPECT_EQ(Doc("Alpha"), a);
  const Outcome again = Run({"/C", "/I", MakeArchive("b.vxb", "Beta"), "/U", a});
  EXPECT_EQ(again.err,
            BoxText("2 files in 2 folders scanned:\nArchives: 1 file registered, 1 file unregistered.\n"));
  EXPECT_EQ(Doc("Alpha"), "#2");
  // An archive already registered with the same path is not counted.
  EXPECT_EQ(Run({"/C", "/I", Docs("*.vxb")}).err,
            BoxText("2 files scanned:\nArchives: 1 file registered.\n"));
  EXPECT_EQ(Run({"/C", "/I", a}).err,
            BoxText("1 file scanned:\nno files registered or unregistered."));
}

TEST_F(RunTest, TheAllUsersQuestion) {
  // Each case registers an archive of its own: the cases do not meet in the catalog.
  const struct {
    const char* name;
    std::vector<std::string> before, after;  // the words around the archive's path
    const char* answers;
    const char* readOnly;  // the placement the registry refuses, or null
    int exitCode;
    bool asked;
    bool allUsers;  // where the archive is registered; nowhere when the question is cancelled
  } cases[] = {
      {"AllFirst", {"/A", "/I"}, {}, "", nullptr, 0, false, true},
      {"LaterAll", {"/I"}, {"/A"}, "n\n", nullptr, 0, true, false},
      {"Yes", {"/I"}, {}, "y\n", nullptr, 0, true, true},
      {"Cancel", {"/I"}, {}, "c\n", nullptr, 1, true, false},
      {"MachineReadOnly", {"/I"}, {}, "", "machine", 0, false, false},
  };
  for (const auto& c : cases) {
    const std::string path = MakeArchive(std::string(c.name) + ".vxb", c.name);
    std::vector<std::string> args = c.before;
    args.push_back(path);
    args.insert(args.end(), c.after.begin(), c.after.end());
    if (c.readOnly) setenv("VXST_REGISTRY_READONLY", c.readOnly, 1);
    const Outcome run = Run(args, c.answers);
    unsetenv("VXST_REGISTRY_READONLY");
    EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n" << run.err;
    // The question comes first and once, before any file is handled.
    EXPECT_EQ(run.err.find(kQuestion), c.asked ? 0u : std::string::npos) << c.name << "\n"
                                                                         << run.err;
    EXPECT_LE(Count(run.err, registrar::kAllUsersQuestion), 1u) << c.name;
    const bool cancelled = c.exitCode == 1;
    if (!c.asked) {
      EXPECT_EQ(run.err, BoxText("1 file scanned:\nArchives: 1 file registered.\n")) << c.name;
    }
    EXPECT_EQ(run.err.find("scanned") == std::string::npos, cancelled) << c.name << "\n" << run.err;
    EXPECT_EQ(Doc(c.name), !cancelled && !c.allUsers ? path : "#2") << c.name;
    EXPECT_EQ(Doc(c.name, 7, Placement::AllUsers), !cancelled && c.allUsers ? path : "#2")
        << c.name;
  }
}

TEST_F(RunTest, TheListDialogComesLastAndFollowsTheUser) {
  Register(MakeArchive("b.vxb", "Beta"), Placement::AllUsers);
  const Outcome run = Run({"/L", "/C", "/I", MakeArchive("a.vxb", "Alpha", 7, "Alpha Title")},
                          "2\na\nq\n");  // select Beta, uncheck all users, quit
  std::size_t at = run.err.find("1 file scanned");
  for (const char* view :
       {"Stowra Registration Browser\nRegistered Documents:\n  > 1. Alpha\n    2. Beta\n"
        "[x] For Current User   [x] For All Users\nDocument Description\n"
        "  Title:      Alpha Title\n",
        "    1. Alpha\n  > 2. Beta\n", "  > 1. Alpha\n[x] For Current User   [ ] For All Users\n"}) {
    at = at == std::string::npos ? at : run.err.find(view, at);
    EXPECT_NE(at, std::string::npos) << view << " in\n" << run.err;
  }
}

TEST_F(RunTest, TidyRunsAtOnceBeforeTheFilesAreRegisteredAndOutputLevelZeroShowsErrorsOnly) {
  const std::string gone = MakeArchive("gone.vxb", "Gone");
  for (const bool quiet : {false, true}) {  // quiet: /V0, no summary and no tidy result
    Register(gone);
    std::filesystem::remove(gone);
    std::vector<std::string> args = {"/C", "/T", "/I", MakeArchive("a.vxb", "Alpha")};
    if (quiet) args.insert(args.begin(), "/V0");
    EXPECT_EQ(Run(args).err, quiet ? "" : BoxText("Tidy up Registry: 1 link to missing files removed.") +
                                              BoxText("1 file scanned:\nArchives: 1 file registered.\n"));
    EXPECT_EQ(Doc("Gone"), "#2") << quiet;
    EXPECT_EQ(Doc("Alpha"), Docs("a.vxb")) << quiet;
    Run({"/C", "/U", Docs("a.vxb")});
    MakeArchive("gone.vxb", "Gone");
  }
  EXPECT_EQ(Run({"/C", "/T"}).err, BoxText(registrar::kNoMissingLinks));
  EXPECT_EQ(Run({"/C", "/V1", "/T"}).err, BoxText(registrar::kNoMissingLinks));
  const Outcome failed = Run({"/V0", "/C", "/I", MakeText("notes.vxb")});
  EXPECT_NE(failed.err.find("VK1036"), std::string::npos) << failed.err;
  EXPECT_EQ(failed.err.find("scanned"), std::string::npos);
}

TEST_F(RunTest, CommandLinesThatRegisterNothing) {
  const std::string a = MakeArchive("a.vxb", "Alpha");
  const std::string head =
      "vxstreg - Stowra Archive Registration Tool.\nVersion 4.11b of 2004-Oct-14 (Build 34).\n"
      "\nUse: vxstreg [Option] [FileGroups] [Option] ...\n";
  const std::string full =
      std::string(registrar::kTitle) + ": " + head +
      "\nFollowing options can be used: ('-' instead of '/' is permitted)\n/I\tInstall";
  const std::string fullEnd =
      "/V3\tVerbose Output Mode: Detailed output of all activities.\n/?\tPrint this "
      "options help table.\n\n";
  const std::string lastLine = "\n    Option /S scans also all subfolders of <Folder>.\n\n";
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::vector<std::string> told;  // in this order; no text at all wants no output
  };
  std::vector<Case> cases = {
      {{}, 0, {"Stowra Registration Browser\n"}},  // the list dialog only
      {{"/V2"}, 0, {}},
      {{a, "/T"},
       1,
       {"Command line:\nError VK2022 - \nEnd of input line expected: /T.", kShortHelpTail}},
      {{"/V5"},
       1,
       {"Command line, option /V5:\nError VK2002 - \nBad argument in option.", kShortHelpTail}},
      {{"/V"}, 1, {"Error VK2003 - \nMissing argument in option."}},
      {{"/V", "/C"}, 1, {"VK2003"}},
      {{"/O"}, 1, {"VK2003", kShortHelpTail}},
      {{"/Oabc"}, 1, {"Error VK2023 - \nBad specification: /Oabc."}},
      {{"/X"}, 1, {"Error VK2001 - \nInvalid option."}},
      {{"/C", "/regserver"}, 1, {"VK2001"}},  // server switches only as the first word
      {{"--helpme"}, 1, {head + kShortHelpTail}},
      {{"/C", "/I", Docs("*.txt")}, ThisApp::kExitFailed, {BoxText("No files found.")}},
      {{"/C", "/I", Docs("missing.vxb")},
       ThisApp::kExitFailed,
       {"VK1001 - \nFile " + Docs("missing.vxb") + " not found.",
        BoxText("File " + Docs("missing.vxb") + " not found.")}},
  };
  for (const char* help : {"/?", "--help", "-h", "/H"})
    cases.push_back({{help}, 0, {full, fullEnd, lastLine}});
  for (const auto& c : cases) {
    const std::string name = c.args.empty() ? "(none)" : c.args.back();
    const Outcome run = Run(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << name << "\n" << run.err;
    if (c.told.empty()) {
      EXPECT_EQ(run.err, "") << name;
    }
    std::size_t at = 0;
    for (const std::string& text : c.told) {
      at = run.err.find(text, at);
      ASSERT_NE(at, std::string::npos) << name << ": " << text << " in\n" << run.err;
    }
    if (c.told.size() == 3) {
      EXPECT_TRUE(run.err.ends_with(lastLine)) << name;
    }
    for (const char* never : {"scanned", "Tidy up Registry", registrar::kAllUsersQuestion, "Win32"})
      EXPECT_EQ(run.err.find(never), std::string::npos) << name << ": " << never << "\n" << run.err;
  }
  EXPECT_EQ(Doc("Alpha"), "#2");
}

}  // namespace
}  // namespace registrar_tests
