// vxb ls, info, cat, extract and lookup: the commands that read an archive.
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "base/KelException.h"
#include "base/KelFile.h"
#include "platform/SystemError.h"
#include "tools/vxb/ArchiveReading.h"
#include "tools/vxb/Arguments.h"
#include "tools/vxb/Commands.h"
#include "tools/vxb/ProgressBar.h"
#include "tools/vxb/ShownText.h"
#include "tools/vxb/TopicPathCheck.h"

namespace vxb {

namespace {

constexpr std::uint32_t kBadFileOrFolder = 1016;    // "bad file/folder: %1"
constexpr std::uint32_t kCannotCreateFolder = 1039;  // "folder %1 cannot be created"
constexpr std::uint32_t kAccessDenied = 1013;        // "access to %1 denied"

std::string Formatted(const char* format, auto... values) {
  char text[128];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

std::string DateText(const stow::ArchiveTime& t) {
  return Formatted("%04u-%02u-%02u %02u:%02u:%02u UTC", t.year, t.month, t.day, t.hour, t.minute,
                   t.second);
}

// Makes FOLDER, where topics are extracted to, and makes sure that files can be
// made in it, so that a target that cannot take them fails once, not per topic.
void PrepareTargetFolder(const std::string& folder) {
  CKelFile target(folder);
  target.CreateFolders();
  switch (os::QueryPath(folder)) {
    case os::PathKind::Folder: break;
    case os::PathKind::File: CKelFile::ThrowFileError(target, kCannotCreateFolder, ERROR_DIRECTORY);
    case os::PathKind::None:
      // Folders refused for lack of access are passed over above: ask again for the reason.
      os::CreateFolder(folder);
      CKelFile::ThrowFileError(target, kCannotCreateFolder, GetLastError());
  }
  std::string probe;
  if (!os::CreateTempFile(folder, "~vxb", probe))
    CKelFile::ThrowFileError(target, kAccessDenied, GetLastError());
  os::DeleteFile(probe);
}

void ExtractTopic(ThisVxbFile& archive, const TopicEntry& topic, const std::string& folder,
                  ProgressBar& bar, std::uint64_t& done, std::uint64_t total) {
  if (UnsafeTopicPath(topic.path)) throw new CKelException(kBadFileOrFolder, topic.path);
  const std::string target = folder + "/" + topic.path;
  CKelFile(target.substr(0, target.rfind('/'))).CreateFolders();
  std::string path;
  archive.OpenTopic(static_cast<std::int32_t>(topic.slot), path);
  CKelFile out(target);
  out.CreateNew({}, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  try {
    StreamTopic(archive, [&](const char* bytes, std::uint32_t count) {
      out.Write(bytes, count);
      done += count;
      bar.Update(done, total);
    });
    out.Close();
  } catch (...) {
    // No file with wrong or missing bytes is left behind.
    out.Reset();
    std::remove(target.c_str());
    throw;
  }
}

}  // namespace

int List(const Words& words, Console& console) {
  const Arguments args(words, {}, {"-l"});
  const std::unique_ptr<ThisVxbFile> archive = LoadArchive(args.Operands(1, 1, "archive file")[0]);
  const bool longForm = args.Flag("-l");
  if (longForm) console.Out() << "  number        size      stored  path\n";
  for (const TopicEntry& topic : ListTopics(*archive)) {
    if (longForm) {
      const stow::TopicSlot slot = archive->GetSlot(topic.slot);
      console.Out() << Formatted("%8u %11u %11u  ", topic.slot, slot.expandedLength, slot.storedLength);
    }
    console.Out() << ShownText(topic.path) << '\n';
  }
  return kSuccess;
}

int Info(const Words& words, Console& console) {
  const Arguments args(words, {});
  const std::string file = args.Operands(1, 1, "archive file")[0];
  const std::unique_ptr<ThisVxbFile> archive = LoadArchive(file);
  std::uint64_t expanded = 0;
  std::uint64_t stored = 0;
  std::uint32_t topics = 0;
  for (std::uint32_t i = 0; i < archive->GetSlotCount(); ++i) {
    const stow::TopicSlot slot = archive->GetSlot(i);
    if (slot.nameOffset == 0) continue;
    ++topics;
    expanded += slot.expandedLength;
    stored += slot.storedLength;
  }
  std::string start = "none";
  std::string startPath;
  if (archive->GetStartTopic() >= 0 && archive->OpenTopic(archive->GetStartTopic(), startPath))
    start = ShownText(startPath) + " (topic " + std::to_string(archive->GetStartTopic()) + ")";
  const BiffRecord version = archive->GetVersionRecord();
  std::ostream& out = console.Out();
  out << "name:       " << ShownText(archive->GetArchiveName()) << '\n'
      << "title:      " << ShownText(archive->GetTitle()) << '\n'
      << "copyright:  " << ShownText(archive->GetCopyright()) << '\n'
      << "firm code:  "
      << (archive->GetFirmCode() == stow::kNoFirmCode ? "none" : std::to_string(archive->GetFirmCode()))
      << '\n'
      << "created:    " << DateText(archive->GetCreationTime()) << '\n'
      << "version:    " << (version ? Formatted("%u.%02u", version.Word(0), version.Word(2)) : "none") << '\n'
      << "topics:     " << topics << " in " << archive->GetSlotCount() << " slots\n"
      << "start:      " << start << '\n'
      << "size:       " << expanded << " bytes (" << ByteCountText(expanded) << ")\n"
      << "stored:     " << stored << " bytes (" << ByteCountText(stored) << ")\n"
      << "file:       " << archive->GetLength() << " bytes (" << ByteCountText(archive->GetLength()) << ")\n";
  return kSuccess;
}

int Cat(const Words& words, Console& console) {
  const Arguments args(words, {});
  const Words& operands = args.Operands(2, 2, "archive file and topic");
  const TopicRequest request = ParseRequest(operands[1]);
  const std::unique_ptr<ThisVxbFile> archive = LoadArchive(operands[0]);
  std::string path;
  if (!OpenRequest(*archive, request, path)) ThrowTopicNotFound(*archive, operands[1]);
  StreamTopic(*archive, [&](const char* bytes, std::uint32_t count) { console.Out().write(bytes, count); });
  return kSuccess;
}

int Extract(const Words& words, Console& console) {
  const Arguments args(words, {});
  const Words& operands = args.Operands(2, 2, "archive file and folder");
  const std::unique_ptr<ThisVxbFile> archive = LoadArchive(operands[0]);
  std::string folder = operands[1];
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const std::vector<TopicEntry> topics = ListTopics(*archive);
  PrepareTargetFolder(folder);
  std::uint64_t total = 0;
  for (const TopicEntry& topic : topics) total += archive->GetSlot(topic.slot).expandedLength;
  ProgressBar bar(console.Err(), console.ProgressBar(), "extracting");
  std::uint64_t done = 0;
  int status = kSuccess;
  for (const TopicEntry& topic : topics) {
    try {
      ExtractTopic(*archive, topic, folder, bar, done, total);
    } catch (CKelException* e) {
      // One topic that cannot be written or read does not stop the others.
      const std::unique_ptr<CKelException> failure(e);
      bar.Finish();
      console.Report(*failure);
      status = kFailure;
    }
  }
  return status;
}

int Lookup(const Words& words, Console& console) {
  const Arguments args(words, {});
  const Words& operands = args.Operands(2, SIZE_MAX, "archive file and requests");
  std::vector<TopicRequest> requests;
  for (std::size_t i = 1; i < operands.size(); ++i) requests.push_back(ParseRequest(operands[i]));
  const std::unique_ptr<ThisVxbFile> archive = LoadArchive(operands[0]);
  int status = kSuccess;
  for (const TopicRequest& request : requests) {
    std::string path;
    if (OpenRequest(*archive, request, path)) {
      console.Out() << archive->GetCurrentSlot() << '\t' << ShownText(path) << '\n';
    } else {
      console.Out() << "-\tnot found\n";
      status = kFailure;
    }
  }
  return status;
}

}  // namespace vxb
