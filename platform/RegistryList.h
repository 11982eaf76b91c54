// Reading a whole key at once through the registry calls: its subkey names and
// its values, each in enumeration order.
#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"

struct RegValue {
  std::string name;
  DWORD type = 0;
  std::string data;  // the value's bytes
};

DWORD ListRegSubKeys(HKEY key, std::vector<std::string>* names);
DWORD ListRegValues(HKEY key, std::vector<RegValue>* values);
