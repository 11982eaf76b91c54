// INI files read and written in the manner of the original platform's private
// profile functions (GetPrivateProfileStringA ...), on the rules of IniDocument.
//
// A file name that is not a full path (no leading '/') names a file in the
// settings folder, the folder of the current user's registry hive (so
// VXST_REGISTRY_DIR moves it too), as the original looked such names up in the
// system folder. Writes replace the file in one step (a new file renamed over
// the old), so a reader or a crash never sees half a file, and writers in the
// same folder take turns. Failures set the thread's last error (SystemError.h).
#pragma once

#include <string>
#include <string_view>

#include "platform/WinTypes.h"

// The file a profile name stands for.
std::string ProfileFilePath(std::string_view file);

// KEY's value in SECTION, or DEFAULTTEXT (trailing blanks removed) when the file,
// section or key is missing. A null SECTION gives all section names, a null KEY
// all keys of SECTION, each ending in a zero and the list in one more. Returns the
// characters copied without the final zero; a value cut to fit gives SIZE - 1,
// a list SIZE - 2.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText,
                               char* buffer, DWORD size, const char* file);
// The entries "key=value" of SECTION as a list like the above.
DWORD GetPrivateProfileSectionA(const char* section, char* buffer, DWORD size, const char* file);
DWORD GetPrivateProfileSectionNamesA(char* buffer, DWORD size, const char* file);

// Sets KEY = TEXT in SECTION (created where missing, with the file); a null TEXT
// deletes the key, a null KEY the whole section. Names and texts that would break
// the file's lines (line breaks; '=' or a leading '[', ';' or '#' in a key; ']'
// in a section name) are refused with ERROR_INVALID_PARAMETER.
BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* text,
                                const char* file);
// Replaces the lines of SECTION by LINES (zero-terminated texts ending with an
// empty one); a null LINES deletes the section.
BOOL WritePrivateProfileSectionA(const char* section, const char* lines, const char* file);
