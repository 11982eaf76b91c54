// Reading generated pages the way a browser would, for tests: the visible text,
// the title, the tags with their attribute names, and attribute values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace html_inspection {

struct Tag {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
};

// Every tag of HTML, parsed as a browser tokenizer does (quoted values may hold
// '>', unquoted values end at a blank).
std::vector<Tag> Tags(std::string_view html);

// Tag names and attribute names only: equal skeletons mean equal structure.
std::vector<std::string> Skeleton(std::string_view html);

// The values of attribute ATTRIBUTE over all tags, in order.
std::vector<std::string> AttributeValues(std::string_view html, std::string_view attribute);

// The text of the body with tags removed, character references decoded and
// runs of white space made one blank.
std::string VisibleText(std::string_view html);

// The text of the title element, references decoded.
std::string Title(std::string_view html);

}  // namespace html_inspection
