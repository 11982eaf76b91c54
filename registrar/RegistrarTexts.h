// The texts the registrar shows: the summary of a run, the tidy result and
// question, the all-users question and the help texts.
#pragma once

#include <cstdint>
#include <string>

namespace registrar {

inline constexpr const char* kTitle = "Stowra Document Registration";
inline constexpr const char* kAllUsersQuestion =
    "Should registration operations be executed\nfor all users and not for current user only?";
inline constexpr const char* kNoFilesFound = "No files found.";
inline constexpr const char* kNoMissingLinks =
    "Tidy up Registry: No missing links, no cleanup required.";
inline constexpr const char* kCatalogErrors =
    "It seems that the document registrations has errors. Please call vxstreg \r\n with the "
    "tidy option /t.";
// A message text: the message adds the final period.
inline constexpr const char* kReaderNotRegistered = "The Reader module libvxstrd.so is not registered";

// The run-wide counters.
struct RunCounters {
  std::uint32_t folders = 0;
  std::uint32_t filesScanned = 0;
  std::uint32_t registered = 0;
  std::uint32_t unregistered = 0;
  std::uint32_t failures = 0;  // files and requests that could not be done
};

// The summary of a run that scanned at least one file.
std::string SummaryText(const RunCounters& counters);
// "File <path> not found.": the summary of a run whose one named file is missing.
std::string FileNotFoundText(const std::string& path);
// Why the archive at PATH, named NAME, cannot be registered: it has no name
// (NAME empty) or no firm code.
std::string CannotRegisterText(const std::string& path, const std::string& name);
// The archive at PATH is not registered (for all users with ALLUSERS).
std::string NotRegisteredText(const std::string& path, bool allUsers);
// PATH names something that is no regular file.
std::string NotAFileText(const std::string& path);
// The folder PATH was not scanned: a link back into the scan (LINK), or a folder
// scanned already.
std::string FolderLeftOutText(const std::string& path, bool link);
// The result of a tidy that removed REMOVED entries.
std::string TidyResultText(unsigned removed);
// The question before removing the entry of PATH on a drive of kind DRIVETYPE,
// or "" when the entry goes without a question (a fixed disk).
std::string TidyQuestion(const std::string& path, unsigned driveType);
// The help texts for the program named PROGRAM: with the option table (FULL) or
// with the hint to ask for it.
std::string HelpText(const std::string& program, bool full);

}  // namespace registrar
