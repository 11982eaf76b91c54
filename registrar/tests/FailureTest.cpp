// Every failure of a run names what went wrong with which path and ends the run
// with a non-zero exit code; what else the run could do is still done.
#include <filesystem>

#include "platform/RegistryControl.h"
#include "registrar/tests/RegistrarFixture.h"

namespace registrar_tests {
namespace {

using FailureTest = RegistrarTest;

TEST_F(FailureTest, EachFailureIsToldAndExitsNonZero) {
  const std::string good = MakeArchive("good.vxb", "Good");
  const std::string text = MakeText("notes.vxb");
  const std::string noFirm = MakeArchive("nofirm.vxb", "NoFirm", 0xFFFFFFFF);
  const std::string unknown = MakeArchive("unknown.vxb", "Unknown");
  const struct {
    const char* what;
    std::vector<std::string> args;
    int exitCode;
    std::string message;
  } cases[] = {
      {"no archive", {"/C", "/I", text}, ThisApp::kExitFailed, "VK1036"},
      {"no firm code", {"/C", "/I", noFirm}, ThisApp::kExitFailed,
       "\"" + noFirm + "\" cannot be registered: archive \"NoFirm\" has no firm code; pack it with one "
       "(vxb pack --firm-code N)."},
      {"unknown entry", {"/C", "/U", unknown}, ThisApp::kExitFailed,
       "\"" + unknown + "\" is not registered for the current user."},
      {"nothing after /I", {"/C", "/I"}, ThisApp::kExitHelp, "option /I:\nError VK2003"},
  };
  for (const auto& c : cases) {
    const Outcome run = Run(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.what << "\n" << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.what << "\n" << run.err;
  }
  // The files that can be done still are.
  const Outcome mixed = Run({"/C", "/I", good, text, noFirm});
  EXPECT_EQ(mixed.exitCode, ThisApp::kExitFailed);
  EXPECT_EQ(Doc("Good"), good);
}

TEST_F(FailureTest, ACatalogThatCannotBeWrittenNamesItsFile) {
  const std::string a = MakeArchive("a.vxb", "Alpha");
  setenv("VXST_REGISTRY_READONLY", "user", 1);
  const Outcome refused = Run({"/C", "/I", a});
  unsetenv("VXST_REGISTRY_READONLY");
  EXPECT_EQ(refused.exitCode, ThisApp::kExitFailed);
  const std::string file = RegistryHivePath(RegistryHiveKind::User);
  EXPECT_NE(refused.err.find("atalog file \"" + file + "\""), std::string::npos) << refused.err;
  EXPECT_EQ(Doc("Alpha"), "#2");

  // A damaged catalog: told with its file by a registration, the tidy and the list.
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  m_run.Write("garbage", std::string(4096, 'x'));
  std::filesystem::copy_file(m_run / "garbage", file, std::filesystem::copy_options::overwrite_existing);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"/C", "/I", a}, {"/C", "/T"}, {"/L"}}) {
    const Outcome run = Run(args, "q\n");
    EXPECT_NE(run.exitCode, 0) << args[1];
    EXPECT_NE(run.err.find("atalog file \"" + file + "\""), std::string::npos) << args[1] << "\n" << run.err;
    EXPECT_EQ(run.err.find("tidy option"), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace registrar_tests
