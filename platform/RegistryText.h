// Text values of the registry, read whole.
#pragma once

#include <optional>
#include <string>

#include "platform/Registry.h"

// The text of value VALUENAME (nullptr or "" for the default value) of ROOT\SUBKEY,
// without its terminating zero; nullopt when the key or value is missing or the
// value is no text (REG_SZ or REG_EXPAND_SZ, the latter not expanded).
std::optional<std::string> ReadRegistryText(HKEY root, const std::string& subKey,
                                            const char* valueName);
