// Exceptions of the system. CKel* exceptions are thrown by pointer (framework
// style); vxs::Exception is a standard exception for code on standard strings.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "platform/Framework.h"

// A failure told by a message-table code, up to three text arguments and an
// optional location text.
class CKelException : public CException {
 public:
  explicit CKelException(std::uint32_t code = 0, std::string arg1 = {}, std::string arg2 = {},
                         std::string arg3 = {}, std::string location = {});
  const char* GetRuntimeClassName() const override { return "CKelException"; }

  [[noreturn]] static void Throw(std::uint32_t code, std::string arg1 = {}, std::string arg2 = {},
                                 std::string arg3 = {});

  std::uint32_t m_code;
  std::string m_arg1;
  std::string m_arg2;
  std::string m_arg3;
  std::string m_location;
};

// A failure of a file operation: adds the system error and the file's full path.
class CKelFileException : public CKelException {
 public:
  CKelFileException(std::uint32_t code, std::uint32_t systemError, std::string path,
                    std::string arg1 = {}, std::string arg2 = {}, std::string arg3 = {},
                    std::string location = {});
  const char* GetRuntimeClassName() const override { return "CKelFileException"; }

  std::uint32_t m_systemError;
  std::string m_path;
};

// Ends an operation quietly with an exit code; never shown as a message.
class CKelAbortException : public CException {
 public:
  explicit CKelAbortException(std::int32_t exitCode) : m_exitCode(exitCode) {}
  const char* GetRuntimeClassName() const override { return "CKelAbortException"; }
  [[noreturn]] static void Throw(std::int32_t exitCode);

  std::int32_t m_exitCode;
};

namespace vxs {

// Standard-string twin of CKelException. Without a location it takes the current
// error location (ErrorLocation.h) at construction.
class Exception : public std::exception {
 public:
  explicit Exception(std::uint32_t code, std::string arg1 = {}, std::string arg2 = {},
                     std::string arg3 = {});
  Exception(std::uint32_t code, std::string arg1, std::string arg2, std::string arg3,
            std::string location);
  // The composed message (program name, location, severity, code, text).
  const char* what() const noexcept override;

  std::uint32_t code;
  std::string arg1;
  std::string arg2;
  std::string arg3;
  std::string location;

 private:
  std::string ComposeText() const;

  mutable std::string m_text;
};

}  // namespace vxs
