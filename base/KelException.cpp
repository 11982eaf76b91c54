#include "base/KelException.h"

#include <utility>

#include "base/ErrorLocation.h"
#include "base/MessageCodes.h"
#include "base/MessageText.h"

CKelException::CKelException(std::uint32_t code, std::string arg1, std::string arg2,
                             std::string arg3, std::string location)
    : m_code(code),
      m_arg1(std::move(arg1)),
      m_arg2(std::move(arg2)),
      m_arg3(std::move(arg3)),
      m_location(std::move(location)) {}

void CKelException::Throw(std::uint32_t code, std::string arg1, std::string arg2,
                          std::string arg3) {
  throw new CKelException(code, std::move(arg1), std::move(arg2), std::move(arg3));
}

CKelFileException::CKelFileException(std::uint32_t code, std::uint32_t systemError,
                                     std::string path, std::string arg1, std::string arg2,
                                     std::string arg3, std::string location)
    : CKelException(code, std::move(arg1), std::move(arg2), std::move(arg3), std::move(location)),
      m_systemError(systemError),
      m_path(std::move(path)) {}

void CKelAbortException::Throw(std::int32_t exitCode) { throw new CKelAbortException(exitCode); }

namespace vxs {

Exception::Exception(std::uint32_t code, std::string arg1, std::string arg2, std::string arg3)
    : Exception(code, std::move(arg1), std::move(arg2), std::move(arg3), CurrentErrorLocation()) {}

Exception::Exception(std::uint32_t code, std::string arg1, std::string arg2, std::string arg3,
                     std::string location)
    : code(code),
      arg1(std::move(arg1)),
      arg2(std::move(arg2)),
      arg3(std::move(arg3)),
      location(std::move(location)) {}

const char* Exception::what() const noexcept {
  try {
    m_text = ComposeText();
  } catch (...) {  // out of memory: the class name must do
    return "vxs::Exception";
  }
  return m_text.c_str();
}

// "<unknown>, LOCATION: SEVERITY VKCODE - TEXT." in the order of a reported message.
std::string Exception::ComposeText() const {
  std::string text = "<unknown>";  // no program registers its name here
  if (!location.empty()) text += ", " + location;
  text += ": ";
  text += SeverityWord(SeverityOfCode(code), false);
  text += ' ';
  const bool generic = IsGenericCode(code);
  if (!generic) text += kCodePrefix + std::to_string(code) + ' ';
  text += "- ";
  // A generic code carries its text in argument 1 and the others move up.
  const std::string args[3] = {generic ? arg2 : arg1, generic ? arg3 : arg2, arg3};
  std::string tmpl = generic ? arg1 : LoadMessageText(code);
  if (!tmpl.empty()) {
    text += SubstitutePlaceholders(tmpl, args, 3);
  } else {
    char undocumented[64];
    FormatUndocumented(undocumented, sizeof undocumented, code, false);
    text += undocumented;
    for (const std::string* arg : {&arg1, &arg2, &arg3})
      if (!arg->empty()) text += ", " + *arg;
  }
  return text + '.';
}

}  // namespace vxs
