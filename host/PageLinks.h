// Pages served from archives and by the reader link to other pages with absolute
// vexost: URLs and to the module's images with res:// URLs; a web browser knows
// neither scheme. The host serves both under its own root, so such links in an
// HTML page become root-relative ("/vexost:...", "/res://...").
#pragma once

#include <string>
#include <string_view>

// The page with its links rewritten into OUT; false (OUT untouched) when the page
// holds no such link, so that the bytes as served stay as they are.
bool RewritePageLinks(std::string_view html, std::string& out);
