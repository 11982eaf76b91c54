// Reading an archive's HTML topics for the index: the topics in the order pages
// are numbered, and one topic's bytes, bounded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/VxbFile.h"

namespace search {

// Pages larger than this are read (and indexed) by their first bytes only.
inline constexpr std::uint32_t kLargestPageRead = 16 * 1024 * 1024;

struct TopicPage {
  std::uint32_t slot;
  std::string path;
};

// The HTML topics of ARCHIVE, shortest path first (then by path), so that among
// equal matches the page nearest the top of the archive ranks first. TOTAL
// receives the bytes that reading them all will take.
std::vector<TopicPage> HtmlTopics(ThisVxbFile& archive, std::uint64_t& total);

// The bytes of topic SLOT, at most kLargestPageRead of them. Throws the archive's
// errors when the topic cannot be read.
std::string ReadTopicPage(ThisVxbFile& archive, std::uint32_t slot);

}  // namespace search
