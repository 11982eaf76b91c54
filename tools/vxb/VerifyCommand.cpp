// vxb verify FILE: the container's checksums (checked when it is opened), every
// topic's name and data read by its number, and the topic table (see
// TopicTableCheck.h). Each fault found is reported; the exit status tells
// whether there was any. What verify calls sound reads completely, by path and
// by number.
#include <map>

#include "base/KelException.h"
#include "tools/vxb/ArchiveReading.h"
#include "tools/vxb/Arguments.h"
#include "tools/vxb/Commands.h"
#include "tools/vxb/ProgressBar.h"
#include "tools/vxb/ShownText.h"
#include "tools/vxb/TopicTableCheck.h"

namespace vxb {

namespace {

constexpr std::uint32_t kCorrupt = 1031;  // "file is corrupt%1"

[[noreturn]] void ThrowFault(const ThisVxbFile& archive, const std::string& fault) {
  CKelFile::ThrowFileError(archive, kCorrupt, 0, " (" + fault + ")");
}

// Reads the topic in SLOT by its number to its end; its path goes into NAMES
// as soon as its name has been read.
void ReadTopic(ThisVxbFile& archive, std::uint32_t slot,
               std::map<std::uint32_t, std::string>& names, ProgressBar& bar, std::uint64_t& done,
               std::uint64_t total) {
  std::string path;
  archive.OpenTopic(static_cast<std::int32_t>(slot), path);
  names[slot] = path;
  const std::uint64_t length = StreamTopic(archive, [&](const char*, std::uint32_t count) {
    done += count;
    bar.Update(done, total);
  });
  const std::uint32_t expected = archive.GetSlot(slot).expandedLength;
  if (length != expected)
    ThrowFault(archive, "topic " + std::to_string(slot) + " (" + path + ") gives " +
                            std::to_string(length) + " of its " + std::to_string(expected) +
                            " bytes");
}

}  // namespace

int Verify(const Words& words, Console& console) {
  const Arguments args(words, {});
  const std::unique_ptr<ThisVxbFile> archive = LoadArchive(args.Operands(1, 1, "archive file")[0]);
  std::uint64_t total = 0;
  for (std::uint32_t slot = 0; slot < archive->GetSlotCount(); ++slot) {
    const stow::TopicSlot entry = archive->GetSlot(slot);
    if (entry.nameOffset != 0) total += entry.expandedLength;
  }
  ProgressBar bar(console.Err(), console.ProgressBar(), "verifying");
  std::uint64_t done = 0;
  std::map<std::uint32_t, std::string> names;
  std::size_t faults = 0;
  const auto report = [&](CKelException& fault) {
    bar.Finish();
    console.Report(fault);
    ++faults;
  };
  // Slot by slot, so that one unreadable topic does not hide the rest.
  for (std::uint32_t slot = 0; slot < archive->GetSlotCount(); ++slot) {
    if (archive->GetSlot(slot).nameOffset == 0) continue;
    try {
      ReadTopic(*archive, slot, names, bar, done, total);
    } catch (CKelException* e) {
      const std::unique_ptr<CKelException> fault(e);
      report(*fault);
    }
  }
  CheckTopicTable(*archive, names, [&](const std::string& fault) {
    try {
      ThrowFault(*archive, fault);
    } catch (CKelException* e) {
      const std::unique_ptr<CKelException> owned(e);
      report(*owned);
    }
  });
  bar.Finish();
  console.Out() << ShownText(archive->DisplayForm(0, 0)) << ": " << names.size() << " topics, "
                << (faults == 0 ? "sound" : "damaged") << '\n';
  return faults == 0 ? kSuccess : kFailure;
}

}  // namespace vxb
