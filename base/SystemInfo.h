// vxs::SystemInfoImpl: facts about the running process and its system, read
// once (first use) and kept for the life of the process.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace vxs {

class SystemInfoImpl {
 public:
  SystemInfoImpl();

  // The system's family and version: this platform reports itself as a
  // member of the NT family, with the kernel's major and minor release.
  bool IsNtFamily() const { return true; }
  BYTE GetMajorVersion() const { return m_major; }
  BYTE GetMinorVersion() const { return m_minor; }
  const std::string& GetSystemName() const { return m_systemName; }
  const std::string& GetSystemRelease() const { return m_systemRelease; }
  // "NAME RELEASE (MACHINE)", at most 255 characters.
  const char* GetDescription() const { return m_description; }

 private:
  BYTE m_major = 0;
  BYTE m_minor = 0;
  std::string m_systemName;
  std::string m_systemRelease;
  char m_description[256] = {};
};

// The process-wide object.
SystemInfoImpl& SystemInfo();

// Full path of the file of the module that holds ADDRESS: the program itself,
// or the shared library the code was loaded from. Empty when unknown.
std::string ModuleFilePath(const void* address);

}  // namespace vxs
