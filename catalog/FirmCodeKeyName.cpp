#include "catalog/FirmCodeKeyName.h"

#include "base/KelException.h"
#include "base/Parsing.h"

namespace stow {

std::string FirmCodeKeyName(std::uint32_t firmCode) { return "FC" + std::to_string(firmCode); }

std::optional<std::uint32_t> ParseFirmCodeKeyName(std::string_view name) {
  if (name.size() < 2 || (name[0] != 'F' && name[0] != 'f') || (name[1] != 'C' && name[1] != 'c'))
    return std::nullopt;
  const std::string digits(name.substr(2));
  vxs::Parsing parser(digits);
  std::uint32_t firmCode = 0;
  try {
    firmCode = parser.ReadDecimal(0, kMaxKeyFirmCode);
  } catch (const vxs::Exception&) {
    return std::nullopt;  // no digits, or a number beyond the range
  }
  if (!parser.AtEnd() || digits != std::to_string(firmCode)) return std::nullopt;
  return firmCode;
}

}  // namespace stow
