// What the reading commands of vxb share: opening an archive, naming its topics
// and streaming a topic's bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "archive/VxbFile.h"

namespace vxb {

// The archive at PATH with its topic table loaded.
std::unique_ptr<ThisVxbFile> LoadArchive(const std::string& path);

struct TopicEntry {
  std::uint32_t slot;
  std::string path;
};
// Every topic of ARCHIVE, in the byte order of the paths.
std::vector<TopicEntry> ListTopics(ThisVxbFile& archive);

// A request for a topic: ":N" names topic number N, anything else a path.
struct TopicRequest {
  std::string text;
  std::int64_t number;  // -1 for a path
};
// Reads TEXT as a request; a ":" without a decimal number is a command-line error.
TopicRequest ParseRequest(const std::string& text);
// Opens the topic of REQUEST; PATH receives its path. False when it is not there.
bool OpenRequest(ThisVxbFile& archive, const TopicRequest& request, std::string& path);

// Copies the current topic of ARCHIVE to WRITE, piece by piece; returns its length.
template <class Sink>
std::uint64_t StreamTopic(ThisVxbFile& archive, Sink&& write) {
  static constexpr std::uint32_t kPiece = 65536;
  const std::unique_ptr<char[]> buffer(new char[kPiece]);
  std::uint64_t total = 0;
  for (bool ended = false; !ended;) {
    std::uint32_t count = 0;
    ended = archive.ReadTopicData(buffer.get(), kPiece, count);
    if (count > 0) write(buffer.get(), count);
    total += count;
  }
  return total;
}

// Throws 1044 "topic %1 not found" for the topic REQUEST of ARCHIVE.
[[noreturn]] void ThrowTopicNotFound(const ThisVxbFile& archive, const std::string& request);

}  // namespace vxb
