#include "platform/tools/vxreg/VxRegKeyName.h"

#include "platform/CaseFold.h"

namespace {

struct RootName {
  const char* shortName;
  const char* fullName;
  HKEY root;
};

const RootName kRoots[] = {
    {"HKCU", "HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKLM", "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKCR", "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKCC", "HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

}  // namespace

VxRegKeyName VxRegKeyName::Child(std::string_view name) const {
  VxRegKeyName child = *this;
  child.path = path.empty() ? std::string(name) : path + "\\" + std::string(name);
  return child;
}

std::optional<VxRegKeyName> ParseVxRegKeyName(std::string_view text) {
  while (!text.empty() && text.back() == '\\') text.remove_suffix(1);
  const std::size_t slash = text.find('\\');
  const std::string_view root = text.substr(0, slash);
  const std::string_view path = slash == std::string_view::npos ? "" : text.substr(slash + 1);
  if (path.find("\\\\") != std::string_view::npos || (slash != std::string_view::npos && path.empty())) {
    return std::nullopt;
  }
  for (const RootName& known : kRoots) {
    if (EqualNoCase(root, known.shortName) || EqualNoCase(root, known.fullName)) {
      return VxRegKeyName{known.root, known.fullName, std::string(path)};
    }
  }
  return std::nullopt;
}
