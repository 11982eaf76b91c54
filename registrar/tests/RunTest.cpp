// Runs of the real vxstreg: run order, the all-users question, output levels,
// summaries, help and exit codes.
#include "registrar/tests/RegistrarFixture.h"

namespace registrar_tests {
namespace {

constexpr const char* kShortHelpTail = "Enter vxstreg /? for getting more information about the options.\n";
const std::string kQuestion = BoxText(registrar::kAllUsersQuestion);

using RunTest = RegistrarTest;

TEST_F(RunTest, AFolderTreeIsRegisteredAndATextFileIsReportedOnce) {
  MakeArchive("a.vxb", "Alpha");
  MakeArchive("b.vxb", "Beta");
  MakeText("notes.vxb");
  MakeArchive("sub/c.vxb", "Gamma");
  MakeArchive("sub/deeper/d.vxb", "Delta");
  MakeText("sub/readme.txt");
  const Outcome run = Run({"/C", "/I", Docs("*.vxb"), "/S"});
  EXPECT_EQ(run.exitCode, ThisApp::kExitFailed) << run.err;
  EXPECT_EQ(Count(run.err, "notes.vxb"), 1u) << run.err;
  EXPECT_EQ(Count(run.err, "VK"), 1u) << run.err;
  EXPECT_NE(run.err.find(BoxText("5 files in 3 folders scanned:\nArchives: 4 files registered.\n")),
            std::string::npos)
      << run.err;
  EXPECT_EQ(Doc("Alpha"), Docs("a.vxb"));
  EXPECT_EQ(Doc("Gamma"), Docs("sub/c.vxb"));
  EXPECT_EQ(Doc("Delta"), Docs("sub/deeper/d.vxb"));
  EXPECT_EQ(Doc("Alpha", 7, Placement::AllUsers), "#2");
}

TEST_F(RunTest, PathsTheShellExpandedAreTakenAsOneListPerFolder) {
  const std::string a = MakeArchive("a.vxb", "Alpha");
  const std::string b = MakeArchive("b.vxb", "Beta");
  const std::string notes = MakeText("notes.vxb");
  const std::string c = MakeArchive("sub/c.vxb", "Gamma");
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
}

TEST_F(RunTest, ArchivesDeepInATreeAreRegistered) {
  std::string relative;
  for (int level = 0; level < 40; ++level) relative += "level" + std::to_string(level) + "/";
  const std::string deep = MakeArchive(relative + "deep.vxb", "Deep");
  MakeArchive("top.vxb", "Top");
  const Outcome run = Run({"/C", "/I", Docs("*.vxb"), "/S"});
  EXPECT_EQ(run.err, BoxText("2 files in 2 folders scanned:\nArchives: 2 files registered.\n"));
  EXPECT_EQ(Doc("Deep"), deep);
}

TEST_F(RunTest, AnArchiveAlreadyRegisteredWithTheSamePathIsNotCounted) {
  MakeArchive("a.vxb", "Alpha");
  MakeArchive("b.vxb", "Beta");
  Register(MakeArchive("c.vxb", "Gamma"));
  const Outcome run = Run({"/C", "/I", Docs("*.vxb")});
  EXPECT_EQ(run.err, BoxText("3 files scanned:\nArchives: 2 files registered.\n"));
  EXPECT_EQ(run.exitCode, 0);
}

TEST_F(RunTest, OneFileAndNothingRegistered) {
  Register(MakeArchive("a.vxb", "Alpha"));
  EXPECT_EQ(Run({"/C", "/I", Docs("a.vxb")}).err,
            BoxText("1 file scanned:\nno files registered or unregistered."));
  EXPECT_EQ(Run({"/C", "/U", Docs("a.vxb")}).err, BoxText("1 file scanned:\nArchives: 1 file unregistered.\n"));
}

TEST_F(RunTest, UnregisteringComesFirstWhateverTheOrderOnTheLine) {
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
}

TEST_F(RunTest, AllUsersFirstAsksNothing) {
  const std::string a = MakeArchive("a.vxb", "Alpha");
  const Outcome run = Run({"/A", "/I", a});
  EXPECT_EQ(run.err.find(registrar::kAllUsersQuestion), std::string::npos);
  EXPECT_EQ(Doc("Alpha", 7, Placement::AllUsers), a);
  EXPECT_EQ(Doc("Alpha"), "#2");
}

TEST_F(RunTest, TheQuestionComesBeforeTheFileAndALaterPlacementChangesNothing) {
  const std::string a = MakeArchive("a.vxb", "Alpha");
  const Outcome run = Run({"/I", a, "/A"}, "n\n");
  EXPECT_EQ(run.err.find(kQuestion), 0u) << run.err;
  EXPECT_EQ(Count(run.err, registrar::kAllUsersQuestion), 1u);
  EXPECT_EQ(Doc("Alpha"), a);
  EXPECT_EQ(Doc("Alpha", 7, Placement::AllUsers), "#2");
}

TEST_F(RunTest, YesMeansAllUsers) {
  const std::string a = MakeArchive("a.vxb", "Alpha");
  Run({"/I", a}, "y\n");
  EXPECT_EQ(Doc("Alpha", 7, Placement::AllUsers), a);
}

TEST_F(RunTest, CancellingTheQuestionEndsWithExitCodeOne) {
  const std::string a = MakeArchive("a.vxb", "Alpha");
  const Outcome run = Run({"/I", a}, "c\n");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(Doc("Alpha"), "#2");
  EXPECT_EQ(Doc("Alpha", 7, Placement::AllUsers), "#2");
  EXPECT_EQ(run.err.find("scanned"), std::string::npos);
}

TEST_F(RunTest, WithoutWriteAccessToAllUsersNoQuestion) {
  setenv("VXST_REGISTRY_READONLY", "machine", 1);
  const std::string a = MakeArchive("a.vxb", "Alpha");
  const Outcome run = Run({"/I", a});
  unsetenv("VXST_REGISTRY_READONLY");
  EXPECT_EQ(run.err, BoxText("1 file scanned:\nArchives: 1 file registered.\n"));
  EXPECT_EQ(Doc("Alpha"), a);
}

TEST_F(RunTest, AnEmptyCommandLineShowsTheListDialogOnly) {
  const Outcome run = Run({});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err.find("Stowra Registration Browser\n"), 0u) << run.err;
  EXPECT_EQ(run.err.find("scanned"), std::string::npos);
}

TEST_F(RunTest, OutputLevelAloneDoesNothingVisible) {
  const Outcome run = Run({"/V2"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
}

TEST_F(RunTest, TheListDialogComesLast) {
  const std::string a = MakeArchive("a.vxb", "Alpha");
  const Outcome run = Run({"/L", "/C", "/I", a});
  const std::size_t summary = run.err.find("1 file scanned");
  const std::size_t dialog = run.err.find("Stowra Registration Browser");
  ASSERT_NE(summary, std::string::npos);
  ASSERT_NE(dialog, std::string::npos);
  EXPECT_LT(summary, dialog);
  EXPECT_NE(run.err.find("> 1. Alpha", dialog), std::string::npos) << run.err;
}

TEST_F(RunTest, TidyRunsAtOnceBeforeTheFilesAreRegistered) {
  const std::string gone = MakeArchive("gone.vxb", "Gone");
  Register(gone);
  std::filesystem::remove(gone);
  const std::string a = MakeArchive("a.vxb", "Alpha");
  const Outcome run = Run({"/C", "/T", "/I", a});
  EXPECT_EQ(run.err, BoxText("Tidy up Registry: 1 link to missing files removed.") +
                         BoxText("1 file scanned:\nArchives: 1 file registered.\n"));
  EXPECT_EQ(Doc("Gone"), "#2");
}

TEST_F(RunTest, TidyWithNothingToRemove) {
  EXPECT_EQ(Run({"/C", "/T"}).err, BoxText(registrar::kNoMissingLinks));
  EXPECT_EQ(Run({"/C", "/V1", "/T"}).err, BoxText(registrar::kNoMissingLinks));
}

TEST_F(RunTest, OutputLevelZeroShowsNoSummaryAndNoTidyResult) {
  const std::string gone = MakeArchive("gone.vxb", "Gone");
  Register(gone);
  std::filesystem::remove(gone);
  const Outcome run = Run({"/V0", "/C", "/T", "/I", MakeArchive("a.vxb", "Alpha")});
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Doc("Gone"), "#2");
  EXPECT_EQ(Doc("Alpha"), Docs("a.vxb"));
}

TEST_F(RunTest, ErrorsAreShownAtOutputLevelZero) {
  MakeText("notes.vxb");
  const Outcome run = Run({"/V0", "/C", "/I", Docs("notes.vxb")});
  EXPECT_NE(run.err.find("VK1036"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("scanned"), std::string::npos);
}

TEST_F(RunTest, AFileGroupBeforeAnOptionIsError2022) {
  const std::string a = MakeArchive("a.vxb", "Alpha");
  const Outcome run = Run({a, "/T"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("Command line:\nError VK2022 - \nEnd of input line expected: /T."), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find(kShortHelpTail), std::string::npos);
  EXPECT_EQ(run.err.find(registrar::kAllUsersQuestion), std::string::npos);
  EXPECT_EQ(run.err.find("Tidy"), std::string::npos);
  EXPECT_EQ(Doc("Alpha"), "#2");
}

TEST_F(RunTest, AFileGroupAfterAllOptionsIsRegistered) {
  const std::string a = MakeArchive("a.vxb", "Alpha");
  const Outcome run = Run({"/C", a});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Doc("Alpha"), a);
}

TEST_F(RunTest, BadOutputLevels) {
  const Outcome five = Run({"/V5"});
  EXPECT_EQ(five.exitCode, 1);
  EXPECT_NE(five.err.find("Command line, option /V5:\nError VK2002 - \nBad argument in option."),
            std::string::npos)
      << five.err;
  EXPECT_NE(five.err.find(kShortHelpTail), std::string::npos);
  const Outcome none = Run({"/V"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.err.find("Error VK2003 - \nMissing argument in option."), std::string::npos) << none.err;
  EXPECT_NE(Run({"/V", "/C"}).err.find("VK2003"), std::string::npos);
}

TEST_F(RunTest, OpenWithoutArgument) {
  const Outcome run = Run({"/O"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("VK2003"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(kShortHelpTail), std::string::npos);
  EXPECT_NE(Run({"/Oabc"}).err.find("Error VK2023 - \nBad specification: /Oabc."), std::string::npos);
}

TEST_F(RunTest, AnUnknownOption) {
  const Outcome run = Run({"/X"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("Error VK2001 - \nInvalid option."), std::string::npos) << run.err;
}

TEST_F(RunTest, ServerSwitchesOnlyAsTheFirstWord) {
  const Outcome run = Run({"/C", "/regserver"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("VK2001"), std::string::npos) << run.err;
}

TEST_F(RunTest, TheFullHelpAsked) {
  for (const char* ask : {"/?", "--help", "-h", "/H"}) {
    const Outcome run = Run({ask});
    EXPECT_EQ(run.exitCode, 0) << ask;
    EXPECT_EQ(run.err, BoxText(registrar::HelpText("vxstreg", true))) << ask;
  }
  const Outcome run = Run({"--helpme"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find(kShortHelpTail), std::string::npos) << run.err;
  EXPECT_EQ(registrar::HelpText("vxstreg", true).find("Win32"), std::string::npos);
}

TEST_F(RunTest, NothingFoundIsAFailure) {
  const Outcome pattern = Run({"/C", "/I", Docs("*.vxb")});
  EXPECT_EQ(pattern.err, BoxText("No files found."));
  EXPECT_EQ(pattern.exitCode, ThisApp::kExitFailed);
  const Outcome named = Run({"/C", "/I", Docs("missing.vxb")});
  EXPECT_EQ(named.exitCode, ThisApp::kExitFailed);
  EXPECT_NE(named.err.find("VK1001 - \nFile " + Docs("missing.vxb") + " not found."), std::string::npos)
      << named.err;
  EXPECT_NE(named.err.find(BoxText("File " + Docs("missing.vxb") + " not found.")), std::string::npos);
}

}  // namespace
}  // namespace registrar_tests
