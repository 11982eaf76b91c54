// Texts from archives and file systems as vxb shows them on a terminal: control
// characters, which could move the cursor, recolour the screen or hide a line,
// are written as escapes instead.
#pragma once

#include <string>
#include <string_view>

namespace vxb {

// TEXT (UTF-8) with every C0 and C1 control character and DEL written as an escape:
// "\t", "\n", "\r", "\e", "\0" and "\xHH" for the others (the bytes of a C1
// character, each as "\xHH"); so is every byte that is not part of well-formed
// UTF-8. Everything else stays as it is.
std::string ShownText(std::string_view text);

}  // namespace vxb
