// Opening, creating, closing and deleting registry keys.
#include <utility>

#include "platform/Registry.h"
#include "platform/RegistryView.h"

namespace {

RegKeyPath Joined(const RegKeyPath& head, const RegKeyPath& tail) {
  RegKeyPath path = head;
  path.insert(path.end(), tail.begin(), tail.end());
  return path;
}

// Fills CHILD with the view of the subkey PATH of VIEW. A key with one layer is
// held by its identity, a layered one by its paths. ERROR_FILE_NOT_FOUND when
// the subkey exists in no layer.
DWORD FindSubKey(const HKEY__& view, const RegKeyPath& path, HKEY__* child) {
  child->layers.clear();
  child->predefined = view.predefined && path.empty();
  const bool byIdentity = view.layers.size() == 1 && !child->predefined;
  bool found = false;
  for (const RegKeyLayer& layer : view.layers) {
    RegKeyLayer sub{layer.hive, Joined(layer.path, path), 0};
    const DWORD error = layer.hive->Read([&](HiveTxn& txn) {
      const std::optional<RegKeyId> base = LocateLayer(txn, layer);
      const std::optional<RegKeyId> key = base ? txn.FindPath(*base, path) : std::nullopt;
      if (!key) return;
      found = true;
      if (byIdentity) sub.id = *key;
    });
    if (error != ERROR_SUCCESS) return error;
    child->layers.push_back(std::move(sub));
  }
  return found || child->predefined ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// Creates the subkey PATH of VIEW in its first layer and fills CHILD with its view.
DWORD CreateSubKey(const HKEY__& view, const RegKeyPath& path, HKEY__* child, bool* created) {
  RegKeyId id = 0;
  const DWORD error = WriteFirstLayer(view, [&](HiveTxn& txn, RegKeyId base) {
    id = txn.CreatePath(base, path, created);
  });
  if (error != ERROR_SUCCESS) return error;
  child->layers.clear();
  child->predefined = false;
  for (const RegKeyLayer& layer : view.layers) {
    child->layers.push_back(RegKeyLayer{layer.hive, Joined(layer.path, path), 0});
  }
  if (view.layers.size() == 1) child->layers.front().id = id;
  return ERROR_SUCCESS;
}

LSTATUS OpenOrCreate(HKEY key, const char* subKey, REGSAM access, bool mayCreate, PHKEY result,
                     DWORD* disposition) {
  if (!result) return Status(ERROR_INVALID_PARAMETER);
  *result = nullptr;
  RegistryState& state = RegistryState::Get();
  const auto lock = state.Lock();
  HKEY__ scratch;
  const HKEY__* view = state.Find(key, scratch);
  if (!view) return Status(ERROR_INVALID_HANDLE);
  RegKeyPath path;
  if (const DWORD error = SplitKeyPath(subKey, &path)) return Status(error);
  HKEY__ child;
  DWORD error = FindSubKey(*view, path, &child);
  bool created = false;
  if (error == ERROR_FILE_NOT_FOUND && mayCreate) {
    error = (view->access & KEY_CREATE_SUB_KEY) ? CreateSubKey(*view, path, &child, &created)
                                                : ERROR_ACCESS_DENIED;
  }
  if (error == ERROR_SUCCESS && (access & kWriteRights)) {
    error = child.layers.front().hive->CheckWritable();
  }
  if (error != ERROR_SUCCESS) return Status(error);
  child.access = access;
  *result = state.Adopt(std::move(child));
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return Status(ERROR_SUCCESS);
}

struct DeletionTarget {
  const RegKeyLayer* layer;
  bool hasSubKeys;
};

// The layers of VIEW that hold the key, and whether it has subkeys there.
DWORD FindDeletionTargets(const HKEY__& view, std::vector<DeletionTarget>* targets) {
  for (const RegKeyLayer& layer : view.layers) {
    const DWORD error = layer.hive->Read([&](HiveTxn& txn) {
      if (const std::optional<RegKeyId> key = LocateLayer(txn, layer)) {
        targets->push_back(DeletionTarget{&layer, txn.HasSubKeys(*key)});
      }
    });
    if (error != ERROR_SUCCESS) return error;
  }
  return targets->empty() && !view.predefined ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

enum class Deletion { Leaf, Tree, Contents };

// Deletes the key in every layer that holds it: a key without subkeys (Leaf),
// the key and all below it (Tree), or all below it (Contents).
DWORD DeleteInLayers(const std::vector<DeletionTarget>& targets, Deletion deletion) {
  for (const DeletionTarget& target : targets) {
    const DWORD error = target.layer->hive->Write([&](HiveTxn& txn) {
      const std::optional<RegKeyId> key = LocateLayer(txn, *target.layer);
      if (!key) return;
      if ((deletion != Deletion::Contents && *key == kHiveRootKey) ||
          (deletion == Deletion::Leaf && txn.HasSubKeys(*key))) {
        throw HiveError{ERROR_ACCESS_DENIED};
      }
      txn.DeleteSubtree(*key, deletion == Deletion::Contents);
    });
    if (error != ERROR_SUCCESS) return error;
  }
  return ERROR_SUCCESS;
}

// Finds the subkey SUBKEY of KEY for a deletion: the targets, or an error.
DWORD PrepareDeletion(HKEY key, const char* subKey, std::vector<DeletionTarget>* targets,
                      HKEY__* target, bool* isOwnKey) {
  RegistryState& state = RegistryState::Get();
  HKEY__ scratch;
  const HKEY__* view = state.Find(key, scratch);
  if (!view) return ERROR_INVALID_HANDLE;
  RegKeyPath path;
  if (const DWORD error = SplitKeyPath(subKey, &path)) return error;
  *isOwnKey = path.empty();
  if (const DWORD error = FindSubKey(*view, path, target)) return error;
  return FindDeletionTargets(*target, targets);
}

}  // namespace

LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD, REGSAM access, PHKEY result) {
  return OpenOrCreate(key, subKey, access, false, result, nullptr);
}

LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM access, void*,
                        PHKEY result, DWORD* disposition) {
  if (!subKey) return Status(ERROR_INVALID_PARAMETER);
  return OpenOrCreate(key, subKey, access, true, result, disposition);
}

