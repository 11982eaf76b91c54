// Environment variables in the manner of the original platform.
#pragma once

#include <string>
#include <string_view>

// Replaces every reference "%NAME%" to a set variable by its value. A reference to
// a variable that is not set, and a lone '%', stay as written.
std::string ExpandEnvironmentStrings(std::string_view text);
