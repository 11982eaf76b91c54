// The reader module's catalog object: the catalog, the archives handed over by
// a host, and the state that turns an archive name into a file path across
// requests (the name resolved last, the firm code chosen for it, and whether
// the next request for it should let the user choose the firm code).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/DocumentProfiling.h"
#include "catalog/ResolveInterfaces.h"
#include "catalog/TempRegistrar.h"

class ThisDocumentProfiling : public stow::DocumentProfiling {
 public:
  explicit ThisDocumentProfiling(const KelAppDescriptor& descriptor)
      : DocumentProfiling(descriptor) {}

  // The file path of the archive NAME: a handed-over archive of exactly that
  // name first, else the catalog (current user first, then all users). FIRMCODE
  // is the firm code asked (stow::kNoFirmCode: any) and receives the one used.
  // MAYWRITE opens the catalog for writing where allowed (a later
  // UpdateEntryPath needs it). An empty result means failure: unless QUIET the
  // failure is reported (SetFailureReport) and remembered, so that the next
  // request for an ambiguous name lets the user choose (SetFirmCodeChooser).
  std::string ResolveArchive(const std::string& name, std::uint32_t& firmCode, bool mayWrite,
                             bool quiet);

  void SetFirmCodeChooser(FirmCodeChooser* chooser) { m_chooser = chooser; }
  // Process-wide: whether the firm code used for a name is kept for the next
  // request of the name alone (kept unless a host says otherwise). A host of
  // many clients turns this off: one client's choice must not decide the
  // archive another client reads.
  static void SetChoicesKept(bool kept);
  void SetFailureReport(ResolveFailureReport* report) { m_report = report; }

  stow::TempRegistrar& GetTempRegistrar() { return m_tempRegistrar; }
  const std::string& GetLastResolvedName() const { return m_lastResolvedName; }
  std::uint32_t GetLastFirmCode() const { return m_lastFirmCode; }
  bool GetAskNextTime() const { return m_askNextTime; }

 private:
  // Finds the entry of NAME in the catalog; on success the entry path holds it.
  std::optional<ResolveFailure> LookUp(const std::string& name, std::uint32_t& firmCode,
                                       bool mayWrite);
  // Picks one of several FIRMCODES; false (FIRMCODE = the first) when the
  // choice is left open.
  bool PickFirmCode(const std::string& name, const std::vector<std::uint32_t>& firmCodes,
                    std::uint32_t& firmCode);
  void RememberResolved(const std::string& name, std::uint32_t firmCode);
  void RememberFailure(ResolveFailure failure, const std::string& name);

  std::string m_lastResolvedName;
  std::uint32_t m_lastFirmCode = stow::kNoFirmCode;
  bool m_askNextTime = false;
  stow::TempRegistrar m_tempRegistrar;
  FirmCodeChooser* m_chooser = nullptr;
  ResolveFailureReport* m_report = nullptr;
};
