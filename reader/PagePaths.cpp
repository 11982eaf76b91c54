#include "reader/PagePaths.h"

#include <algorithm>
#include <vector>

#include "base/KelFile.h"
#include "base/PathText.h"

namespace {

bool g_shown = true;

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty() || from == to) return;
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

}  // namespace

void PagePaths::SetShown(bool shown) { g_shown = shown; }

bool PagePaths::Shown() { return g_shown; }

std::string PagePaths::Path(std::string_view path) {
  return g_shown ? std::string(path) : vxs::PathPart(path, vxs::kPartName | vxs::kPartExtension);
}

std::string PagePaths::Folder(std::string_view folder) {
  return g_shown ? std::string(folder) : "\u2026";
}

std::string PagePaths::Message(std::string text, std::string_view path) {
  if (g_shown || path.empty()) return text;
  CKelFile file{std::string(path)};
  std::vector<std::string> forms = {
      std::string(path), file.DisplayForm(0, vxs::kDisplayRelative | vxs::kDisplayUnquoted)};
  file.MakeFullPath();
  forms.push_back(file.GetPath());
  // The longest first, so that no form is cut into by a shorter one inside it.
  std::sort(forms.begin(), forms.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  const std::string name = Path(path);
  for (const std::string& form : forms) ReplaceAll(text, form, name);
  return text;
}
