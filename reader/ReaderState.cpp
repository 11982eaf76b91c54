#include "reader/ReaderState.h"

#include <memory>

#include "platform/Framework.h"
#include "reader/CacheEntryList.h"
#include "reader/ReaderPages.h"

ReaderState::ReaderState(const KelAppDescriptor& descriptor) : m_catalog(descriptor) {
  m_catalog.SetFirmCodeChooser(&m_firmCodeChooser);
  m_catalog.SetFailureReport(&m_failurePages);
}

ReaderState::~ReaderState() {
  try {
    m_archive.Close();
  } catch (CException* e) {
    e->Delete();
  }
}

void ReaderState::BeginRequest() {
  m_arrangedPage = kNoPage;
  if (!m_archive.GetPageText().empty()) m_archive.SetPage({});
}

void ReaderState::CloseArchive() {
  if (!m_archive.IsOpen()) return;
  try {
    CacheEntryList::Instance().Clear();
  } catch (CException* e) {
    e->Delete();
  }
  try {
    m_archive.Close();
  } catch (CException* e) {
    e->Delete();
  }
}

void ReaderState::ArrangePage(unsigned page, std::vector<std::string> args) {
  std::vector<PageArgument> arguments;
  for (std::string& arg : args) arguments.push_back({std::move(arg), false});
  m_archive.SetPage(FormatPage(page, arguments, m_grammar.GetLastUrl()));
  m_arrangedPage = page;
}

void ReaderState::ArrangeArchiveList() {
  CatalogArchiveList source(m_catalog);
  BuildArchiveList(m_archive, source, m_grammar.GetLastUrl());
  m_arrangedPage = kPageArchiveList;
}

std::string ReaderState::ResolveArchive(const std::string& name, std::uint32_t& firmCode) {
  return m_catalog.ResolveArchive(name, firmCode, false, false);
}

void ReaderState::ClearCacheEntries() { CacheEntryList::Instance().Clear(); }
