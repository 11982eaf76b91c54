// Escaping of texts placed into HTML pages, so that a name, path, URL or error
// text shows as itself and never becomes markup or script.
#pragma once

#include <string>
#include <string_view>

namespace vxs {

// Text for element content or a quoted attribute value: & < > " ' become
// character references.
std::string EscapeHtml(std::string_view text);

// A URL as received (already %-escaped where it needed to be) made fit for a
// quoted attribute: blanks, control characters, quotes, angle brackets, '`' and
// bytes above 127 are %-escaped ('%' itself stays), an address with a scheme other
// than vexost, res, http, https and file is made relative ("./" in front) so it
// can run no script, and the result is escaped with EscapeHtml.
std::string EscapeLinkAddress(std::string_view url);

// One part of a URL built from a name or path: every byte other than letters,
// digits, - . _ ~ and those in KEEP is %-escaped, '%' too, so that unescaping
// gives the text back.
std::string EscapeUrlComponent(std::string_view text, std::string_view keep = {});

// TEXT with each %XX escape (two hexadecimal digits) turned back into its byte;
// "%00" and a "%" before anything else stay as written.
std::string UnescapeUrlComponent(std::string_view text);

}  // namespace vxs
