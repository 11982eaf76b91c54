// The reader module's table of archives handed over by a host (the reader
// control): archives it may serve by name without looking at the catalog.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace stow {

// One archive handed over by a host.
class RegisteredArchive {
 public:
  RegisteredArchive(std::string archiveName, std::string filePath, std::uint32_t firmCode,
                    std::string text = {})
      : m_archiveName(std::move(archiveName)),
        m_filePath(std::move(filePath)),
        m_firmCode(firmCode),
        m_text(std::move(text)) {}
  virtual ~RegisteredArchive() = default;

  std::string m_archiveName;
  std::string m_filePath;
  std::uint32_t m_firmCode;
  std::string m_text;  // the hand-over record's fourth text; kept, not read
};

// The records ordered by archive name, compared byte for byte (case matters).
class TempRegistrar {
 public:
  // Adds RECORD unless a record of the same name is there already (that one
  // stays unchanged); true when it was added.
  bool Add(RegisteredArchive record);
  // The record named exactly NAME, or nullptr.
  const RegisteredArchive* Find(const std::string& name) const;
  std::size_t GetCount() const { return m_records.size(); }

 private:
  struct ByName {
    using is_transparent = void;
    bool operator()(const RegisteredArchive& a, const RegisteredArchive& b) const {
      return a.m_archiveName < b.m_archiveName;
    }
    bool operator()(const RegisteredArchive& a, const std::string& b) const {
      return a.m_archiveName < b;
    }
    bool operator()(const std::string& a, const RegisteredArchive& b) const {
      return a < b.m_archiveName;
    }
  };

  std::set<RegisteredArchive, ByName> m_records;
};

}  // namespace stow
