#include "platform/tools/vxreg/VxRegExport.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/RegistryList.h"

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr std::size_t kLineWidth = 76;  // hexadecimal data wrap before this column

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

// True for the data of REG_SZ that a quoted string gives back exactly.
bool IsPlainText(const std::string& bytes) {
  if (bytes.empty() || bytes.back() != '\0') return false;
  for (std::size_t index = 0; index + 1 < bytes.size(); ++index) {
    if (bytes[index] == '\0' || bytes[index] == '\r' || bytes[index] == '\n') return false;
  }
  return true;
}

// "hex:" or "hex(N):" and the bytes, wrapped with a backslash and two blanks.
std::string HexData(DWORD type, const std::string& bytes, std::size_t column) {
  char text[16];
  if (type == REG_BINARY) {
    std::snprintf(text, sizeof text, "hex:");
  } else {
    std::snprintf(text, sizeof text, "hex(%x):", static_cast<unsigned>(type));
  }
  std::string data = text;
  column += data.size();
  for (std::size_t index = 0; index < bytes.size(); ++index) {
    std::snprintf(text, sizeof text, "%02x", static_cast<unsigned char>(bytes[index]));
    data += text;
    column += 2;
    if (index + 1 == bytes.size()) break;
    data += ',';
    ++column;
    if (column >= kLineWidth) {
      data += "\\";
      data += kLineEnd;
      data += "  ";
      column = 2;
    }
  }
  return data;
}

std::string ValueLine(const RegValue& value) {
  const std::string name = value.name.empty() ? "@" : Quoted(value.name);
  std::string data;
  if (value.type == REG_SZ && IsPlainText(value.data)) {
    data = Quoted(value.data.substr(0, value.data.size() - 1));
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    char text[24];
    const auto* b = reinterpret_cast<const unsigned char*>(value.data.data());
    std::snprintf(text, sizeof text, "dword:%02x%02x%02x%02x", b[3], b[2], b[1], b[0]);
    data = text;
  } else {
    data = HexData(value.type, value.data, name.size() + 1);
  }
  return name + "=" + data + kLineEnd;
}

DWORD WriteKey(std::ostream& out, HKEY key, const VxRegKeyName& name) {
  std::vector<RegValue> values;
  std::vector<std::string> subKeys;
  if (const DWORD error = ListRegValues(key, &values)) return error;
  if (const DWORD error = ListRegSubKeys(key, &subKeys)) return error;
  out << "[" << name.FullName() << "]" << kLineEnd;
  for (const RegValue& value : values) out << ValueLine(value);
  out << kLineEnd;
  for (const std::string& subKeyName : subKeys) {
    HKEY subKey = nullptr;
    DWORD error = static_cast<DWORD>(RegOpenKeyExA(key, subKeyName.c_str(), 0, KEY_READ, &subKey));
    if (error == ERROR_FILE_NOT_FOUND) continue;  // deleted meanwhile
    if (error == ERROR_SUCCESS) {
      error = WriteKey(out, subKey, name.Child(subKeyName));
      RegCloseKey(subKey);
    }
    if (error != ERROR_SUCCESS) return error;
  }
  return ERROR_SUCCESS;
}

}  // namespace

DWORD WriteVxRegExport(std::ostream& out, HKEY key, const VxRegKeyName& name) {
  out << "REGEDIT4" << kLineEnd << kLineEnd;
  return WriteKey(out, key, name);
}
