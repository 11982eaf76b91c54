#include "platform/FileFaults.h"

#include <algorithm>
#include <utility>

FileFaults::FileFaults() : m_previous(os::InstallFileHook(this)) {}

FileFaults::~FileFaults() { os::InstallFileHook(m_previous); }

void FileFaults::Add(FileFault fault) {
  std::lock_guard lock(m_mutex);
  m_rules.push_back({std::move(fault)});
}

void FileFaults::PretendCurrentFolder(std::string folder) {
  std::lock_guard lock(m_mutex);
  m_currentFolder = std::move(folder);
}

unsigned FileFaults::Count(os::FileCall call) const {
  std::lock_guard lock(m_mutex);
  auto it = m_counts.find(call);
  return it == m_counts.end() ? 0 : it->second;
}

DWORD FileFaults::BeforeCall(os::FileCall call, const std::string& path, std::size_t& count) {
  std::lock_guard lock(m_mutex);
  ++m_counts[call];
  for (Rule& rule : m_rules) {
    const FileFault& fault = rule.fault;
    if (fault.call != call || path.find(fault.pathPart) == std::string::npos) continue;
    const unsigned seen = rule.seen++;
    if (seen < fault.skip || seen - fault.skip >= fault.times) continue;
    count = std::min(count, fault.limit);
    return fault.error;
  }
  return ERROR_SUCCESS;
}

std::string FileFaults::CurrentFolder() {
  std::lock_guard lock(m_mutex);
  return m_currentFolder;
}
