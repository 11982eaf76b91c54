#include "base/MessageCodes.h"

#include <algorithm>
#include <cstdio>

#include "base/MessageText.h"

namespace vxs {

const char* SeverityWord(std::int32_t severity, bool builtIn) {
  const char* builtInWord = severity >= 1 ? kBuiltInFatalError
                            : severity == 0 ? kBuiltInError
                                            : kBuiltInWarning;
  if (builtIn) return builtInWord;
  const char* word = LoadMessageText(severity >= 1 ? kTextFatalError
                                     : severity == 0 ? kTextError
                                                     : kTextWarning);
  return *word != '\0' ? word : builtInWord;
}

std::size_t FormatUndocumented(char* dest, std::size_t destSize, std::uint32_t code, bool builtIn) {
  if (destSize == 0) return 0;
  const char* text = builtIn ? "" : LoadMessageText(kTextUndocumented);
  if (*text == '\0') {
    int length = std::snprintf(dest, destSize, kBuiltInUndocumented, code);
    return length < 0 ? 0 : std::min<std::size_t>(length, destSize - 1);
  }
  char number[16];
  std::snprintf(number, sizeof number, "%u", code);
  const char* args[] = {number};
  return SubstitutePlaceholders(dest, destSize, text, args, 1);
}

}  // namespace vxs
