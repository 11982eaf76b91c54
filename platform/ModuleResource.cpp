#include "platform/ModuleResource.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() + 0 && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string MimeTypeOf(std::string_view name) {
  std::size_t dot = name.rfind('.');
  std::string ext(dot == std::string_view::npos ? "" : name.substr(dot + 1));
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == "gif") return "image/gif";
  if (ext == "png") return "image/png";
  if (ext == "jpg" || ext == "jpeg") return "image/jpeg";
  if (ext == "css") return "text/css";
  if (ext == "htm" || ext == "html") return "text/html";
  return "application/octet-stream";
}

}  // namespace

bool ReadModuleResourceUrl(std::string_view url, const std::string& allowedModule,
                           std::string& bytes, std::string& mimeType) {
  constexpr std::string_view kScheme = "res://";
  if (url.size() < kScheme.size() || allowedModule.empty()) return false;
  std::string rest = Unescape(url.substr(kScheme.size()));
  std::size_t slash = rest.rfind('/');
  if (slash == std::string::npos) return false;
  const std::string_view named = std::string_view(rest).substr(0, slash);
  const std::string_view fileName =
      std::string_view(allowedModule).substr(allowedModule.rfind('/') + 1);
  if (named != allowedModule && (fileName.empty() || named != fileName)) return false;
  std::string name = rest.substr(slash + 1);
  void* module = ::dlopen(allowedModule.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!module) return false;
  auto find = reinterpret_cast<ModuleResourceFunction>(::dlsym(module, kModuleResourceExport));
  const void* data = nullptr;
  std::size_t size = 0;
  bool found = find && find(name.c_str(), &data, &size) != 0;
  if (found) {
    bytes.assign(static_cast<const char*>(data), size);
    mimeType = MimeTypeOf(name);
  }
  ::dlclose(module);
  return found;
}
