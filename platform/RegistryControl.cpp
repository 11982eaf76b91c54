#include "platform/RegistryControl.h"

#include <pwd.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <utility>

#include "platform/CaseFold.h"

namespace {

std::atomic<bool> g_userReadOnly{false};
std::atomic<bool> g_machineReadOnly{false};

struct WriteFaults {
  std::mutex lock;
  DWORD injected = ERROR_SUCCESS;
  unsigned injectedAfter = 0;
  unsigned writesDone = 0;  // counted for VXST_REGISTRY_FAULT's "@N"
};
WriteFaults g_faults;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string HomeFolder() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  const passwd* entry = getpwuid(getuid());
  return entry && entry->pw_dir ? entry->pw_dir : "/";
}

// True when the comma-separated list holds NAME (without regard to case).
bool ListNames(std::string_view list, std::string_view name) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    std::string_view item = list.substr(0, comma);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    if (EqualNoCase(item, name)) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

// Parses VXST_REGISTRY_FAULT ("ERROR" or "ERROR@N"); false when unset or malformed.
bool FaultFromEnvironment(DWORD* error, unsigned* after) {
  const std::string text = Environment("VXST_REGISTRY_FAULT");
  if (text.empty()) return false;
  char* end = nullptr;
  const unsigned long number = std::strtoul(text.c_str(), &end, 10);
  if (end == text.c_str() || number == 0 || number > 0xFFFFFFFFul) return false;
  unsigned long count = 0;
  if (*end == '@') {
    const char* start = end + 1;
    count = std::strtoul(start, &end, 10);
    if (end == start) return false;
  }
  if (*end != '\0') return false;
  *error = static_cast<DWORD>(number);
  *after = static_cast<unsigned>(count);
  return true;
}

}  // namespace

std::string RegistryHivePath(RegistryHiveKind kind) {
  const char* file = kind == RegistryHiveKind::User ? "user.db" : "machine.db";
  const std::string folder = Environment("VXST_REGISTRY_DIR");
  if (!folder.empty()) return folder + "/" + file;
  if (kind == RegistryHiveKind::Machine) return std::string("/var/lib/vexost/") + file;
  std::string config = Environment("XDG_CONFIG_HOME");
  if (config.empty() || config.front() != '/') config = HomeFolder() + "/.config";
  return config + "/vexost/" + file;
}

void RegistrySetReadOnly(RegistryHiveKind kind, bool readOnly) {
  (kind == RegistryHiveKind::User ? g_userReadOnly : g_machineReadOnly) = readOnly;
}

bool RegistryIsReadOnly(RegistryHiveKind kind) {
  if (kind == RegistryHiveKind::User ? g_userReadOnly.load() : g_machineReadOnly.load()) return true;
  return ListNames(Environment("VXST_REGISTRY_READONLY"),
                   kind == RegistryHiveKind::User ? "user" : "machine");
}

void RegistryInjectWriteFault(DWORD error, unsigned afterWrites) {
  std::lock_guard guard(g_faults.lock);
  g_faults.injected = error;
  g_faults.injectedAfter = afterWrites;
}

DWORD RegistryTakeWriteFault() {
  std::lock_guard guard(g_faults.lock);
  if (g_faults.injected != ERROR_SUCCESS) {
    if (g_faults.injectedAfter > 0) {
      --g_faults.injectedAfter;
      return ERROR_SUCCESS;
    }
    return std::exchange(g_faults.injected, ERROR_SUCCESS);
  }
  DWORD error = ERROR_SUCCESS;
  unsigned after = 0;
  if (!FaultFromEnvironment(&error, &after)) return ERROR_SUCCESS;
  return g_faults.writesDone++ < after ? ERROR_SUCCESS : error;
}
