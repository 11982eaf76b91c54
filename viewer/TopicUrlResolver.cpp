#include "viewer/TopicUrlResolver.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <limits>
#include <optional>
#include <string_view>

#include "archive/VxbFile.h"
#include "base/HtmlEscape.h"
#include "base/KelException.h"

namespace {

constexpr std::string_view kPrefix = "vexost://";
constexpr std::string_view kFileMark = "file:";
constexpr std::string_view kFirmCodeMark = "FirmCode:";
constexpr std::string_view kSeparator = "::";
constexpr std::uint32_t kNoFirmCode = 0xFFFFFFFF;
constexpr std::uint32_t kMaxFirmCode = 0xFFFFF;

bool SkipNoCase(std::string_view& text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(word[i])))
      return false;
  text.remove_prefix(word.size());
  return true;
}

// Reads a number of at most MAX: decimal, or where HEXALLOWED hexadecimal after "0x".
std::optional<std::uint64_t> ReadNumber(std::string_view& text, std::uint64_t max,
                                        bool hexAllowed) {
  const bool hex = hexAllowed && SkipNoCase(text, "0x");
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (; digits < text.size(); ++digits) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[digits])));
    const int digit = c >= '0' && c <= '9'          ? c - '0'
                      : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                    : -1;
    if (digit < 0) break;
    value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
    if (value > max) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  text.remove_prefix(digits);
  return value;
}

// What a URL without topic path names, read in the order the reader reads it.
struct TopicReference {
  std::string archivePart;  // as written, ending with "::" after a file's path
  std::string filePath;     // unescaped; empty for an archive named
  std::string name;
  std::uint32_t firmCode = kNoFirmCode;
  std::int32_t topicNumber = -1;  // negative: the start topic
};

// The reference of URL (without query and fragment), or nothing when URL names
// a topic by path or is none the reader would serve.
std::optional<TopicReference> ReadReference(std::string_view url) {
  if (!SkipNoCase(url, kPrefix)) return std::nullopt;
  TopicReference reference;
  for (;;) {
    const std::string_view part = url;
    if (SkipNoCase(url, kFileMark)) {
      const std::size_t separator = url.find(kSeparator);
      std::string_view path = url.substr(0, separator);
      if (separator == std::string_view::npos && path.ends_with('/')) path.remove_suffix(1);
      url.remove_prefix(separator == std::string_view::npos ? url.size()
                                                            : separator + kSeparator.size());
      reference.filePath = vxs::UnescapeUrlComponent(path);
      reference.name.clear();
      // A file's path ends at "::" in the URL made, so that the reader reads it whole.
      reference.archivePart += std::string(part.substr(0, kFileMark.size())) + std::string(path) +
                               std::string(kSeparator);
      continue;
    }
    if (SkipNoCase(url, kFirmCodeMark)) {
      const std::optional<std::uint64_t> firmCode = ReadNumber(url, kMaxFirmCode, true);
      if (!firmCode) return std::nullopt;
      reference.firmCode = static_cast<std::uint32_t>(*firmCode);
      if (url.starts_with(kSeparator)) url.remove_prefix(kSeparator.size());
    } else {
      const std::size_t separator = url.find(kSeparator);
      const std::size_t end = separator != std::string_view::npos ? separator : url.find('/');
      if (end == 0 || url.empty()) break;
      reference.name = vxs::UnescapeUrlComponent(url.substr(0, end));
      url.remove_prefix(separator != std::string_view::npos ? separator + kSeparator.size()
                                                            : std::min(end, url.size()));
    }
    reference.archivePart += part.substr(0, part.size() - url.size());
  }
  if (reference.filePath.empty() && reference.name.empty()) return std::nullopt;
  if (url.starts_with('/')) url.remove_prefix(1);
  if (const std::size_t colon = url.find(':'); colon != std::string_view::npos) {
    url.remove_prefix(colon + 1);
    const auto number = ReadNumber(url, std::numeric_limits<std::int32_t>::max(), false);
    if (!number) return std::nullopt;
    reference.topicNumber = static_cast<std::int32_t>(*number);
    return reference;
  }
  if (url.ends_with('/')) url.remove_suffix(1);
  if (!url.empty()) return std::nullopt;
  return reference;
}

// PATH with each of its parts escaped for a URL, the "/" between them kept.
std::string EscapeTopicPath(const std::string& path) {
  std::string out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find_first_of("/\\", start);
    out += vxs::EscapeUrlComponent(std::string_view(path).substr(start, end - start));
    if (end == std::string::npos) return out;
    out += '/';
    start = end + 1;
  }
}

}  // namespace

std::string TopicUrlResolver::ReadTopicPath(const std::string& path, std::int32_t number) {
  // Only a regular file is opened: a FIFO or a device would block the view.
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return "";
  std::string topic;
  try {
    ThisVxbFile archive;
    archive.SetPath(path);
    const std::int32_t start = archive.LoadTopicTable();
    if (!archive.OpenTopic(number < 0 ? start : number, topic)) topic.clear();
  } catch (CException* failure) {
    failure->Delete();
    topic.clear();
  } catch (const std::exception&) {
    topic.clear();
  }
  return topic;
}

std::string TopicUrlResolver::Resolve(const std::string& url) const {
  const std::size_t tail = url.find_first_of("?#");
  const std::optional<TopicReference> reference =
      ReadReference(std::string_view(url).substr(0, tail));
  if (!reference) return url;
  const std::string file = !reference->filePath.empty()
                               ? reference->filePath
                               : m_finder(reference->name, reference->firmCode);
  if (file.empty()) return url;
  const std::string topic = ReadTopicPath(file, reference->topicNumber);
  if (topic.empty()) return url;
  return std::string(kPrefix) + reference->archivePart + "/" + EscapeTopicPath(topic) +
         (tail == std::string::npos ? "" : url.substr(tail));
}
