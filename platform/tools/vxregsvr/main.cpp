// vxregsvr: registers or unregisters in-process servers, the way regsvr32 does.
//
//   vxregsvr [/u] [/s] [--] module...
//
// Each module is loaded and its DllRegisterServer (with /u: DllUnregisterServer)
// is called. /s shows no messages. Options may also be written -u, -s; an option
// is "/" or "-" and one letter, so that absolute paths stay module names. Exit
// codes: 0 done, 1 bad command line, 3 a module did not load, 4 its entry point is
// missing, 5 the entry point failed (the first failure counts).
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/Com.h"
#include "platform/SharedLibrary.h"

namespace {

enum ExitCode { kDone = 0, kBadArguments = 1, kLoadFailed = 3, kEntryMissing = 4, kCallFailed = 5 };

struct Options {
  bool unregister = false;
  bool silent = false;
  std::vector<std::string> modules;
};

constexpr const char* kUsage =
    "Usage: vxregsvr [/u] [/s] module...\n"
    "  /u  unregister the module (call DllUnregisterServer)\n"
    "  /s  silent: show no messages\n";

bool IsOption(const std::string& word) {
  return word.size() == 2 && (word[0] == '/' || word[0] == '-') && word[1] != '-';
}

// nullopt after telling what is wrong with the command line.
std::optional<Options> ParseArguments(int argc, char** argv) {
  Options options;
  bool optionsEnded = false;
  std::string error;
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && IsOption(word) && (word[1] == 'u' || word[1] == 'U')) {
      options.unregister = true;
    } else if (!optionsEnded && IsOption(word) && (word[1] == 's' || word[1] == 'S')) {
      options.silent = true;
    } else if (!optionsEnded && IsOption(word)) {
      if (error.empty()) error = "Unrecognized flag: " + word + "\n";
    } else {
      options.modules.push_back(word);
    }
  }
  if (error.empty() && options.modules.empty()) error = "No module name given.\n";
  if (error.empty()) return options;
  if (!options.silent) std::fprintf(stderr, "%s%s", error.c_str(), kUsage);
  return std::nullopt;
}

// A module named relative to the current folder is loaded by its full path, so
// that the path it registers for itself is one that works from anywhere.
std::string LoadablePath(const std::string& module) {
  if (module.empty() || module.front() == '/' || access(module.c_str(), F_OK) != 0) return module;
  char cwd[4096];
  return getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + module : module;
}

template <class... Args>
void Tell(const Options& options, std::FILE* stream, const char* format, Args... args) {
  if (!options.silent) std::fprintf(stream, format, args...);
}

int RunEntryPoint(const std::string& module, const Options& options) {
  const char* name = module.c_str();
  SharedLibrary library;
  if (library.Load(LoadablePath(module)) != ERROR_SUCCESS) {
    Tell(options, stderr, "The module \"%s\" failed to load: %s\n", name,
         library.LoadError().c_str());
    return kLoadFailed;
  }
  const char* entry = options.unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto call = reinterpret_cast<LPFNREGISTERSERVER>(library.Symbol(entry));
  if (!call) {
    Tell(options, stderr,
         "The module \"%s\" was loaded but the entry point %s was not found.\n"
         "Make sure that \"%s\" is an in-process server library and try again.\n",
         name, entry, name);
    return kEntryMissing;
  }
  HRESULT hr = call();
  if (FAILED(hr)) {
    Tell(options, stderr,
         "The module \"%s\" was loaded but the call to %s failed with error code 0x%08X.\n", name,
         entry, static_cast<unsigned>(hr));
    return kCallFailed;
  }
  Tell(options, stdout, "%s in %s succeeded.\n", entry, name);
  return kDone;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<Options> options = ParseArguments(argc, argv);
  if (!options) return kBadArguments;
  int exitCode = kDone;
  for (const std::string& module : options->modules) {
    int result = RunEntryPoint(module, *options);
    if (exitCode == kDone) exitCode = result;
  }
  return exitCode;
}
