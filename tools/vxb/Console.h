// Where the commands of vxb write: results to standard output, messages composed
// as the system composes them (one line, with the VK code) to standard error.
#pragma once

#include <ostream>
#include <string>

#include "base/KelErrorMessage.h"

namespace vxb {

// Exit statuses.
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kBadCommandLine = 2;

class Console {
 public:
  Console(std::ostream& out, std::ostream& err, bool progressBar);

  std::ostream& Out() { return m_out; }
  std::ostream& Err() { return m_err; }
  bool ProgressBar() const { return m_progressBar; }

  // Writes the message of EXCEPTION to standard error (the caller keeps it).
  void Report(CKelException& exception);
  // Reports a warning (code 4000) whose text is TEXT with %1 replaced by ARG.
  void Warn(std::string text, std::string arg = {});

 private:
  std::ostream& m_out;
  std::ostream& m_err;
  bool m_progressBar;
  CKelErrorMessage m_messages;
};

}  // namespace vxb
