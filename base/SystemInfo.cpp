#include "base/SystemInfo.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/utsname.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "base/AutoInit.h"

namespace vxs {

namespace {

constinit AutoInit<SystemInfoImpl> g_systemInfo;

// The leading number of TEXT (at most 255), moving TEXT behind it and a dot.
BYTE ReadVersionPart(const char*& text) {
  unsigned value = 0;
  while (*text >= '0' && *text <= '9') {
    value = value * 10 + static_cast<unsigned>(*text++ - '0');
    if (value > 255) value = 255;
  }
  if (*text == '.') ++text;
  return static_cast<BYTE>(value);
}

std::string RealPath(const char* path) {
  char buffer[PATH_MAX];
  return realpath(path, buffer) ? std::string(buffer) : std::string(path);
}

}  // namespace

SystemInfoImpl::SystemInfoImpl() {
  utsname names{};
  if (uname(&names) != 0) return;
  m_systemName = names.sysname;
  m_systemRelease = names.release;
  const char* release = names.release;
  m_major = ReadVersionPart(release);
  m_minor = ReadVersionPart(release);
  std::snprintf(m_description, sizeof m_description, "%s %s (%s)", names.sysname, names.release,
                names.machine);
}

SystemInfoImpl& SystemInfo() { return g_systemInfo.Get(); }

std::string ModuleFilePath(const void* address) {
  Dl_info info{};
  link_map* module = nullptr;
  if (!dladdr1(address, &info, reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) || !module) {
    return {};
  }
  // The program itself has an empty name in the list of loaded modules.
  if (module->l_name == nullptr || module->l_name[0] == '\0') return RealPath("/proc/self/exe");
  return RealPath(module->l_name);
}

}  // namespace vxs
