#include "reader/ReaderPages.h"

#include <array>
#include <cctype>

#include "archive/VxbFile.h"
#include "base/HtmlEscape.h"
#include "base/KelException.h"
#include "catalog/ThisDocumentProfiling.h"
#include "reader/PagePaths.h"

std::string_view ReaderResource(std::string_view name);  // the embedded files

namespace {

constexpr std::size_t kPageArguments = 6;
constexpr std::string_view kRowTemplate =
    "<tr><td align=\"left\"><a href=\"%1\">%2</a></td> <td align=\"left\">%3</td> "
    "<td align=\"left\">%5</td></tr>";

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<PageArgument> PlainArguments(std::initializer_list<std::string> args) {
  std::vector<PageArgument> out;
  for (const std::string& text : args) out.push_back({text, false});
  return out;
}

}  // namespace

std::string_view PageTemplate(unsigned page) {
  return ReaderResource("pages/page" + std::to_string(page) + ".html");
}

std::string_view FindReaderResource(std::string_view name) {
  std::string lower = Lower(name);
  if (lower.find('/') != std::string::npos || lower.ends_with(".html")) return {};
  return ReaderResource("pages/" + lower);
}

std::string FormatPage(unsigned page, std::span<const PageArgument> args, std::string_view lastUrl,
                       const ReaderModuleInfo& module) {
  std::string_view tmpl = PageTemplate(page);
  if (tmpl.empty()) CKelException::Throw(1000, "Page " + std::to_string(page) + " not found.");
  std::array<PageArgument, 11> vector;
  for (std::size_t i = 0; i < args.size() && i < kPageArguments; ++i) vector[i] = args[i];
  vector[6] = {std::string(lastUrl), false};
  vector[7] = {module.version, false};
  vector[8] = {PagePaths::Folder(module.folder), false};
  vector[9] = {PagePaths::Path(module.path), false};
  vector[10] = {std::to_string(module.buildYear), false};
  return FillPageTemplate(tmpl, vector);
}

std::string FormatPage(unsigned page, std::initializer_list<std::string> args,
                       std::string_view lastUrl, const ReaderModuleInfo& module) {
  return FormatPage(page, PlainArguments(args), lastUrl, module);
}

std::string BuildArchiveRows(ArchiveListSource& source) {
  std::string rows;
  for (const std::string& name : source.ListArchiveNames()) {
    for (std::uint32_t firmCode : source.ListFirmCodes(name)) {
      std::string path = source.ResolveArchive(name, firmCode);
      const PageArgument row[] = {{"vexost://" + vxs::EscapeUrlComponent(name), false},
                                  {name, false},
                                  {std::to_string(static_cast<std::int32_t>(firmCode)), false},
                                  {},
                                  {PagePaths::Path(path), false}};
      rows += FillPageTemplate(kRowTemplate, row);
      rows += '\n';
    }
  }
  return rows;
}

std::string FormatArchiveListPage(ArchiveListSource& source, std::string_view lastUrl,
                                  const ReaderModuleInfo& module) {
  const PageArgument rows[] = {{BuildArchiveRows(source), true}};
  return FormatPage(kPageArchiveList, rows, lastUrl, module);
}

std::vector<std::string> CatalogArchiveList::ListArchiveNames() {
  return m_catalog.ListArchiveNames(stow::Placement::AllUsers);
}

std::vector<std::uint32_t> CatalogArchiveList::ListFirmCodes(const std::string& name) {
  if (!m_catalog.OpenArchiveKey(name, CKelProfiling::kLocalMachine, CKelProfiling::kReadOnly))
    return {};
  return m_catalog.ListFirmCodes();
}

std::string CatalogArchiveList::ResolveArchive(const std::string& name, std::uint32_t firmCode) {
  // A damaged entry (a firm-code key without its path) fails its own row only.
  try {
    return m_catalog.ResolveArchive(name, firmCode, false, false);
  } catch (CKelException* e) {
    e->Delete();
    return {};
  }
}

void BuildArchiveList(ThisVxbFile& archive, ArchiveListSource& source, std::string_view lastUrl) {
  archive.SetPage(FormatArchiveListPage(source, lastUrl));
}
