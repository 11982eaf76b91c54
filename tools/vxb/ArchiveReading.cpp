#include "tools/vxb/ArchiveReading.h"

#include <algorithm>

#include "base/KelException.h"
#include "base/PathText.h"
#include "tools/vxb/Arguments.h"

namespace vxb {

namespace {

constexpr std::uint32_t kDecimalExpected = 2020;  // "decimal number expected: %1"
constexpr std::uint32_t kTopicNotFound = 1044;    // "topic %1 not found"

}  // namespace

std::unique_ptr<ThisVxbFile> LoadArchive(const std::string& path) {
  auto archive = std::make_unique<ThisVxbFile>();
  archive->SetPath(path);
  archive->LoadTopicTable();
  return archive;
}

std::vector<TopicEntry> ListTopics(ThisVxbFile& archive) {
  std::vector<TopicEntry> topics;
  for (std::uint32_t slot = 0; slot < archive.GetSlotCount(); ++slot) {
    std::string path;
    if (archive.OpenTopic(static_cast<std::int32_t>(slot), path)) topics.push_back({slot, path});
  }
  std::sort(topics.begin(), topics.end(),
            [](const TopicEntry& a, const TopicEntry& b) { return a.path < b.path; });
  return topics;
}

TopicRequest ParseRequest(const std::string& text) {
  if (!text.starts_with(':')) return {text, -1};
  const std::string digits = text.substr(1);
  if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos)
    ThrowCommandLineError(kDecimalExpected, {}, text);
  return {text, static_cast<std::int64_t>(std::stoull(digits))};
}

bool OpenRequest(ThisVxbFile& archive, const TopicRequest& request, std::string& path) {
  path = request.text;
  if (request.number < 0) return archive.OpenTopic(ThisVxbFile::kNoTopic, path);
  // Numbers beyond the largest slot name nothing.
  if (request.number > 0x7FFFFFFF) return false;
  return archive.OpenTopic(static_cast<std::int32_t>(request.number), path);
}

void ThrowTopicNotFound(const ThisVxbFile& archive, const std::string& request) {
  throw new CKelException(kTopicNotFound, request, {}, {},
                          archive.DisplayForm(0, vxs::kDisplayRelative | vxs::kDisplayUnquoted));
}

}  // namespace vxb
