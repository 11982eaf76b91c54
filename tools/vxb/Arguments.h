// The words of a vxb command after its name: options ("--name VALUE",
// "--name=VALUE", "-l") and operands, in the manner of familiar archivers. "--"
// ends the options. Bad words throw CKelException with command-line codes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vxb {

class Arguments {
 public:
  // Sorts WORDS into options and operands: VALUED options take a value, FLAGS do
  // not; any other word beginning with "-" (other than "-" alone) is invalid.
  Arguments(const std::vector<std::string>& words, std::initializer_list<std::string_view> valued,
            std::initializer_list<std::string_view> flags = {});

  std::optional<std::string> Value(std::string_view option) const;
  bool Flag(std::string_view option) const;
  // The value of OPTION, which must be given.
  std::string Required(std::string_view option) const;
  // The value of OPTION as a number from 0 to MAXIMUM (decimal, or hexadecimal
  // after 0x), or FALLBACK when the option is absent.
  std::uint32_t Number(std::string_view option, std::uint32_t maximum, std::uint32_t fallback) const;

  // The operands, of which there must be at least MINIMUM and at most MAXIMUM;
  // NAMES tells what they are, for the message when some are missing.
  const std::vector<std::string>& Operands(std::size_t minimum, std::size_t maximum,
                                           const char* names) const;

 private:
  std::map<std::string, std::string, std::less<>> m_values;
  std::vector<std::string> m_flags;
  std::vector<std::string> m_operands;
};

// Throws the command-line error CODE with argument ARG at the location WHERE.
[[noreturn]] void ThrowCommandLineError(std::uint32_t code, std::string where, std::string arg = {});

}  // namespace vxb
