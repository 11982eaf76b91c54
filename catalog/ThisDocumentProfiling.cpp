#include "catalog/ThisDocumentProfiling.h"

#include "platform/CaseFold.h"

namespace {
bool g_choicesKept = true;
}  // namespace

void ThisDocumentProfiling::SetChoicesKept(bool kept) { g_choicesKept = kept; }

std::string ThisDocumentProfiling::ResolveArchive(const std::string& name,
                                                  std::uint32_t& firmCode, bool mayWrite,
                                                  bool quiet) {
  if (const stow::RegisteredArchive* handedOver = m_tempRegistrar.Find(name)) {
    firmCode = handedOver->m_firmCode;
    RememberResolved(name, firmCode);
    return handedOver->m_filePath;
  }
  const std::optional<ResolveFailure> failure = LookUp(name, firmCode, mayWrite);
  if (!failure) {
    RememberResolved(name, firmCode);
    return GetEntryPath();
  }
  if (!quiet) {
    RememberFailure(*failure, name);
    if (m_report) m_report->ReportResolveFailure(*failure, name, firmCode);
  }
  return {};
}

std::optional<ResolveFailure> ThisDocumentProfiling::LookUp(const std::string& name,
                                                            std::uint32_t& firmCode,
                                                            bool mayWrite) {
  if (!OpenArchiveKey(name, kUserThenMachine,
                      mayWrite ? kReadWriteElseRead : kReadOnly))
    return ResolveFailure::NotFound;
  if (firmCode == stow::kNoFirmCode) {
    const std::vector<std::uint32_t> firmCodes = ListFirmCodes();
    if (firmCodes.empty()) return ResolveFailure::NotFound;
    if (!PickFirmCode(name, firmCodes, firmCode)) return ResolveFailure::Ambiguous;
  }
  if (!ReadEntry(firmCode)) return ResolveFailure::WrongFirmCode;
  return std::nullopt;
}

bool ThisDocumentProfiling::PickFirmCode(const std::string& name,
                                         const std::vector<std::uint32_t>& firmCodes,
                                         std::uint32_t& firmCode) {
  if (firmCodes.size() == 1) {
    firmCode = firmCodes.front();
    return true;
  }
  const bool askedBefore = EqualNoCase(name, m_lastResolvedName);
  if (askedBefore && m_lastFirmCode != stow::kNoFirmCode) {
    firmCode = m_lastFirmCode;
    return true;
  }
  if (askedBefore && m_askNextTime && m_chooser && m_chooser->Choose(name, firmCodes, firmCode))
    return true;
  firmCode = firmCodes.front();
  return false;
}

void ThisDocumentProfiling::RememberResolved(const std::string& name, std::uint32_t firmCode) {
  m_lastResolvedName = name;
  m_lastFirmCode = g_choicesKept ? firmCode : stow::kNoFirmCode;
  m_askNextTime = false;
}

void ThisDocumentProfiling::RememberFailure(ResolveFailure failure, const std::string& name) {
  if (failure == ResolveFailure::Ambiguous) {
    // The next request for this name lets the user choose.
    m_lastResolvedName = name;
    m_lastFirmCode = stow::kNoFirmCode;
  }
  if (failure != ResolveFailure::NotFound) m_askNextTime = true;
}
