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

// Runs of the real program in order, each on the registry the runs before it left.
TEST_F(VxRegSvr, RegistersUnregistersAndFailsWithItsExitCodesAndMessages) {
  const std::string module = VXST_FAKE_PROTOCOL_MODULE, noServer = VXST_NO_SERVER_MODULE;
  const std::string missing = Folder() + "/libmissing.so";
  const struct {
    std::string arguments;
    int exitCode;
    std::string output;
    bool whole;  // the output is all of OUTPUT, else it starts with it
    std::optional<std::string> server;
    bool registerFails = false;
  } runs[] = {
      {Quoted(module), 0, "DllRegisterServer in " + module + " succeeded.\n", true, module},
      {"/u " + Quoted(module), 0, "DllUnregisterServer in " + module + " succeeded.\n", true, {}},
      {"/s " + Quoted(module), 0, "", true, module},  // the silent option, in either spelling
      {"-U -S " + Quoted(module), 0, "", true, {}},
      // A module named relative to the current folder is registered by its full path.
      {"/s " + Quoted(std::filesystem::relative(module).string()), 0, "", true, module},
      {"/u /s " + Quoted(std::filesystem::relative(module).string()), 0, "", true, {}},
      {Quoted(missing), 3, "The module \"" + missing + "\" failed to load: ", false, {}},
      {"/u " + Quoted(noServer), 4,
       "The module \"" + noServer + "\" was loaded but the entry point DllUnregisterServer was not found.",
       false, {}},
      {Quoted(module), 5,
       "The module \"" + module + "\" was loaded but the call to DllRegisterServer failed with error code "
       "0x80040201.\n", true, {}, true},
      {"", 1, "No module name given.\nUsage: vxregsvr", false, {}},
      {"/x " + Quoted(module), 1, "Unrecognized flag: /x\nUsage: vxregsvr", false, {}},
      {"/s /x", 1, "", true, {}},
      // Of several modules, the first failure is the exit code and the others are still registered.
      {"/s " + Quoted(noServer) + " " + Quoted(module), 4, "", true, module},
  };
  for (const auto& run : runs) {
    if (run.registerFails) setenv("VXFAKE_REGISTER_FAILS", "1", 1);
    const ToolRun result = RunVxRegSvr(run.arguments);
    unsetenv("VXFAKE_REGISTER_FAILS");
    EXPECT_EQ(result.exitCode, run.exitCode) << run.arguments;
    if (run.whole) {
      EXPECT_EQ(result.output, run.output) << run.arguments;
    } else {
      EXPECT_EQ(result.output.find(run.output) == 0 ? run.output : result.output, run.output) << run.arguments;
    }
    EXPECT_EQ(ServerPath(), run.server) << run.arguments;
  }
}

}  // namespace
