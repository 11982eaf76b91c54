// Texts of GUIDs, versions and dates, as the programs show them in help texts,
// version lines and settings.
#pragma once

#include <cstddef>
#include <string>

#include "platform/WinTypes.h"

// Upper-case hexadecimal, with braces when asked for ("{...}", 38 characters;
// 36 without). Returns the length.
std::size_t FormatGuid(std::string& out, const GUID& guid, bool braces);
std::string FormatGuid(const GUID& guid, bool braces);

// MAJOR.MINOR (two digits) and the release level: 1-99 Concept, 100-399 Alpha,
// Beta, Gamma (each with "(Level n)"), 501-526 a letter a to z; else nothing.
std::string FormatVersion(int level, int major, int minor);

// The date by the table's template (text 55321, else "%1-%2-%3").
std::string FormatDate(int year, int month, int day);

// "Version %1 of %2" (text 55314) with the version and the release date, a line
// break, and the copyright line for the years from FIRSTYEAR to the release
// year (texts 55328 and 55329: %1 first year, %2 release year, %3 HOLDER).
// Two-digit years are completed: the release year to 20xx, the first year to
// 19xx from 70 on.
std::string FormatVersionLine(int level, int major, int minor, int year, int month, int day,
                              int firstYear, const std::string& holder);
