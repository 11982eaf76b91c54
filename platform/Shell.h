// The desktop shell's "open" verb. A URL ("scheme:...") is opened with the
// command registered for its scheme (the default value of the key
// HKEY_CLASSES_ROOT\<scheme>\Shell\Open\Command); where none or an empty one
// is registered, and for anything that is no URL, with the desktop's opener,
// xdg-open.
//
// A command is split into words as a command line is (double quotes group
// blanks); "%1" in a word stands for the target, and when no word holds it the
// target is added as the last word. The program runs on its own, without a
// shell, and the call does not wait for it.
#pragma once

#include <string>

inline constexpr int SW_SHOWNORMAL = 1;

// Results of ShellOpen at or below 32 are failures, as the original shell's.
inline constexpr int SE_ERR_FNF = 2;        // the program could not be started
inline constexpr int SE_ERR_NOASSOC = 31;   // nothing to open it with
inline constexpr int kShellOpenStarted = 42;

// Opens TARGET as the shell's "open" does; SHOWCOMMAND (SW_SHOWNORMAL ...) is
// the window state asked for, which the program is left to choose here.
// Returns kShellOpenStarted once the program runs, else SE_ERR_FNF or
// SE_ERR_NOASSOC (an empty target).
int ShellOpen(const std::string& target, int showCommand);
