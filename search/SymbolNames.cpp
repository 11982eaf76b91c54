#include "search/SymbolNames.h"

#include <algorithm>
#include <cctype>

namespace search {

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

bool IsGeneratedAnchor(std::string_view anchor) {
  // Letters, an optional separator, then only digits.
  std::size_t at = 0;
  while (at < anchor.size() && std::isalpha(static_cast<unsigned char>(anchor[at]))) ++at;
  if (at < anchor.size() && (anchor[at] == '-' || anchor[at] == '_')) ++at;
  return at < anchor.size() && std::all_of(anchor.begin() + static_cast<std::ptrdiff_t>(at),
                                           anchor.end(), IsDigit);
}

std::string_view SymbolOf(std::string_view anchor) {
  constexpr std::string_view kModule = "module-";
  return anchor.starts_with(kModule) && anchor.size() > kModule.size() ? anchor.substr(kModule.size())
                                                                       : anchor;
}

bool IsSymbolName(std::string_view anchor) {
  if (anchor.empty() || anchor.size() > 200 || IsGeneratedAnchor(anchor)) return false;
  const unsigned char first = static_cast<unsigned char>(anchor[0]);
  if (!std::isalpha(first) && first != '_' && first != '$') return false;
  return std::all_of(anchor.begin(), anchor.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || u >= 0x80 || std::string_view("_.:$()<>~[]*,+=!").find(c) !=
                                                 std::string_view::npos;
  });
}

}  // namespace search
