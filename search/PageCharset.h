// The character set of an HTML page and its text in UTF-8. A byte-order mark
// decides first, then a charset the page declares in its first 1024 bytes
// (<meta charset>, <meta http-equiv="Content-Type" content="...; charset=">, or an
// XML declaration's encoding); a page that declares none is UTF-8 when it is
// valid UTF-8 and windows-1252 (the code page of the archives' original
// platform) otherwise.
#pragma once

#include <string>
#include <string_view>

namespace search {

// The charset name PAGE declares or marks, in lower case; "" when none.
std::string DeclaredCharset(std::string_view page);

// PAGE as valid UTF-8 (a byte-order mark dropped). Bytes that are not valid in
// the page's character set become U+FFFD; a charset that iconv does not know is
// read as if none were declared.
std::string PageToUtf8(std::string_view page);

// TEXT with every byte that is not part of valid UTF-8 replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);
bool IsValidUtf8(std::string_view text);

}  // namespace search
