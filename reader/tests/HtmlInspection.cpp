#include "HtmlInspection.h"

#include <cctype>

namespace html_inspection {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string DecodeReferences(std::string_view text) {
  static const std::pair<std::string_view, std::string_view> kReferences[] = {
      {"&quot;", "\""}, {"&amp;", "&"}, {"&lt;", "<"},   {"&gt;", ">"},
      {"&#39;", "'"},   {"&nbsp;", " "}, {"&ndash;", "-"}, {"&copy;", "(c)"}};
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [ref, value] : kReferences) {
      if (text.substr(i, ref.size()) == ref) {
        out += value;
        i += ref.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

std::string Collapse(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (IsSpace(c)) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// Parses the tag starting at POS ('<'); moves POS past its '>'.
Tag ParseTag(std::string_view html, std::size_t& pos) {
  Tag tag;
  ++pos;
  while (pos < html.size() && !IsSpace(html[pos]) && html[pos] != '>') tag.name += html[pos++];
  while (pos < html.size() && html[pos] != '>') {
    if (IsSpace(html[pos]) || html[pos] == '/') {
      ++pos;
      continue;
    }
    std::string name, value;
    while (pos < html.size() && !IsSpace(html[pos]) && html[pos] != '=' && html[pos] != '>')
      name += html[pos++];
    if (pos < html.size() && html[pos] == '=') {
      ++pos;
      if (pos < html.size() && (html[pos] == '"' || html[pos] == '\'')) {
        char quote = html[pos++];
        while (pos < html.size() && html[pos] != quote) value += html[pos++];
        ++pos;
      } else {
        while (pos < html.size() && !IsSpace(html[pos]) && html[pos] != '>') value += html[pos++];
      }
    }
    tag.attributes.emplace_back(Lower(name), DecodeReferences(value));
  }
  ++pos;
  tag.name = Lower(tag.name);
  return tag;
}

}  // namespace

std::vector<Tag> Tags(std::string_view html) {
  std::vector<Tag> tags;
  std::size_t pos = 0;
  while ((pos = html.find('<', pos)) != std::string_view::npos) tags.push_back(ParseTag(html, pos));
  return tags;
}

std::vector<std::string> Skeleton(std::string_view html) {
  std::vector<std::string> out;
  for (const Tag& tag : Tags(html)) {
    std::string line = tag.name;
    for (const auto& [name, value] : tag.attributes) line += ' ' + name;
    out.push_back(line);
  }
  return out;
}

std::vector<std::string> AttributeValues(std::string_view html, std::string_view attribute) {
  std::vector<std::string> out;
  for (const Tag& tag : Tags(html))
    for (const auto& [name, value] : tag.attributes)
      if (name == attribute) out.push_back(value);
  return out;
}

std::string VisibleText(std::string_view html) {
  std::size_t body = html.find("<body>");
  std::string_view rest = body == std::string_view::npos ? html : html.substr(body);
  std::string text;
  std::size_t pos = 0;
  while (pos < rest.size()) {
    if (rest[pos] == '<') {
      std::string name = ParseTag(rest, pos).name;
      if (name != "span" && name != "/span" && name != "a" && name != "/a") text += ' ';
    } else {
      text += rest[pos++];
    }
  }
  return Collapse(DecodeReferences(text));
}

std::string Title(std::string_view html) {
  std::size_t open = html.find("<title>");
  std::size_t close = html.find("</title>");
  if (open == std::string_view::npos || close == std::string_view::npos) return {};
  open += 7;
  return DecodeReferences(html.substr(open, close - open));
}

}  // namespace html_inspection
