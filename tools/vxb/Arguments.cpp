#include "tools/vxb/Arguments.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "base/KelException.h"

namespace vxb {

namespace {

// Command-line codes of the message table.
constexpr std::uint32_t kInvalidOption = 2001;     // "invalid option"
constexpr std::uint32_t kMissingArgument = 2003;   // "missing argument in option"
constexpr std::uint32_t kOutOfRange = 2005;        // "value %1 out of range"
constexpr std::uint32_t kNumberExpected = 2021;    // "number expected: %1"
constexpr std::uint32_t kEndExpected = 2022;       // "end of input line expected: %1"
constexpr std::uint32_t kMissingSpecification = 2024;  // "missing specification"

bool Contains(std::initializer_list<std::string_view> names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

void ThrowCommandLineError(std::uint32_t code, std::string where, std::string arg) {
  throw new CKelException(code, std::move(arg), {}, {}, std::move(where));
}

Arguments::Arguments(const std::vector<std::string>& words,
                     std::initializer_list<std::string_view> valued,
                     std::initializer_list<std::string_view> flags) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (optionsEnded || word == "-" || !word.starts_with('-')) {
      m_operands.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    if (Contains(valued, name)) {
      if (equals != std::string::npos)
        m_values[name] = word.substr(equals + 1);
      else if (i + 1 < words.size())
        m_values[name] = words[++i];
      else
        ThrowCommandLineError(kMissingArgument, name);
    } else if (Contains(flags, word)) {
      m_flags.push_back(word);
    } else {
      ThrowCommandLineError(kInvalidOption, word);
    }
  }
}

std::optional<std::string> Arguments::Value(std::string_view option) const {
  const auto found = m_values.find(option);
  if (found == m_values.end()) return std::nullopt;
  return found->second;
}

bool Arguments::Flag(std::string_view option) const {
  return std::find(m_flags.begin(), m_flags.end(), option) != m_flags.end();
}

std::string Arguments::Required(std::string_view option) const {
  std::optional<std::string> value = Value(option);
  if (!value) ThrowCommandLineError(kMissingSpecification, std::string(option));
  return *value;
}

std::uint32_t Arguments::Number(std::string_view option, std::uint32_t maximum,
                                std::uint32_t fallback) const {
  const std::optional<std::string> text = Value(option);
  if (!text) return fallback;
  const bool hex = text->starts_with("0x") || text->starts_with("0X");
  const std::string digits = hex ? text->substr(2) : *text;
  const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
  if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos)
    ThrowCommandLineError(kNumberExpected, std::string(option), *text);
  errno = 0;
  const unsigned long long value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
  if (errno == ERANGE || value > maximum) ThrowCommandLineError(kOutOfRange, std::string(option), *text);
  return static_cast<std::uint32_t>(value);
}

const std::vector<std::string>& Arguments::Operands(std::size_t minimum, std::size_t maximum,
                                                    const char* names) const {
  if (m_operands.size() < minimum) ThrowCommandLineError(kMissingSpecification, names);
  if (m_operands.size() > maximum) ThrowCommandLineError(kEndExpected, {}, m_operands[maximum]);
  return m_operands;
}

}  // namespace vxb
