// Fills the reader's HTML page templates in the manner of the system's message
// formatter, escaping every inserted text for the place it lands in.
#pragma once

#include <span>
#include <string>
#include <string_view>

// One argument of a page: a plain text (a URL, name, path or error text), or
// markup that the module built itself (the rows of the archive list).
struct PageArgument {
  std::string text;
  bool markup = false;
};

// Copies TEMPLATE, replacing "%1" to "%99" (one or two digits) by argument n
// (nothing where absent); an optional "!format!" after the number is skipped, as
// arguments are always texts. "%%" gives "%", "%0" ends the output, "%n" gives a
// line break, "%r" a carriage return, "%t" a tab, and "%" before any other
// character gives that character.
// A plain argument is inserted as a link address (vxs::EscapeLinkAddress) where
// the template puts it inside a tag, and as HTML text (vxs::EscapeHtml) elsewhere;
// markup is inserted as it is.
std::string FillPageTemplate(std::string_view tmpl, std::span<const PageArgument> args);
