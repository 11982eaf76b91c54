// Whole archives as the reader serves them: open, load the topic table, look
// topics up by number and by path, and read every topic through the content
// pipeline. The input is the archive file (its checksums are mended first).
#include <vector>

#include "archive/VxbFile.h"
#include "fuzz/ContainerChecksums.h"
#include "fuzz/FuzzSupport.h"

namespace {

constexpr std::uint32_t kMostTopics = 64;  // topics read from one input

// Reads the current topic to its end in pieces of PIECE bytes. A topic never
// yields more than its table entry announces, and every read either moves bytes
// or reaches the end within the stored data's bound of calls.
void ReadTopic(ThisVxbFile& archive, std::uint32_t piece, std::uint64_t fileSize) {
  const stow::TopicSlot slot = archive.GetSlot(static_cast<std::uint32_t>(archive.GetCurrentSlot()));
  std::vector<std::uint8_t> buffer(piece);
  std::uint64_t total = 0;
  std::uint64_t calls = 0;
  for (bool ended = false; !ended; ++calls) {
    std::uint32_t count = 0;
    ended = archive.ReadTopicData(buffer.data(), piece, count);
    if (count > piece) std::abort();
    total += count;
    if (total > slot.expandedLength) std::abort();
    // Each call takes at least one chunk head (2 bytes) or hands out bytes.
    if (calls > fileSize + slot.expandedLength + 2) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(fuzz::Text(data, size));
  fuzz::MendContainerChecksums(bytes);
  const std::string path = fuzz::WriteScratchFile("archive.vxb", bytes);

  ThisVxbFile archive;
  archive.SetPath(path);
  std::int32_t start = ThisVxbFile::kNoTopic;
  if (!fuzz::Expected([&] { start = archive.LoadTopicTable(); })) return 0;

  const std::uint32_t piece = 1 + size % 5000;
  std::vector<std::string> paths;
  const std::uint32_t topics = std::min(archive.GetSlotCount(), kMostTopics);
  for (std::uint32_t number = 0; number < topics; ++number) {
    std::string topic;
    fuzz::Expected([&] {
      if (!archive.OpenTopic(static_cast<std::int32_t>(number), topic)) return;
      paths.push_back(topic);
      ReadTopic(archive, piece, size);
    });
  }
  // Lookups by path, relative to the folder of the last page, and the start topic.
  paths.insert(paths.end(), {"index.htm", "../index.htm", "a/b/c.htm", "/", ""});
  for (const std::string& wanted : paths) {
    std::string topic = wanted;
    fuzz::Expected([&] {
      if (archive.OpenTopic(ThisVxbFile::kNoTopic, topic)) ReadTopic(archive, 4096, size);
    });
  }
  std::string topic;
  fuzz::Expected([&] {
    if (archive.OpenTopic(start, topic)) ReadTopic(archive, 65536, size);
  });
  return 0;
}
