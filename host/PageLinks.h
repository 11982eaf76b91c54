// Pages served from archives and by the reader link to other pages with absolute
// vexost: URLs and to the module's images with res:// URLs; a web browser knows
// neither scheme. The host serves both under its own root, so such links in an
// HTML page become root-relative ("/vexost:...", "/res://...").
#pragma once

#include <string>
#include <string_view>

std::string RewritePageLinks(std::string_view html);
