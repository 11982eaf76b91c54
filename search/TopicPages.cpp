#include "search/TopicPages.h"

#include <algorithm>

#include "search/PageText.h"

namespace search {

std::vector<TopicPage> HtmlTopics(ThisVxbFile& archive, std::uint64_t& total) {
  std::vector<TopicPage> topics;
  for (std::uint32_t slot = 0; slot < archive.GetSlotCount(); ++slot) {
    std::string path;
    if (!archive.OpenTopic(static_cast<std::int32_t>(slot), path) || !IsHtmlTopic(path)) continue;
    topics.push_back({slot, path});
    total += std::min(archive.GetSlot(slot).expandedLength, kLargestPageRead);
  }
  std::sort(topics.begin(), topics.end(), [](const TopicPage& a, const TopicPage& b) {
    return a.path.size() != b.path.size() ? a.path.size() < b.path.size() : a.path < b.path;
  });
  return topics;
}

std::string ReadTopicPage(ThisVxbFile& archive, std::uint32_t slot) {
  std::string path;
  std::string bytes;
  if (slot >= archive.GetSlotCount() || !archive.OpenTopic(static_cast<std::int32_t>(slot), path))
    return bytes;
  bytes.reserve(std::min(archive.GetSlot(slot).expandedLength, kLargestPageRead));
  char piece[65536];
  for (bool ended = false; !ended && bytes.size() < kLargestPageRead;) {
    std::uint32_t count = 0;
    ended = archive.ReadTopicData(piece, sizeof piece, count);
    bytes.append(piece, std::min<std::size_t>(count, kLargestPageRead - bytes.size()));
  }
  return bytes;
}

}  // namespace search
