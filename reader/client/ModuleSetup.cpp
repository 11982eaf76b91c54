#include "reader/client/ModuleSetup.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/Com.h"
#include "platform/Registry.h"
#include "reader/ReaderExports.h"

namespace {

constexpr const char* kHandlerServerKey =
    "CLSID\\{00030001-0000-1010-8002-0000C06B5161}\\InprocServer32";

bool IsFile(const std::string& path) { return !path.empty() && ::access(path.c_str(), R_OK) == 0; }

std::string RegisteredModule() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHandlerServerKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return "";
  char path[4096] = {};
  DWORD size = sizeof path - 1;
  DWORD type = 0;
  LSTATUS rc = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) ? std::string(path) : "";
}

std::string ProgramFolder() {
  char path[4096];
  ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string text(path, static_cast<std::size_t>(n));
  return text.substr(0, text.rfind('/'));
}

// Where the module ships: VXST_READER_MODULE, beside the program, in the build
// tree's reader folder (programs lie one or two folders below the build tree:
// host/vxstserve, viewer/app/stow, registrar/vxstreg/vxstreg), or in the
// installed library folder.
std::string ShippedModule() {
  if (const char* path = std::getenv("VXST_READER_MODULE"); path && IsFile(path)) return path;
  std::string folder = ProgramFolder();
  for (const char* relative : {"/libvxstrd.so", "/../reader/libvxstrd.so",
                               "/../../reader/libvxstrd.so", "/../lib/vexost/libvxstrd.so"}) {
    char resolved[4096];
    std::string candidate = folder + relative;
    if (IsFile(candidate) && ::realpath(candidate.c_str(), resolved)) return resolved;
  }
  return "";
}

bool Register(const std::string& module, std::string& error) {
  SharedLibrary library;
  if (library.Load(module) != ERROR_SUCCESS) {
    error = "cannot load " + module + ": " + library.LoadError();
    return false;
  }
  auto registerServer = reinterpret_cast<LPFNREGISTERSERVER>(library.Symbol("DllRegisterServer"));
  if (!registerServer || FAILED(registerServer())) {
    error = "cannot register " + module;
    return false;
  }
  return true;
}

}  // namespace

std::string EnsureReaderModule(std::string& error) {
  std::string registered = RegisteredModule();
  if (IsFile(registered)) return registered;
  std::string shipped = ShippedModule();
  if (shipped.empty()) {
    error = "the reader module libvxstrd.so is neither registered nor beside the program";
    return "";
  }
  if (!Register(shipped, error)) return "";
  registered = RegisteredModule();
  if (!IsFile(registered)) error = "the reader module did not register itself";
  return IsFile(registered) ? registered : "";
}

bool SetUpForClients(const std::string& path, bool hidePaths, SharedLibrary& module,
                     std::string& error) {
  if (module.Load(path) != ERROR_SUCCESS) {
    error = "cannot load " + path + ": " + module.LoadError();
    return false;
  }
  auto keep = reinterpret_cast<VxStRdKeepChoicesProc>(module.Symbol("VxStRdKeepChoices"));
  auto show = reinterpret_cast<VxStRdShowServerPathsProc>(module.Symbol("VxStRdShowServerPaths"));
  if (!keep || !show) {
    error = path + " cannot be set up for many clients (an older reader module?)";
    return false;
  }
  keep(0);
  if (hidePaths) show(0);
  return true;
}
