// What the index takes from an HTML page: its title, its headings, the names of
// its anchors (the id and name attributes, where API documentation names its
// symbols) and the text a reader sees. Markup, scripts and styles are dropped,
// character references decoded, the page's character set turned into UTF-8 and
// white space collapsed. The HTML is read by libxml2's HTML parser as a stream
// of events, so no document tree is built and damaged markup is read as
// browsers would read it, never refused.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace search {

struct PageText {
  std::string title;                 // of <title>, else of the first <h1>
  std::vector<std::string> headings;  // <h1> to <h6>, in order
  std::vector<std::string> anchors;   // id and name attributes, in order, each once
  std::string body;                   // the visible text, title excluded
};

PageText ExtractPageText(std::string_view page);

// Whether a topic of this path is read as an HTML page.
bool IsHtmlTopic(std::string_view path);

}  // namespace search
