// Comparison of names without regard to case, as the registry and INI files
// compare them: ASCII letters and the cased letters of Latin-1, Latin Extended-A,
// Greek and Cyrillic are folded to upper case; every other byte stays as it is,
// so malformed UTF-8 still compares (byte for byte) and never fails.
#pragma once

#include <string>
#include <string_view>

// The upper-case form of a UTF-8 text. Sorting folded texts bytewise gives the
// order in which the registry enumerates names.
std::string FoldCase(std::string_view text);

bool EqualNoCase(std::string_view a, std::string_view b);
