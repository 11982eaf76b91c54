#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "platform/RegistryText.h"
#include "platform/tests/ComTestSupport.h"

namespace {

struct ToolRun {
  int exitCode;
  std::string output;  // standard output and error together
};

ToolRun RunVxRegSvr(const std::string& arguments) {
  std::string command = std::string("'") + VXST_VXREGSVR + "' " + arguments + " 2>&1";
  ToolRun run{-1, {}};
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[512];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.output.append(buffer, n);
  int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::optional<std::string> ServerPath() {
  return ReadRegistryText(HKEY_CLASSES_ROOT,
                          "CLSID\\" + GuidToString(CLSID_FakeProtocol) + "\\InprocServer32", "");
}

using VxRegSvr = ScratchRegistry;

TEST_F(VxRegSvr, RegistersAndUnregistersAModuleAloudOrSilently) {
  ToolRun registered = RunVxRegSvr(Quoted(VXST_FAKE_PROTOCOL_MODULE));
  EXPECT_EQ(registered.exitCode, 0);
  EXPECT_EQ(registered.output,
            std::string("DllRegisterServer in ") + VXST_FAKE_PROTOCOL_MODULE + " succeeded.\n");
  EXPECT_EQ(ServerPath(), VXST_FAKE_PROTOCOL_MODULE);
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(kFakeProgId, &clsid), S_OK);

  ToolRun unregistered = RunVxRegSvr("/u " + Quoted(VXST_FAKE_PROTOCOL_MODULE));
  EXPECT_EQ(unregistered.exitCode, 0);
  EXPECT_EQ(unregistered.output,
            std::string("DllUnregisterServer in ") + VXST_FAKE_PROTOCOL_MODULE + " succeeded.\n");
  EXPECT_EQ(ServerPath(), std::nullopt);
  EXPECT_EQ(CLSIDFromProgID(kFakeProgId, &clsid), CO_E_CLASSSTRING);
  // The silent option shows nothing, in either spelling.
  ToolRun run = RunVxRegSvr("/s " + Quoted(VXST_FAKE_PROTOCOL_MODULE));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  run = RunVxRegSvr("-U -S " + Quoted(VXST_FAKE_PROTOCOL_MODULE));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(ServerPath(), std::nullopt);
}

TEST_F(VxRegSvr, RelativeModuleRegistersItsFullPath) {
  std::filesystem::path module = VXST_FAKE_PROTOCOL_MODULE;
  std::string command = "cd " + Quoted(module.parent_path()) + " && '" + VXST_VXREGSVR + "' /s " +
                        Quoted(module.filename());
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ServerPath(), VXST_FAKE_PROTOCOL_MODULE);
}

TEST_F(VxRegSvr, FailuresHaveTheirExitCodesAndMessages) {
  std::string missing = Folder() + "/libmissing.so";
  ToolRun notLoaded = RunVxRegSvr(Quoted(missing));
  EXPECT_EQ(notLoaded.exitCode, 3);
  EXPECT_EQ(notLoaded.output.rfind("The module \"" + missing + "\" failed to load: ", 0), 0u)
      << notLoaded.output;

  ToolRun noEntry = RunVxRegSvr("/u " + Quoted(VXST_NO_SERVER_MODULE));
  EXPECT_EQ(noEntry.exitCode, 4);
  EXPECT_NE(
      noEntry.output.find(std::string("The module \"") + VXST_NO_SERVER_MODULE +
                          "\" was loaded but the entry point DllUnregisterServer was not found."),
      std::string::npos)
      << noEntry.output;

  setenv("VXFAKE_REGISTER_FAILS", "1", 1);
  ToolRun refused = RunVxRegSvr(Quoted(VXST_FAKE_PROTOCOL_MODULE));
  unsetenv("VXFAKE_REGISTER_FAILS");
  EXPECT_EQ(refused.exitCode, 5);
  EXPECT_EQ(refused.output, std::string("The module \"") + VXST_FAKE_PROTOCOL_MODULE +
                                "\" was loaded but the call to DllRegisterServer failed with "
                                "error code 0x80040201.\n");
  EXPECT_EQ(ServerPath(), std::nullopt);
  // Of several modules, the first failure is the exit code and the others are still registered.
  ToolRun several =
      RunVxRegSvr("/s " + Quoted(VXST_NO_SERVER_MODULE) + " " + Quoted(VXST_FAKE_PROTOCOL_MODULE));
  EXPECT_EQ(several.exitCode, 4);
  EXPECT_EQ(ServerPath(), VXST_FAKE_PROTOCOL_MODULE);
}

TEST_F(VxRegSvr, BadCommandLinesShowUsage) {
  ToolRun none = RunVxRegSvr("");
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.output.rfind("No module name given.\nUsage: vxregsvr", 0), 0u) << none.output;
  ToolRun unknown = RunVxRegSvr("/x " + Quoted(VXST_FAKE_PROTOCOL_MODULE));
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.output.rfind("Unrecognized flag: /x\nUsage: vxregsvr", 0), 0u)
      << unknown.output;
  EXPECT_EQ(ServerPath(), std::nullopt);
  EXPECT_EQ(RunVxRegSvr("/s /x").output, "");
}

}  // namespace
