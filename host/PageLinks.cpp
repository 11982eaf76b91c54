#include "host/PageLinks.h"

#include <cctype>

namespace {

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[at + i])) != prefix[i]) return false;
  return true;
}

}  // namespace

std::string RewritePageLinks(std::string_view html) {
  std::string out;
  out.reserve(html.size() + 64);
  for (std::size_t i = 0; i < html.size(); ++i) {
    out.push_back(html[i]);
    char c = html[i];
    if ((c == '"' || c == '\'' || c == '=') &&
        (StartsWithNoCase(html, i + 1, "vexost:") || StartsWithNoCase(html, i + 1, "res://")))
      out.push_back('/');
  }
  return out;
}
