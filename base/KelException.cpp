#include "base/KelException.h"

#include <utility>

CKelException::CKelException(std::uint32_t code, std::string arg1, std::string arg2,
                             std::string arg3, std::string location)
    : m_code(code),
      m_arg1(std::move(arg1)),
      m_arg2(std::move(arg2)),
      m_arg3(std::move(arg3)),
      m_location(std::move(location)) {}

void CKelException::Throw(std::uint32_t code, std::string arg1, std::string arg2,
                          std::string arg3) {
  throw new CKelException(code, std::move(arg1), std::move(arg2), std::move(arg3));
}

CKelFileException::CKelFileException(std::uint32_t code, std::uint32_t systemError,
                                     std::string path, std::string arg1, std::string arg2,
                                     std::string arg3, std::string location)
    : CKelException(code, std::move(arg1), std::move(arg2), std::move(arg3), std::move(location)),
      m_systemError(systemError),
      m_path(std::move(path)) {}

void CKelAbortException::Throw(std::int32_t exitCode) { throw new CKelAbortException(exitCode); }
