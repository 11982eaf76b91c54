#include "platform/tools/vxreg/VxRegData.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/CaseFold.h"
#include "platform/Registry.h"

namespace {

constexpr DWORD kRegDwordBigEndian = 5;
constexpr DWORD kRegQword = 11;

const char* const kTypeNames[] = {
    "REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD", "REG_DWORD_BIG_ENDIAN",
    "REG_LINK", "REG_MULTI_SZ", "REG_RESOURCE_LIST", "REG_FULL_RESOURCE_DESCRIPTOR",
    "REG_RESOURCE_REQUIREMENTS_LIST", "REG_QWORD"};

// The types that add accepts.
const DWORD kWritableTypes[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, kRegQword};

std::uint64_t LittleEndian(const std::string& bytes) {
  std::uint64_t number = 0;
  for (std::size_t index = bytes.size(); index-- > 0;) {
    number = (number << 8) | static_cast<unsigned char>(bytes[index]);
  }
  return number;
}

std::string HexNumber(std::uint64_t number) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(number));
  return text;
}

std::string HexBytes(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const char byte : bytes) {
    text += kDigits[static_cast<unsigned char>(byte) >> 4];
    text += kDigits[static_cast<unsigned char>(byte) & 0xF];
  }
  return text;
}

std::string JoinedMultiText(const std::string& bytes) {
  std::string text;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t zero = bytes.find('\0', start);
    const std::size_t end = zero == std::string::npos ? bytes.size() : zero;
    if (end == start) break;  // the empty text that closes the list
    if (!text.empty()) text += "\\0";
    text.append(bytes, start, end - start);
    start = end + 1;
  }
  return text;
}

std::optional<std::uint64_t> ParseNumber(std::string_view text, std::uint64_t maximum) {
  const std::string digits(text);
  if (digits.empty() || digits.front() == '-' || digits.front() == '+' || digits.front() == ' ') {
    return std::nullopt;
  }
  const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  char* end = nullptr;
  errno = 0;
  const unsigned long long number = std::strtoull(digits.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || end == digits.c_str() + (hex ? 2 : 0) || number > maximum) {
    return std::nullopt;
  }
  return number;
}

std::string LittleEndianBytes(std::uint64_t number, std::size_t size) {
  std::string bytes;
  for (std::size_t index = 0; index < size; ++index, number >>= 8) {
    bytes += static_cast<char>(number & 0xFF);
  }
  return bytes;
}

std::optional<std::string> ParseHexBytes(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t index = 0; index < text.size(); index += 2) {
    const std::string pair(text.substr(index, 2));
    if (!std::isxdigit(static_cast<unsigned char>(pair[0])) ||
        !std::isxdigit(static_cast<unsigned char>(pair[1]))) {
      return std::nullopt;
    }
    bytes += static_cast<char>(std::strtoul(pair.c_str(), nullptr, 16));
  }
  return bytes;
}

std::string MultiTextBytes(std::string_view text) {
  std::string bytes;
  while (!text.empty()) {
    const std::size_t separator = text.find("\\0");
    bytes.append(text.substr(0, separator));
    bytes += '\0';
    if (separator == std::string_view::npos) break;
    text.remove_prefix(separator + 2);
  }
  return bytes + '\0';
}

}  // namespace

std::string VxRegTypeName(DWORD type) {
  if (type < std::size(kTypeNames)) return kTypeNames[type];
  return "REG_UNKNOWN(" + std::to_string(type) + ")";
}

std::optional<DWORD> VxRegTypeOfName(std::string_view name) {
  for (const DWORD type : kWritableTypes) {
    if (EqualNoCase(name, kTypeNames[type])) return type;
  }
  return std::nullopt;
}

std::string VxRegShowData(DWORD type, const std::string& bytes) {
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return bytes.substr(0, bytes.find('\0'));
    case REG_MULTI_SZ: return JoinedMultiText(bytes);
    case REG_DWORD:
    case kRegQword:
      if (bytes.size() == (type == REG_DWORD ? 4u : 8u)) return HexNumber(LittleEndian(bytes));
      break;
    case kRegDwordBigEndian:
      if (bytes.size() == 4) return HexNumber(LittleEndian(std::string(bytes.rbegin(), bytes.rend())));
      break;
    default: break;
  }
  return HexBytes(bytes);
}

std::optional<std::string> VxRegParseData(DWORD type, std::string_view text) {
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return std::string(text) + '\0';
    case REG_MULTI_SZ: return MultiTextBytes(text);
    case REG_DWORD:
    case kRegQword: {
      const std::optional<std::uint64_t> number =
          ParseNumber(text, type == REG_DWORD ? 0xFFFFFFFFull : ~0ull);
      if (!number) return std::nullopt;
      return LittleEndianBytes(*number, type == REG_DWORD ? 4 : 8);
    }
    default: return ParseHexBytes(text);
  }
}
