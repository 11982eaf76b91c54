#include "base/ErrorLocation.h"

#include "base/AutoInit.h"

namespace vxs {

namespace {
constinit AutoInit<ErrorLocationInit> g_locations;
}

void ErrorLocationInit::Push(std::string text, bool chained) {
  m_entries.push_back({std::move(text), chained});
}

void ErrorLocationInit::Pop() {
  if (!m_entries.empty()) m_entries.pop_back();
}

std::string ErrorLocationInit::Current() const {
  if (m_entries.empty()) return {};
  std::size_t first = m_entries.size() - 1;
  while (first > 0 && m_entries[first].chained) --first;
  std::string location = m_entries[first].text;
  for (std::size_t i = first + 1; i < m_entries.size(); ++i) location += ", " + m_entries[i].text;
  return location;
}

ErrorLocationInit& ErrorLocations() { return g_locations.Get(); }

std::string CurrentErrorLocation() { return ErrorLocations().Current(); }

ErrorLocationScope::~ErrorLocationScope() {
  for (; m_pushes > 0; --m_pushes) ErrorLocations().Pop();
}

void ErrorLocationScope::Push(std::string text, bool chained) {
  ErrorLocations().Push(std::move(text), chained);
  ++m_pushes;
}

}  // namespace vxs
