// The desktop shell's "open" verb. A URL ("scheme:...") is opened with the
// command registered for its scheme (the default value of the key
// HKEY_CLASSES_ROOT\<scheme>\Shell\Open\Command); where none or an empty one
// is registered, and for anything that is no URL, with the desktop's opener,
// xdg-open.
//
// A command is split into words as a command line is (double quotes group
// blanks); "%1" in a word stands for the target, and when no word holds it the
// target is added as the last word. The program runs on its own, without a
// shell; the call waits a few seconds at most for it to fail (an opener such as
// xdg-open ends with a non-zero status when nothing can open the target), and
// one that runs on longer has opened it.
#pragma once

#include <string>

inline constexpr int SW_SHOWNORMAL = 1;

// Results of ShellOpen at or below 32 are failures, as the original shell's.
inline constexpr int SE_ERR_FNF = 2;        // the program could not be started
inline constexpr int SE_ERR_NOASSOC = 31;   // nothing to open it with
inline constexpr int kShellOpenStarted = 42;

// Opens TARGET as the shell's "open" does; SHOWCOMMAND (SW_SHOWNORMAL ...) is
// the window state asked for, which the program is left to choose here.
// Returns kShellOpenStarted once the program runs, else SE_ERR_FNF (it could not
// be started) or SE_ERR_NOASSOC (an empty target, or the program failed: its
// exit status goes to *FAILURESTATUS).
int ShellOpen(const std::string& target, int showCommand, int* failureStatus = nullptr);
