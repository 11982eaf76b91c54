#include "base/messages/MessageTable.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include "base/AutoInit.h"
#include "base/MessageText.h"

// Generated from the message files (vxst_embed).
std::string_view EmbeddedMessageFile(std::string_view name);

namespace {

// The names of the embedded message files, separated by commas (set by the build).
constexpr std::string_view kMessageFiles = VXST_MESSAGE_FILES;

struct MessageEntry {
  unsigned number;
  std::string_view text;  // points into the embedded file
};

// Parses "NUMBER<TAB>TEXT" lines; comment lines ('#'), empty lines and lines of
// any other shape are skipped.
void ParseMessageFile(std::string_view content, std::vector<MessageEntry>& entries) {
  while (!content.empty()) {
    std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    MessageEntry entry{};
    auto [rest, error] = std::from_chars(line.data(), line.data() + line.size(), entry.number);
    if (error != std::errc() || rest == line.data() + line.size() || *rest != '\t') continue;
    entry.text = std::string_view(rest + 1, line.data() + line.size() - (rest + 1));
    entries.push_back(entry);
  }
}

// All texts of all message files, sorted by number.
class EmbeddedMessageTable {
 public:
  EmbeddedMessageTable() {
    std::string_view names = kMessageFiles;
    while (!names.empty()) {
      std::size_t comma = names.find(',');
      ParseMessageFile(EmbeddedMessageFile(names.substr(0, comma)), m_entries);
      names = comma == std::string_view::npos ? std::string_view() : names.substr(comma + 1);
    }
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const MessageEntry& a, const MessageEntry& b) { return a.number < b.number; });
  }

  std::string_view Find(unsigned number) const {
    auto it = std::lower_bound(m_entries.begin(), m_entries.end(), number,
                               [](const MessageEntry& e, unsigned n) { return e.number < n; });
    return it != m_entries.end() && it->number == number ? it->text : std::string_view();
  }

 private:
  std::vector<MessageEntry> m_entries;
};

constinit vxs::AutoInit<EmbeddedMessageTable> g_table;

std::string_view FindEmbeddedText(unsigned number) { return g_table.Get().Find(number); }

}  // namespace

void InstallMessageTable() { SetMessageTable(&FindEmbeddedText); }
