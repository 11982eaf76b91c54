// Which topic paths may become files below a folder: the rule that extract obeys,
// that pack applies to the names it finds, and that verify reports on.
#pragma once

#include <string_view>

namespace vxb {

// Why PATH (UTF-8, "/" between folders) cannot be extracted, or nullptr when it
// can: it must not be empty or begin with "/", no part may be empty, "." or "..",
// and it holds no "\" (a separator to the archive's readers) and no control
// character (C0, DEL or C1).
const char* UnsafeTopicPath(std::string_view path);

// The same for one name of a folder or file.
const char* UnsafeTopicName(std::string_view name);

}  // namespace vxb
