// The names of the firm-code keys below an archive-name key of the catalog:
// "FC" followed by the firm code in decimal ("FC10").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace stow {

// The largest firm code that a firm-code key may name.
inline constexpr std::uint32_t kMaxKeyFirmCode = 0xFFFFFF;

std::string FirmCodeKeyName(std::uint32_t firmCode);

// The firm code that the subkey NAME stands for, or nothing when NAME is no
// firm-code key: it must begin with "FC" (either case) and the rest must read,
// with the foundation's number parser, as a number from 0 to kMaxKeyFirmCode
// written as FirmCodeKeyName writes it. A name such as "FC010" is refused: the
// entry it seems to hold could never be found again under "FC10".
std::optional<std::uint32_t> ParseFirmCodeKeyName(std::string_view name);

}  // namespace stow
