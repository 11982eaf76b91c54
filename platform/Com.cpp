#include "platform/Com.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/RegistryText.h"

namespace {

constexpr std::size_t kGuidTextLength = 38;  // {8-4-4-4-12}
// Longest chain of CurVer links followed from one ProgID (guards against loops).
constexpr int kMaxCurVerLinks = 4;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads DIGITS hexadecimal digits at TEXT[POS]; false on any other character.
bool ReadHex(std::string_view text, std::size_t pos, int digits, std::uint32_t& value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    int v = HexValue(text[pos + i]);
    if (v < 0) return false;
    value = value << 4 | static_cast<std::uint32_t>(v);
  }
  return true;
}

}  // namespace

void* CoTaskMemAlloc(std::size_t size) { return std::malloc(size ? size : 1); }

void CoTaskMemFree(void* memory) { std::free(memory); }

std::string GuidToString(REFGUID g) {
  char text[kGuidTextLength + 1];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

std::optional<GUID> GuidFromString(std::string_view text) {
  if (text.size() != kGuidTextLength || text.front() != '{' || text.back() != '}' ||
      text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-')
    return std::nullopt;
  GUID g{};
  std::uint32_t v = 0;
  if (!ReadHex(text, 1, 8, v)) return std::nullopt;
  g.Data1 = v;
  if (!ReadHex(text, 10, 4, v)) return std::nullopt;
  g.Data2 = static_cast<WORD>(v);
  if (!ReadHex(text, 15, 4, v)) return std::nullopt;
  g.Data3 = static_cast<WORD>(v);
  static constexpr std::size_t kBytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(text, kBytePositions[i], 2, v)) return std::nullopt;
    g.Data4[i] = static_cast<BYTE>(v);
  }
  return g;
}

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax) {
  if (!buffer || cchMax < static_cast<int>(kGuidTextLength + 1)) return 0;
  std::memcpy(buffer, GuidToString(guid).c_str(), kGuidTextLength + 1);
  return static_cast<int>(kGuidTextLength + 1);
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
  if (!text || !clsid) return E_INVALIDARG;
  std::optional<GUID> g = GuidFromString(text);
  *clsid = g.value_or(GUID_NULL);
  return g ? S_OK : CO_E_CLASSSTRING;
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid) {
  if (!progId || !clsid) return E_INVALIDARG;
  *clsid = GUID_NULL;
  std::string name = progId;
  for (int link = 0; link <= kMaxCurVerLinks && !name.empty(); ++link) {
    if (std::optional<std::string> text = ReadRegistryText(HKEY_CLASSES_ROOT, name + "\\CLSID", ""))
      return CLSIDFromString(text->c_str(), clsid);
    name = ReadRegistryText(HKEY_CLASSES_ROOT, name + "\\CurVer", "").value_or("");
  }
  return CO_E_CLASSSTRING;
}
