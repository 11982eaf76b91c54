#include "registrar/RegistrarTexts.h"

#include "platform/DriveType.h"

namespace registrar {

namespace {

const char* Plural(std::uint64_t count) { return count == 1 ? "" : "s"; }

std::string Counted(std::uint32_t count, const char* what) {
  return std::to_string(count) + " file" + Plural(count) + " " + what;
}

const char* DriveDescription(unsigned driveType) {
  switch (driveType) {
    case DRIVE_FIXED: return nullptr;
    case DRIVE_NO_ROOT_DIR: return "a drive, which is invalid (unmounted etc.)";
    case DRIVE_REMOVABLE: return "a removable disk";
    case DRIVE_REMOTE: return "a remote (network) drive";
    case DRIVE_CDROM: return "a CD-ROM or DVD";
    case DRIVE_RAMDISK: return "a RAM disk";
    default: return "an unknown drive.";
  }
}

constexpr const char* kOptionTable =
    "\nFollowing options can be used: ('-' instead of '/' is permitted)\n"
    "/I\tInstall all subsequently specified files or file groups.\n"
    "/U\tUnistalls all subsequently specified files or file groups.\n"
    "/L\tDisplay a dialog with all installed Stowra Archives.\n"
    "/A\tExecute the install/uninstall for all users.\n"
    "/C\tExecute the install/uninstall only for the current user.\n"
    "/O\tOpens and view a single specified archive (archive or file name follows).\n"
    "/T\tTidy up the archive registration.\n"
    "/V0\tSilent Output Mode: Don't display any feedback message box.\n"
    "/V1\tGauge Output Mode: Display long-execution dialog boxes only.\n"
    "/V2\tNormal Output Mode (Default): Display a summary message box.\n"
    "/V3\tVerbose Output Mode: Detailed output of all activities.\n"
    "/?\tPrint this options help table.\n\n"
    "<FileSpecLists> is a sequence of one or more <FileSpecList>\n"
    "a single <FileSpecList> has the syntax:\n"
    "    [Folder]FileGroup[.vxb][/S] FileGroup[.vxb] ...\n"
    "    <FileGroup> is single file or a ?/* wildcard match specification.\n"
    "    Option /S scans also all subfolders of <Folder>.\n";

}  // namespace

std::string SummaryText(const RunCounters& counters) {
  std::string text = std::to_string(counters.filesScanned) + " file" + Plural(counters.filesScanned) + " ";
  if (counters.folders > 1) text += "in " + std::to_string(counters.folders) + " folders ";
  text += "scanned:\n";
  if (counters.registered == 0 && counters.unregistered == 0) {
    return text + "no files registered or unregistered.";
  }
  text += "Archives: ";
  if (counters.registered > 0) text += Counted(counters.registered, "registered");
  // Both counts are parted by a comma, so they do not run into each other.
  if (counters.registered > 0 && counters.unregistered > 0) text += ", ";
  if (counters.unregistered > 0) text += Counted(counters.unregistered, "unregistered");
  return text + ".\n";
}

std::string FileNotFoundText(const std::string& path) { return "File " + path + " not found."; }

std::string CannotRegisterText(const std::string& path, const std::string& name) {
  const std::string head = "\"" + path + "\" cannot be registered: ";
  if (name.empty()) return head + "the archive has no name";
  return head + "archive \"" + name + "\" has no firm code; pack it with one (vxb pack --firm-code N)";
}

std::string NotRegisteredText(const std::string& path, bool allUsers) {
  return "\"" + path + "\" is not registered for " + (allUsers ? "all users" : "the current user");
}

std::string NotAFileText(const std::string& path) { return "\"" + path + "\" is not a regular file"; }

std::string FolderLeftOutText(const std::string& path, bool link) {
  return "folder \"" + path + "\" left out: " +
         (link ? "a link leads back into the folders being scanned" : "scanned already by another path");
}

std::string TidyResultText(unsigned removed) {
  if (removed == 0) return kNoMissingLinks;
  return "Tidy up Registry: " + std::to_string(removed) + " link" + Plural(removed) +
         " to missing files removed.";
}

std::string TidyQuestion(const std::string& path, unsigned driveType) {
  const char* description = DriveDescription(driveType);
  if (!description) return {};
  return "Tidy up document registration:\nThe path \"" + path + "\" points to " + description +
         ".\n Delete anyway?";
}

std::string HelpText(const std::string& program, bool full) {
  std::string text = program + " - Stowra Archive Registration Tool.\n"
                     "Version 4.11b of 2004-Oct-14 (Build 34).\n"
                     "\nUse: " + program + " [Option] [FileGroups] [Option] ...\n";
  if (full) return text + kOptionTable;
  return text + "Enter " + program + " /? for getting more information about the options.\n";
}

}  // namespace registrar
