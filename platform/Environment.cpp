#include "platform/Environment.h"

#include <cstdlib>

std::string ExpandEnvironmentStrings(std::string_view text) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find('%', pos);
    const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out.append(text, pos, open - pos);
    const std::string name(text.substr(open + 1, close - open - 1));
    const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
    if (value) {
      out += value;
      pos = close + 1;
    } else {
      // Not a reference: keep the '%' and look for one from the second '%' on.
      out.append(text, open, close - open);
      pos = close;
    }
  }
  out.append(text, pos);
  return out;
}
