// The HTML pages the reader serves in place of a topic: the error pages and the
// list of registered archives. Templates are files under reader/pages/, built
// into the module; the header image is a resource of the module too.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "reader/PageFormatter.h"
#include "reader/ReaderModule.h"

class ThisVxbFile;
class ThisDocumentProfiling;

enum ReaderPage : unsigned {
  kPageWrongSyntax = 1,          // %1 = rest of the URL from the error position
  kPageWithoutName = 2,          // no arguments
  kPageArchiveNotFound = 3,      // %1 = archive name
  kPageWrongFirmCode = 4,        // %1 = archive name, %2 = firm code
  kPageAmbiguousFirmCode = 5,    // %1 = archive name, %2 = first firm code
  kPageRegisteredFileFails = 6,  // %1 = path, %2 = archive name, %3 = error text
  kPageFileFails = 7,            // %1 = path, %2 = "" , %3 = error text
  kPageArchiveList = 11,         // %1 = table rows (markup)
};

// The template of page N; empty when the module has no such page.
std::string_view PageTemplate(unsigned page);

// A resource of the module by name, without regard to case ("STOW.GIF" and
// "stow.gif" give the header image); empty when there is none.
std::string_view FindReaderResource(std::string_view name);

// Page N filled with up to six ARGS (%1 to %6; missing ones empty), the last URL
// as received (%7), the module's version (%8), folder (%9) and path (%10) and
// the year of its build (%11); the module's folder and path as PagePaths shows
// them. Every text is escaped for where it lands.
// An unknown page number throws the generic error 1000.
std::string FormatPage(unsigned page, std::span<const PageArgument> args,
                       std::string_view lastUrl,
                       const ReaderModuleInfo& module = ReaderModuleInfo::Current());
std::string FormatPage(unsigned page, std::initializer_list<std::string> args,
                       std::string_view lastUrl,
                       const ReaderModuleInfo& module = ReaderModuleInfo::Current());

// Where the list page takes the registered archives from: the catalog's
// all-users placement.
class ArchiveListSource {
 public:
  virtual ~ArchiveListSource() = default;
  // Names of the archives registered for all users, in catalog order.
  virtual std::vector<std::string> ListArchiveNames() = 0;
  // Firm codes of NAME registered for all users, in catalog order.
  virtual std::vector<std::uint32_t> ListFirmCodes(const std::string& name) = 0;
  // The file path of NAME and FIRMCODE, resolved as for a URL (not quietly);
  // empty when the entry vanished.
  virtual std::string ResolveArchive(const std::string& name, std::uint32_t firmCode) = 0;
};

// The list of the catalog's all-users placement, each path resolved by the
// reader's name resolution (which may arrange an error page of its own when an
// entry vanished between listing and resolving; the list page replaces it). An
// entry that cannot be read gives an empty path instead of failing the list.
class CatalogArchiveList : public ArchiveListSource {
 public:
  explicit CatalogArchiveList(ThisDocumentProfiling& catalog) : m_catalog(catalog) {}
  std::vector<std::string> ListArchiveNames() override;
  std::vector<std::uint32_t> ListFirmCodes(const std::string& name) override;
  std::string ResolveArchive(const std::string& name, std::uint32_t firmCode) override;

 private:
  ThisDocumentProfiling& m_catalog;
};

// The rows of the list page: one per archive name and firm code, each a link to
// "vexost://" and the name, the firm code and the path (as PagePaths shows it),
// ended by a line break.
std::string BuildArchiveRows(ArchiveListSource& source);

// The list page (page 11) with the rows of SOURCE.
std::string FormatArchiveListPage(ArchiveListSource& source, std::string_view lastUrl,
                                  const ReaderModuleInfo& module = ReaderModuleInfo::Current());

// Builds the list page of the archives SOURCE lists and shows it on ARCHIVE.
void BuildArchiveList(ThisVxbFile& archive, ArchiveListSource& source, std::string_view lastUrl);