LSTATUS RegCloseKey(HKEY key) {
  RegistryState& state = RegistryState::Get();
  const auto lock = state.Lock();
  HKEY__ scratch;
  if (state.Find(key, scratch) == &scratch) return Status(ERROR_SUCCESS);  // a root key
  return Status(state.Release(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
}

void RegPrepareKeyTable() { RegistryState::Get(); }

LSTATUS RegDeleteKeyA(HKEY key, const char* subKey) {
  if (!subKey) return Status(ERROR_INVALID_PARAMETER);
  const auto lock = RegistryState::Get().Lock();
  std::vector<DeletionTarget> targets;
  HKEY__ target;
  bool isOwnKey = false;
  if (const DWORD error = PrepareDeletion(key, subKey, &targets, &target, &isOwnKey)) {
    return Status(error);
  }
  if (target.predefined) return Status(ERROR_ACCESS_DENIED);
  for (const DeletionTarget& found : targets) {
    if (found.hasSubKeys) return Status(ERROR_ACCESS_DENIED);
  }
  return Status(DeleteInLayers(targets, Deletion::Leaf));
}

LSTATUS RegDeleteTreeA(HKEY key, const char* subKey) {
  const auto lock = RegistryState::Get().Lock();
  std::vector<DeletionTarget> targets;
  HKEY__ target;
  bool isOwnKey = false;
  if (const DWORD error = PrepareDeletion(key, subKey, &targets, &target, &isOwnKey)) {
    return Status(error);
  }
  return Status(DeleteInLayers(targets, isOwnKey ? Deletion::Contents : Deletion::Tree));
}
