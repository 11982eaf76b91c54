#include "host/PageLinks.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace {

bool IsLinkStart(char c) { return c == '"' || c == '\'' || c == '='; }

bool EqualsNoCase(std::string_view text, std::size_t at, std::string_view lower) {
  if (at + lower.size() > text.size()) return false;
  for (std::size_t i = 0; i < lower.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[at + i])) != lower[i]) return false;
  return true;
}

// Where a link of either scheme begins, given the position of a colon: the
// scheme's first character when a quote or "=" stands right before it.
std::size_t LinkBefore(std::string_view html, std::size_t colon) {
  constexpr std::string_view kVexost = "vexost", kRes = "res";
  if (colon > kVexost.size() && EqualsNoCase(html, colon - kVexost.size(), kVexost) &&
      IsLinkStart(html[colon - kVexost.size() - 1]))
    return colon - kVexost.size();
  if (colon > kRes.size() && EqualsNoCase(html, colon - kRes.size(), kRes) &&
      html.substr(colon + 1, 2) == "//" && IsLinkStart(html[colon - kRes.size() - 1]))
    return colon - kRes.size();
  return std::string_view::npos;
}

}  // namespace

// Links are found from their colons, which pages hold few of, so that a large
// page is scanned at the speed of memchr.
bool RewritePageLinks(std::string_view html, std::string& out) {
  std::vector<std::size_t> inserts;
  const char* data = html.data();
  for (std::size_t at = 0; at < html.size(); ++at) {
    const void* colon = std::memchr(data + at, ':', html.size() - at);
    if (!colon) break;
    at = static_cast<std::size_t>(static_cast<const char*>(colon) - data);
    if (std::size_t link = LinkBefore(html, at); link != std::string_view::npos)
      inserts.push_back(link);
  }
  if (inserts.empty()) return false;
  out.clear();
  out.reserve(html.size() + inserts.size());
  std::size_t copied = 0;
  for (std::size_t link : inserts) {
    out.append(html.substr(copied, link - copied)).push_back('/');
    copied = link;
  }
  out.append(html.substr(copied));
  return true;
}
