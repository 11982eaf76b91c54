#include "reader/PageFormatter.h"

#include "base/HtmlEscape.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the argument number at POS (just after '%', a digit 1-9 there) and moves
// POS past it and past an optional "!format!".
std::size_t ReadArgumentNumber(std::string_view tmpl, std::size_t& pos) {
  std::size_t number = static_cast<std::size_t>(tmpl[pos++] - '0');
  if (pos < tmpl.size() && IsDigit(tmpl[pos])) number = number * 10 + (tmpl[pos++] - '0');
  if (pos < tmpl.size() && tmpl[pos] == '!') {
    std::size_t close = tmpl.find('!', pos + 1);
    if (close != std::string_view::npos) pos = close + 1;
  }
  return number;
}

std::string Inserted(const PageArgument& arg, bool insideTag) {
  if (arg.markup) return arg.text;
  return insideTag ? vxs::EscapeLinkAddress(arg.text) : vxs::EscapeHtml(arg.text);
}

}  // namespace

std::string FillPageTemplate(std::string_view tmpl, std::span<const PageArgument> args) {
  std::string out;
  out.reserve(tmpl.size());
  bool insideTag = false;
  std::size_t pos = 0;
  while (pos < tmpl.size()) {
    char c = tmpl[pos++];
    if (c != '%') {
      if (c == '<') insideTag = true;
      if (c == '>') insideTag = false;
      out += c;
      continue;
    }
    if (pos == tmpl.size()) break;
    char next = tmpl[pos];
    if (next >= '1' && next <= '9') {
      std::size_t number = ReadArgumentNumber(tmpl, pos);
      if (number <= args.size()) out += Inserted(args[number - 1], insideTag);
      continue;
    }
    ++pos;
    switch (next) {
      case '0': return out;
      case 'n': out += "\r\n"; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      default: out += next;
    }
  }
  return out;
}
