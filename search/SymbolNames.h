// Which anchor names of a page name something a reader looks for. Generators
// number anchors they make up ("index-12", "id3", "footnote-2"): those name
// nothing. Of the rest, names shaped like identifiers ("os.path.join",
// "PyList_New", "Array.prototype.map()", "print") are offered as symbols when a
// user types; section slugs ("more-control-flow-tools") are left to the title
// and headings they come from.
#pragma once

#include <string_view>

namespace search {

bool IsGeneratedAnchor(std::string_view anchor);
// The symbol an anchor names: the anchor itself, or what follows the "module-"
// that generators put before the anchors of modules ("module-os.path").
std::string_view SymbolOf(std::string_view anchor);
bool IsSymbolName(std::string_view anchor);

}  // namespace search
