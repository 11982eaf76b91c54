// Resources built into a module (images, templates), reached the way res:// URLs
// named them on the original platform: "res://" + the module's path + "/" + the
// resource name. A module that offers resources exports
//   int VxstModuleResource(const char* name, const void** data, std::size_t* size)
// answering nonzero with the bytes of NAME, 0 when it has no such resource.
#pragma once

#include <string>
#include <string_view>

inline constexpr const char* kModuleResourceExport = "VxstModuleResource";
using ModuleResourceFunction = int (*)(const char* name, const void** data, std::size_t* size);

// Reads the resource a res:// URL names (escapes decoded), but only from the
// module at ALLOWEDMODULE, named by its full path or by its file name alone (as
// pages that show no server paths name it): a URL naming any other file yields
// nothing, so no file outside the module is ever read. MIMETYPE follows the
// resource's extension.
bool ReadModuleResourceUrl(std::string_view url, const std::string& allowedModule,
                           std::string& bytes, std::string& mimeType);
