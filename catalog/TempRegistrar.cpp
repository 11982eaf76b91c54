#include "catalog/TempRegistrar.h"

#include <utility>

namespace stow {

bool TempRegistrar::Add(RegisteredArchive record) {
  return m_records.insert(std::move(record)).second;
}

const RegisteredArchive* TempRegistrar::Find(const std::string& name) const {
  const auto found = m_records.find(name);
  return found == m_records.end() ? nullptr : &*found;
}

}  // namespace stow
