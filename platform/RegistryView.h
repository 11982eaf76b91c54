// How a registry handle sees the hives: an open key is a list of layers, each a
// key path in one hive. Most keys have one layer. HKEY_CLASSES_ROOT and its
// subkeys have two, the user's Software\Classes over the machine's: reads take
// the first layer that has what they look for, writes go to the first layer.
// Internal to the registry stand-in.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_set>
#include <vector>

#include "platform/Registry.h"
#include "platform/RegistryHive.h"

struct RegKeyLayer {
  std::shared_ptr<RegistryHive> hive;
  RegKeyPath path;  // from the top of the hive
  RegKeyId id = 0;  // the key a handle was opened on; 0: looked up by path at each use
};

struct HKEY__ {
  std::vector<RegKeyLayer> layers;
  REGSAM access = 0;
  bool predefined = false;  // a root key: it exists even where its path does not
};

// Rights that ask for changes; opening a key of a read-only hive with any of them
// is refused.
inline constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | 0x0020 /*create link*/ |
                                       0x10000 /*delete*/ | 0x40000 /*write DAC*/ |
                                       0x80000 /*write owner*/;

// The process-wide registry state. Every registry call holds its lock.
class RegistryState {
 public:
  static RegistryState& Get();

  std::unique_lock<std::mutex> Lock() { return std::unique_lock(m_lock); }
  // The view behind KEY: a predefined root is built into SCRATCH; an open handle
  // is found in the handle table. Null for an unknown or unsupported handle.
  HKEY__* Find(HKEY key, HKEY__& scratch);
  HKEY Adopt(HKEY__ view);
  bool Release(HKEY key);

 private:
  std::shared_ptr<RegistryHive> Hive(RegistryHiveKind kind);

  std::mutex m_lock;
  std::shared_ptr<RegistryHive> m_user;
  std::shared_ptr<RegistryHive> m_machine;
  std::unordered_set<HKEY__*> m_handles;
};

// The key of LAYER in its hive, or nothing where it is missing. A layer opened
// on a key that has been deleted since fails with ERROR_KEY_DELETED.
std::optional<RegKeyId> LocateLayer(HiveTxn& txn, const RegKeyLayer& layer);

// Runs BODY with the key of every layer of VIEW where the key exists, in order,
// until BODY returns true. A key that exists in no layer gives ERROR_KEY_DELETED
// (a root key just has nothing to show).
DWORD ReadLayers(const HKEY__& view, const std::function<bool(HiveTxn&, RegKeyId)>& body);

// Runs BODY in one write transaction on the key of VIEW's first layer, creating
// that key first where it is missing (a class key so far only in the machine's
// hive gets its own copy in the user's).
DWORD WriteFirstLayer(const HKEY__& view, const std::function<void(HiveTxn&, RegKeyId)>& body);

// Splits a key path at its backslashes, dropping empty components (so "", "\"
// and "a\\b\" are accepted). Fails with ERROR_INVALID_PARAMETER for a component
// longer than 255 bytes.
DWORD SplitKeyPath(const char* subKey, RegKeyPath* path);

inline LSTATUS Status(DWORD code) { return static_cast<LSTATUS>(code); }
