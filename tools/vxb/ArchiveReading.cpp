#include "tools/vxb/ArchiveReading.h"

#include <algorithm>

#include "base/KelException.h"
#include "base/PathText.h"
#include "tools/vxb/Arguments.h"

namespace vxb {

namespace {

constexpr std::uint32_t kDecimalExpected = 2020;  // "decimal number expected: %1"

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

bool OpenRequest(ThisVxbFile& archive, const std::string& request, std::string& path) {
  path = request;
  if (!request.starts_with(':')) return archive.OpenTopic(ThisVxbFile::kNoTopic, path);
  const std::string digits = request.substr(1);
  if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos)
    ThrowCommandLineError(kDecimalExpected, {}, request);
  const unsigned long long number = std::stoull(digits);
  // Numbers beyond the largest slot name nothing.
  if (number > 0x7FFFFFFF) return false;
  return archive.OpenTopic(static_cast<std::int32_t>(number), path);
}

void ThrowTopicNotFound(const ThisVxbFile& archive, const std::string& request) {
  throw new CKelException(1001, request, {}, {},
                          archive.DisplayForm(0, vxs::kDisplayRelative | vxs::kDisplayUnquoted));
}

}  // namespace vxb
