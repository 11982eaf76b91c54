// The static application descriptor a program hands to its frame (CKelApp):
// read by position as the original array was.
#pragma once

#include <cstdint>

struct KelAppDescriptor {
  const char* appName;       // 0: application name
  const char* codePrefix;    // 1: message-code prefix, "VK"
  const char* productKey;    // 2: product key path, "VEXO-KEY\\Stowra"
  const char* company;       // 3: company name, "VEXO-SYSTEMS"
  std::uint16_t settingsVersion;  // 4: major in the high byte, minor in the low (0x300 = 3.00)
};
