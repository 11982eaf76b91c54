// What name resolution (ThisDocumentProfiling::ResolveArchive) needs from the
// reader around it: someone to let the user choose among firm codes, and the
// protocol handler, which turns a failed resolution into an error page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Why an archive name gave no path; the value is the number of the reader's
// error page that tells it.
enum class ResolveFailure {
  NotFound = 3,       // the name is not registered
  WrongFirmCode = 4,  // the name is registered, but not for the firm code asked
  Ambiguous = 5,      // the name is registered for several firm codes
};

// Lets the user pick one of several firm codes of an archive name (the reader
// wires it to its firm-code dialog).
class FirmCodeChooser {
 public:
  virtual ~FirmCodeChooser() = default;
  // Offers FIRMCODES, in this order with the first one selected, for the
  // archive NAME. True with the firm code in CHOSEN when the user confirms;
  // false when the user cancels.
  virtual bool Choose(const std::string& name, const std::vector<std::uint32_t>& firmCodes,
                      std::uint32_t& chosen) = 0;
};

// Receives the failures of resolutions that are not quiet.
class ResolveFailureReport {
 public:
  virtual ~ResolveFailureReport() = default;
  // NAME as asked; FIRMCODE as resolution left it (for WrongFirmCode the code
  // asked, for Ambiguous the first registered one).
  virtual void ReportResolveFailure(ResolveFailure failure, const std::string& name,
                                    std::uint32_t firmCode) = 0;
};
