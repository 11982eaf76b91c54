#include "host/FormData.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i] == '+' ? ' ' : text[i];
    }
  }
  return out;
}

}  // namespace

std::map<std::string, std::string> ParseFormData(std::string_view body) {
  std::map<std::string, std::string> fields;
  while (!body.empty()) {
    std::size_t amp = body.find('&');
    std::string_view field = body.substr(0, amp);
    if (!field.empty()) {
      std::size_t equals = field.find('=');
      std::string_view value =
          equals == std::string_view::npos ? std::string_view() : field.substr(equals + 1);
      fields.emplace(Decode(field.substr(0, equals)), Decode(value));
    }
    if (amp == std::string_view::npos) break;
    body.remove_prefix(amp + 1);
  }
  return fields;
}
