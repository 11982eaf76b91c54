// The script registrar: a list of registry keys with text values that a program
// writes when it registers and takes away again when it unregisters. "%MODULE%"
// in a value stands for the module's (the program's) path.
//
// Unregistering goes through the keys in reverse order: a key marked never to be
// removed is left as it is; of any other key the values that still hold what
// the script wrote are deleted, and the key goes when nothing else is left in
// it. So settings that another program has written in the meantime stay.
#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"

struct RegistryScriptValue {
  std::string name;  // "": the key's default value
  std::string text;
};

struct RegistryScriptKey {
  std::string path;  // below the root
  std::vector<RegistryScriptValue> values;
  bool noRemove = false;
};

using RegistryScript = std::vector<RegistryScriptKey>;

// Writes SCRIPT below ROOT with MODULE in place of "%MODULE%": ERROR_SUCCESS or
// the error of the first write that failed.
LSTATUS ApplyRegistryScript(HKEY root, const RegistryScript& script, const std::string& module);
// Takes away what ApplyRegistryScript wrote: ERROR_SUCCESS (missing keys are
// passed over) or the error of the first deletion that failed.
LSTATUS RemoveRegistryScript(HKEY root, const RegistryScript& script, const std::string& module);
