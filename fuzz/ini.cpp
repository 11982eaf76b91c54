// INI files: the document parsed from any text, looked up and changed, and the
// profile functions on a file holding the text, with buffers of every size.
// Input: section, key and value (each ended by a zero byte), then the file.
#include <cctype>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/IniDocument.h"
#include "platform/Profile.h"

namespace {

bool Plain(const std::string& text) {
  if (text.empty()) return false;
  for (unsigned char c : text)
    if (!std::isalnum(c)) return false;
  return true;
}

void Document(std::string_view text, const std::string& section, const std::string& key,
              const std::string& value) {
  IniDocument document(text);
  const std::string once = document.Text();
  if (IniDocument(once).Text() != once) std::abort();
  for (const std::string& name : document.SectionNames()) {
    for (const std::string& entry : document.Keys(name)) (void)document.Value(name, entry);
    (void)document.Entries(name);
  }
  document.SetValue(section, key, value);
  if (Plain(section) && Plain(key) && Plain(value) && document.Value(section, key) != value) std::abort();
  document.DeleteKey(section, key);
  document.ReplaceSection(section, {key + "=" + value, ";" + value});
  document.DeleteSection(key);
  (void)IniDocument(document.Text()).SectionNames();
}

void Profile(std::string_view text, const std::string& section, const std::string& key,
             const std::string& value) {
  const std::string file = fuzz::WriteScratchFile("profile.ini", text);
  for (DWORD size : {0u, 1u, 2u, 3u, 16u, 4096u}) {
    std::vector<char> buffer(size + 1, '\x7F');
    const DWORD got[] = {
        GetPrivateProfileStringA(nullptr, nullptr, "d", buffer.data(), size, file.c_str()),
        GetPrivateProfileStringA(section.c_str(), nullptr, "d", buffer.data(), size, file.c_str()),
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "d ", buffer.data(), size, file.c_str()),
        GetPrivateProfileSectionA(section.c_str(), buffer.data(), size, file.c_str()),
        GetPrivateProfileSectionNamesA(buffer.data(), size, file.c_str())};
    if (buffer[size] != '\x7F') std::abort();  // nothing written past the buffer
    for (DWORD n : got)
      if (size > 0 && n >= size) std::abort();
  }
  if (WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) &&
      Plain(section) && Plain(key) && Plain(value)) {
    char back[4096];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", back, sizeof back, file.c_str());
    if (back != value) std::abort();
  }
  WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str());
  // Section lines: zero-terminated texts and an empty one.
  const std::string lines = value + std::string(1, '\0') + key + std::string(2, '\0');
  WritePrivateProfileSectionA(key.c_str(), lines.c_str(), file.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputReader input(data, size);
  const std::string section = input.Piece();
  const std::string key = input.Piece();
  const std::string value = input.Piece();
  Document(input.Rest(), section, key, value);
  Profile(input.Rest(), section, key, value);
  return 0;
}
