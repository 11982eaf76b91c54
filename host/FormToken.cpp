#include "host/FormToken.h"

#include <sys/random.h>

#include <cstdint>

std::string NewFormToken() {
  std::uint8_t bytes[16];
  if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) return "";
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string token;
  for (std::uint8_t byte : bytes) {
    token += kDigits[byte >> 4];
    token += kDigits[byte & 15];
  }
  return token;
}

bool FormTokenMatches(std::string_view token, std::string_view given) {
  if (token.empty() || given.size() != token.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < token.size(); ++i)
    difference |= static_cast<unsigned char>(token[i] ^ given[i]);
  return difference == 0;
}
