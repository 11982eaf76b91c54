#include "platform/IniDocument.h"

#include "platform/CaseFold.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view DetectLineEnd(std::string_view text) {
  const std::size_t end = text.find_first_of("\r\n");
  if (end == std::string_view::npos) return "\n";
  if (text[end] == '\n') return "\n";
  return end + 1 < text.size() && text[end + 1] == '\n' ? "\r\n" : "\r";
}

}  // namespace

IniDocument::IniDocument(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) {
    m_byteOrderMark = kByteOrderMark;
    text.remove_prefix(kByteOrderMark.size());
  }
  m_lineEnd = DetectLineEnd(text);
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    m_lines.push_back(ParseLine(std::string(text.substr(0, end))));
    if (end == std::string_view::npos) break;
    const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    text.remove_prefix(end + (crlf ? 2 : 1));
  }
}

IniDocument::Line IniDocument::ParseLine(std::string text) {
  Line line;
  const std::string_view content = Trimmed(text);
  if (content.empty()) {
    line.kind = Kind::Blank;
  } else if (content.front() == ';' || content.front() == '#') {
    line.kind = Kind::Comment;
  } else if (content.front() == '[') {
    line.kind = Kind::Section;
    const std::size_t close = content.rfind(']');
    line.name = Trimmed(content.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
  } else {
    const std::size_t equals = content.find('=');
    line.name = Trimmed(content.substr(0, equals));
    if (equals != std::string_view::npos) line.value = Trimmed(content.substr(equals + 1));
    line.kind = line.name.empty() ? Kind::Comment : Kind::Entry;  // "=x" names nothing
  }
  line.text = std::move(text);
  return line;
}

std::string IniDocument::Text() const {
  std::string text = m_byteOrderMark;
  for (const Line& line : m_lines) text += line.text + m_lineEnd;
  return text;
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  for (std::size_t index = 0; index < m_lines.size(); ++index) {
    if (m_lines[index].kind == Kind::Section && FindSection(m_lines[index].name) == index) {
      names.push_back(m_lines[index].name);
    }
  }
  return names;
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view name) const {
  const std::string folded = FoldCase(name);
  for (std::size_t index = 0; index < m_lines.size(); ++index) {
    if (m_lines[index].kind == Kind::Section && FoldCase(m_lines[index].name) == folded) return index;
  }
  return std::nullopt;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
  std::size_t end = header + 1;
  while (end < m_lines.size() && m_lines[end].kind != Kind::Section) ++end;
  return end;
}

std::optional<std::size_t> IniDocument::FindEntry(std::size_t header, std::string_view key) const {
  const std::string folded = FoldCase(key);
  for (std::size_t index = header + 1; index < SectionEnd(header); ++index) {
    if (m_lines[index].kind == Kind::Entry && FoldCase(m_lines[index].name) == folded) return index;
  }
  return std::nullopt;
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const std::optional<std::size_t> header = FindSection(section);
  if (!header) return keys;
  for (std::size_t index = *header + 1; index < SectionEnd(*header); ++index) {
    if (m_lines[index].kind == Kind::Entry && FindEntry(*header, m_lines[index].name) == index) {
      keys.push_back(m_lines[index].name);
    }
  }
  return keys;
}

std::vector<std::string> IniDocument::Entries(std::string_view section) const {
  std::vector<std::string> entries;
  const std::optional<std::size_t> header = FindSection(section);
  if (!header) return entries;
  for (std::size_t index = *header + 1; index < SectionEnd(*header); ++index) {
    const Line& line = m_lines[index];
    if (line.kind == Kind::Entry) entries.push_back(line.name + "=" + line.value);
  }
  return entries;
}

std::optional<std::string> IniDocument::Value(std::string_view section, std::string_view key) const {
  const std::optional<std::size_t> header = FindSection(section);
  const std::optional<std::size_t> entry = header ? FindEntry(*header, key) : std::nullopt;
  if (!entry) return std::nullopt;
  std::string_view value = m_lines[*entry].value;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::size_t IniDocument::InsertionPoint(std::size_t header) const {
  std::size_t point = SectionEnd(header);
  while (point > header + 1 && m_lines[point - 1].kind == Kind::Blank) --point;
  return point;
}

std::size_t IniDocument::AppendSection(std::string_view name) {
  while (!m_lines.empty() && m_lines.back().kind == Kind::Blank && m_lines.back().text.empty()) {
    m_lines.pop_back();
  }
  if (!m_lines.empty()) m_lines.push_back(ParseLine(""));
  m_lines.push_back(ParseLine("[" + std::string(name) + "]"));
  return m_lines.size() - 1;
}

bool IniDocument::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  const std::string text = std::string(key) + "=" + std::string(value);
  const std::optional<std::size_t> header = FindSection(section);
  if (const std::optional<std::size_t> entry = header ? FindEntry(*header, key) : std::nullopt) {
    if (m_lines[*entry].value == value) return false;  // keeps the line as it was written
    m_lines[*entry] = ParseLine(text);
    return true;
  }
  const std::size_t at = header ? InsertionPoint(*header) : AppendSection(section) + 1;
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), ParseLine(text));
  return true;
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  const std::optional<std::size_t> header = FindSection(section);
  const std::optional<std::size_t> entry = header ? FindEntry(*header, key) : std::nullopt;
  if (!entry) return false;
  m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*entry));
  return true;
}

bool IniDocument::DeleteSection(std::string_view section) {
  bool changed = false;
  while (const std::optional<std::size_t> header = FindSection(section)) {
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*header),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(SectionEnd(*header)));
    changed = true;
  }
  return changed;
}

bool IniDocument::ReplaceSection(std::string_view section, const std::vector<std::string>& lines) {
  std::optional<std::size_t> header = FindSection(section);
  if (!header) header = AppendSection(section);
  const std::size_t end = InsertionPoint(*header);
  m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*header + 1),
                m_lines.begin() + static_cast<std::ptrdiff_t>(end));
  std::vector<Line> parsed;
  for (const std::string& line : lines) parsed.push_back(ParseLine(line));
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(*header + 1), parsed.begin(), parsed.end());
  return true;
}
