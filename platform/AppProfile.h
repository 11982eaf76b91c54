// The framework application's profile functions: integers and texts of a
// program kept under HKEY_CURRENT_USER\Software\<registry key>\<application>\<section>,
// as an application that set its registry key keeps its settings.
#pragma once

#include <optional>
#include <string>

#include "platform/WinTypes.h"

class AppProfile {
 public:
  // REGISTRYKEY: the company part ("VEXO-SYSTEMS\Stowra"); APPNAME: the program's title.
  AppProfile(std::string registryKey, std::string appName);

  // The number ENTRY of SECTION, or nothing when it is missing or no number.
  std::optional<int> GetProfileInt(const std::string& section, const std::string& entry) const;
  // Writes ENTRY as a 32-bit number; false (the registry's error in the thread's
  // last error) when it cannot be written.
  bool WriteProfileInt(const std::string& section, const std::string& entry, int value) const;

  // The text ENTRY of SECTION, or nothing when it is missing or no text.
  std::optional<std::string> GetProfileString(const std::string& section,
                                              const std::string& entry) const;
  // Writes ENTRY as a text; an empty VALUE deletes the entry. False (the
  // registry's error in the thread's last error) when it cannot be written.
  bool WriteProfileString(const std::string& section, const std::string& entry,
                          const std::string& value) const;

  // The key of SECTION below HKEY_CURRENT_USER.
  std::string SectionKey(const std::string& section) const;

 private:
  std::string m_registryKey;
  std::string m_appName;
};
