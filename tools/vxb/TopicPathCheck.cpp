#include "tools/vxb/TopicPathCheck.h"

namespace vxb {

namespace {

bool IsControl(std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x20 || byte == 0x7F) return true;
  // U+0080 to U+009F are the UTF-8 pairs C2 80 to C2 9F.
  return byte == 0xC2 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) <= 0x9F &&
         static_cast<unsigned char>(text[at + 1]) >= 0x80;
}

}  // namespace

const char* UnsafeTopicName(std::string_view name) {
  if (name.empty() || name == "." || name == "..")
    return "a part of the path is empty, \".\" or \"..\"";
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\') return "the path holds \"\\\"";
    if (IsControl(name, i)) return "the path holds a control character";
  }
  return nullptr;
}

const char* UnsafeTopicPath(std::string_view path) {
  if (path.starts_with('/')) return "the path is absolute";
  for (;;) {
    const std::size_t slash = path.find('/');
    if (const char* reason = UnsafeTopicName(path.substr(0, slash))) return reason;
    if (slash == std::string_view::npos) return nullptr;
    path.remove_prefix(slash + 1);
  }
}

}  // namespace vxb
