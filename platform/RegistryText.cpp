#include "platform/RegistryText.h"

#include <memory>

namespace {

struct KeyCloser {
  void operator()(HKEY__* key) const { RegCloseKey(key); }
};
using OpenKey = std::unique_ptr<HKEY__, KeyCloser>;

}  // namespace

std::optional<std::string> ReadRegistryText(HKEY root, const std::string& subKey,
                                            const char* valueName) {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
    return std::nullopt;
  OpenKey key(raw);
  // The value may grow between asking its size and reading it: ask again then.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(raw, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return std::nullopt;
    std::string text(size, '\0');
    LSTATUS status = RegQueryValueExA(raw, valueName, nullptr, &type,
                                      reinterpret_cast<BYTE*>(text.data()), &size);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    text.resize(size);
    if (auto zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
    return text;
  }
  return std::nullopt;
}
