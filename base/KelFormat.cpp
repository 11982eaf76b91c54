#include "base/KelFormat.h"

#include <cstdio>

#include "base/DateTimeInit.h"
#include "base/MessageText.h"

namespace {

// Text NUMBER of the table, or FALLBACK when the program carries no table.
std::string TableText(unsigned number, const char* fallback) {
  const char* text = LoadMessageText(number);
  return *text ? text : fallback;
}

std::string TwoDigits(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d", value);
  return buffer;
}

std::string LevelText(unsigned wordNumber, const char* fallbackWord, int level) {
  return TableText(wordNumber, fallbackWord) + " (" + TableText(55315, "Level") + " " +
         std::to_string(level) + ")";
}

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

std::size_t FormatGuid(std::string& out, const GUID& g, bool braces) {
  char buffer[40];
  const int length = std::snprintf(
      buffer, sizeof buffer, "%s%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X%s",
      braces ? "{" : "", static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
      g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7], braces ? "}" : "");
  out.assign(buffer, static_cast<std::size_t>(length));
  return out.size();
}

std::string FormatGuid(const GUID& guid, bool braces) {
  std::string text;
  FormatGuid(text, guid, braces);
  return text;
}

std::string FormatVersion(int level, int major, int minor) {
  std::string text = std::to_string(major) + "." + TwoDigits(minor);
  if (level >= 1 && level <= 99) {
    text += LevelText(55316, "Concept", level);
  } else if (level >= 100 && level <= 199) {
    text += LevelText(55317, "Alpha", level % 100);
  } else if (level >= 200 && level <= 299) {
    text += LevelText(55318, "Beta", level % 100);
  } else if (level >= 300 && level <= 399) {
    text += LevelText(55319, "Gamma", level % 100);
  } else if (level >= 501 && level <= 526) {
    text += static_cast<char>('a' + (level - 501));
  }
  return text;
}

std::string FormatDate(int year, int month, int day) {
  const vxs::DateTimeInit& data = vxs::DateTimeData();
  const std::string args[] = {std::to_string(year), data.MonthText(month), TwoDigits(day)};
  return SubstitutePlaceholders(data.DateTemplate(), args, 3);
}

std::string FormatVersionLine(int level, int major, int minor, int year, int month, int day,
                              int firstYear, const std::string& holder) {
  if (year < 100) year += 2000;
  if (firstYear < 70) firstYear += 2000;
  else if (firstYear < 100) firstYear += 1900;
  const std::string versionArgs[] = {FormatVersion(level, major, minor),
                                     FormatDate(year, month, day)};
  std::string line =
      SubstitutePlaceholders(TableText(55314, "Version %1 of %2"), versionArgs, 2);
  const bool oneYear = firstYear == year;
  const std::string yearArgs[] = {std::to_string(firstYear), std::to_string(year), holder};
  const std::string years = oneYear ? TableText(55328, "Copyright (c) %2 %3")
                                    : TableText(55329, "Copyright (c) %1-%2 %3");
  return line + "\n" + TrimRight(SubstitutePlaceholders(years, yearArgs, 3));
}
