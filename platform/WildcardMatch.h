// Name patterns as the original platform's file search matched them, with one
// change: names compare as this system's file systems compare them, case
// counting, as the shell's patterns do ("*.vxb" matches "a.vxb" but not
// "A.VXB", and "Manual.vxb" names that file and not its twin "manual.vxb").
// "*" stands for any run of characters and "?" for one, and the platform's
// rules for dots hold:
//   - "*.*" matches every name, with or without an extension;
//   - a "*" right before a "." matches up to the name's last dot ("*.vxb"
//     matches "a.b.vxb" but not "a.vxb.bak");
//   - a "?" at the end of the pattern, or before a dot, also matches nothing at
//     the end of the name or before its dot ("a?.txt" matches "a.txt");
//   - a "." at the end of the pattern, or before "*" or "?", also matches the end
//     of the name ("a*." matches names beginning with "a" without a dot).
// "?" stands for one character, not one byte, in UTF-8 names.
#pragma once

#include <string_view>

// Whether NAME (a file name without folder) matches PATTERN.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// Whether TEXT holds a "*" or a "?".
bool HasWildcards(std::string_view text);
