// vxb verify FILE: the container's checksums (checked when it is opened), every
// topic's name, data and place in the topic table. Each fault found is reported;
// the exit status tells whether there was any.
#include "archive/TopicName.h"
#include "base/KelException.h"
#include "tools/vxb/ArchiveReading.h"
#include "tools/vxb/Arguments.h"
#include "tools/vxb/Commands.h"
#include "tools/vxb/ProgressBar.h"

namespace vxb {

namespace {

constexpr std::uint32_t kCorrupt = 1031;  // "file is corrupt%1"

[[noreturn]] void ThrowFault(const ThisVxbFile& archive, const std::string& detail) {
  CKelFile::ThrowFileError(archive, kCorrupt, 0, detail);
}

// Whether the hash chain of the topic's path leads to its slot, as a lookup by
// path must walk it.
bool OnItsChain(const ThisVxbFile& archive, const TopicEntry& topic) {
  std::uint32_t slot = stow::HomeSlot(topic.path, archive.GetSlotCount());
  for (std::uint32_t step = 0; step < archive.GetSlotCount(); ++step) {
    if (slot == topic.slot) return true;
    const std::int32_t next = archive.GetSlot(slot).next;
    if (next < 0 || static_cast<std::uint32_t>(next) >= archive.GetSlotCount()) return false;
    slot = static_cast<std::uint32_t>(next);
  }
  return false;
}

void VerifyTopic(ThisVxbFile& archive, const TopicEntry& topic, ProgressBar& bar,
                 std::uint64_t& done, std::uint64_t total) {
  if (!OnItsChain(archive, topic))
    ThrowFault(archive, " (topic " + topic.path + " is not on the hash chain of its path)");
  std::string path;
  archive.OpenTopic(static_cast<std::int32_t>(topic.slot), path);
  const std::uint64_t length = StreamTopic(archive, [&](const char*, std::uint32_t count) {
    done += count;
    bar.Update(done, total);
  });
  if (length != archive.GetSlot(topic.slot).expandedLength)
    ThrowFault(archive, " (topic " + topic.path + " gives " + std::to_string(length) + " of " +
                            std::to_string(archive.GetSlot(topic.slot).expandedLength) + " bytes)");
}

}  // namespace

int Verify(const Words& words, Console& console) {
  const Arguments args(words, {});
  const std::unique_ptr<ThisVxbFile> archive = LoadArchive(args.Operands(1, 1, "archive file")[0]);
  std::vector<TopicEntry> topics;
  int status = kSuccess;
  // Names are read slot by slot, so that one unreadable name does not hide the rest.
  for (std::uint32_t slot = 0; slot < archive->GetSlotCount(); ++slot) {
    try {
      std::string path;
      if (archive->OpenTopic(static_cast<std::int32_t>(slot), path)) topics.push_back({slot, path});
    } catch (CKelException* e) {
      const std::unique_ptr<CKelException> fault(e);
      console.Report(*fault);
      status = kFailure;
    }
  }
  std::uint64_t total = 0;
  for (const TopicEntry& topic : topics) total += archive->GetSlot(topic.slot).expandedLength;
  ProgressBar bar(console.Err(), console.ProgressBar(), "verifying");
  std::uint64_t done = 0;
  for (const TopicEntry& topic : topics) {
    try {
      VerifyTopic(*archive, topic, bar, done, total);
    } catch (CKelException* e) {
      const std::unique_ptr<CKelException> fault(e);
      bar.Finish();
      console.Report(*fault);
      status = kFailure;
    }
  }
  bar.Finish();
  console.Out() << archive->DisplayForm(0, 0) << ": " << topics.size() << " topics, "
                << (status == kSuccess ? "sound" : "damaged") << '\n';
  return status;
}

}  // namespace vxb
