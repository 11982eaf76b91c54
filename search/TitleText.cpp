#include "search/TitleText.h"

#include <cctype>
#include <algorithm>
#include <map>

namespace search {

namespace {

constexpr std::string_view kSeparators[] = {" \xE2\x80\x94 ", " \xE2\x80\x93 ", " - ",
                                            " | ",            " :: ",           " \xC2\xB7 "};

}  // namespace

std::string CommonTitleSuffix(const std::vector<std::string>& titles) {
  std::map<std::string, std::size_t> counts;
  for (const std::string& title : titles) {
    for (std::string_view separator : kSeparators) {
      for (std::size_t at = title.find(separator); at != std::string::npos && at > 0;
           at = title.find(separator, at + 1))
        ++counts[title.substr(at)];
    }
  }
  std::string best;
  for (const auto& [suffix, count] : counts) {
    if (count >= 2 && count * 2 >= titles.size() && suffix.size() > best.size()) best = suffix;
  }
  return best;
}

std::string LeadingPart(std::string_view title) {
  std::size_t first = std::string_view::npos;
  for (std::string_view separator : kSeparators) first = std::min(first, title.find(separator));
  return first == std::string_view::npos ? std::string() : std::string(title.substr(0, first));
}

std::string WithoutSuffix(std::string_view title, std::string_view suffix) {
  if (!suffix.empty() && title.size() > suffix.size() && title.ends_with(suffix))
    title.remove_suffix(suffix.size());
  return std::string(title);
}

std::string WithoutSectionNumber(std::string_view title) {
  std::size_t at = 0;
  while (at < title.size() && title[at] == ' ') ++at;
  const std::size_t start = at;
  bool numbered = false;
  // Parts of digits (or one capital letter first, as appendices have) each
  // followed by a dot; the number ends with a dot and a blank.
  for (;;) {
    std::size_t part = at;
    if (at == start && at < title.size() && std::isupper(static_cast<unsigned char>(title[at])))
      ++at;
    else
      while (at < title.size() && std::isdigit(static_cast<unsigned char>(title[at]))) ++at;
    if (at == part || at >= title.size() || title[at] != '.') return std::string(title.substr(start));
    ++at;
    if (at < title.size() && title[at] == ' ') {
      numbered = true;
      break;
    }
  }
  while (at < title.size() && title[at] == ' ') ++at;
  return numbered && at < title.size() ? std::string(title.substr(at))
                                       : std::string(title.substr(start));
}

}  // namespace search
