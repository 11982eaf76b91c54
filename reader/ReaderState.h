// The reader module's state shared by every request: the current archive (kept
// open between requests), the catalog with its name resolution, the URL grammar's
// memory (last URL, archive prefix, the archive record of the last URL) and the
// archive whose next failure to open the open-failure handling asks a file for. One instance lives from the
// module's start to its end; requests are served one at a time, without locks.
//
// It is also what the grammar and the catalog report to: pages are arranged on
// the current archive, where the next delivery object serves them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/VxbFile.h"
#include "catalog/ThisDocumentProfiling.h"
#include "reader/FirmCodeDialogChooser.h"
#include "reader/RequestUrl.h"
#include "reader/ResolveFailurePages.h"

class ReaderState : public RequestUrlServices {
 public:
  // No page arranged in the request under way.
  static constexpr unsigned kNoPage = 0;

  explicit ReaderState(const KelAppDescriptor& descriptor);
  // Closes the current archive.
  ~ReaderState() override;
  ReaderState(const ReaderState&) = delete;
  ReaderState& operator=(const ReaderState&) = delete;

  ThisVxbFile& GetArchive() { return m_archive; }
  ThisDocumentProfiling& GetCatalog() { return m_catalog; }
  RequestUrlGrammar& GetGrammar() { return m_grammar; }

  // A new request begins: a page that an earlier request left unread is
  // dropped, so that no request serves another's page.
  void BeginRequest();
  // The page arranged since BeginRequest (kNoPage when none).
  unsigned GetArrangedPage() const { return m_arrangedPage; }

  // Clears the cache entry list and closes the current archive when it is open;
  // failures of either are of no interest to a request that moves on.
  void CloseArchive();

  // The open-failure handling's memory: the archive file whose opening failed
  // last with a page; the next failure to open it shows the file selection
  // dialog instead. Empty when there is none.
  std::string m_askForFileOf;

  // RequestUrlServices: pages on the current archive, names through the catalog
  // (read only, not quiet), the module's cache entry list.
  void ArrangePage(unsigned page, std::vector<std::string> args) override;
  void ArrangeArchiveList() override;
  std::string ResolveArchive(const std::string& name, std::uint32_t& firmCode) override;
  void ClearCacheEntries() override;

 private:
  ThisVxbFile m_archive;
  ThisDocumentProfiling m_catalog;
  RequestUrlGrammar m_grammar;
  FirmCodeDialogChooser m_firmCodeChooser;
  ResolveFailurePages m_failurePages{*this};
  unsigned m_arrangedPage = kNoPage;
};
