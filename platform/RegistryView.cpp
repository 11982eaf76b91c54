#include "platform/RegistryView.h"

#include <cstdint>
#include <utility>

namespace {

constexpr std::size_t kMaxKeyNameLength = 255;

RegKeyLayer TopOf(std::shared_ptr<RegistryHive> hive) {
  return RegKeyLayer{std::move(hive), {}, kHiveRootKey};
}

RegKeyLayer PathIn(std::shared_ptr<RegistryHive> hive, RegKeyPath path) {
  return RegKeyLayer{std::move(hive), std::move(path), 0};
}

}  // namespace

RegistryState& RegistryState::Get() {
  static RegistryState state;
  return state;
}

std::shared_ptr<RegistryHive> RegistryState::Hive(RegistryHiveKind kind) {
  std::shared_ptr<RegistryHive>& hive = kind == RegistryHiveKind::User ? m_user : m_machine;
  std::string path = RegistryHivePath(kind);
  // Keys opened before a change of location keep their hive until they are closed.
  if (!hive || hive->Path() != path) hive = std::make_shared<RegistryHive>(kind, std::move(path));
  return hive;
}

HKEY__* RegistryState::Find(HKEY key, HKEY__& scratch) {
  scratch = HKEY__{{}, KEY_ALL_ACCESS, true};
  switch (reinterpret_cast<std::uintptr_t>(key)) {
    case 0x80000000u:
      scratch.layers = {PathIn(Hive(RegistryHiveKind::User), {"Software", "Classes"}),
                        PathIn(Hive(RegistryHiveKind::Machine), {"Software", "Classes"})};
      return &scratch;
    case 0x80000001u:
      scratch.layers = {TopOf(Hive(RegistryHiveKind::User))};
      return &scratch;
    case 0x80000002u:
      scratch.layers = {TopOf(Hive(RegistryHiveKind::Machine))};
      return &scratch;
    case 0x80000005u:
      scratch.layers = {PathIn(Hive(RegistryHiveKind::Machine),
                               {"System", "CurrentControlSet", "Hardware Profiles", "Current"})};
      return &scratch;
    default: break;
  }
  return m_handles.contains(key) ? key : nullptr;
}

HKEY RegistryState::Adopt(HKEY__ view) {
  auto* key = new HKEY__(std::move(view));
  m_handles.insert(key);
  return key;
}

bool RegistryState::Release(HKEY key) {
  if (m_handles.erase(key) == 0) return false;
  delete key;
  return true;
}

std::optional<RegKeyId> LocateLayer(HiveTxn& txn, const RegKeyLayer& layer) {
  if (layer.id == 0) return txn.FindPath(kHiveRootKey, layer.path);
  if (!txn.KeyExists(layer.id)) throw HiveError{ERROR_KEY_DELETED};
  return layer.id;
}

DWORD ReadLayers(const HKEY__& view, const std::function<bool(HiveTxn&, RegKeyId)>& body) {
  bool found = false;
  bool done = false;
  for (const RegKeyLayer& layer : view.layers) {
    const DWORD error = layer.hive->Read([&](HiveTxn& txn) {
      const std::optional<RegKeyId> key = LocateLayer(txn, layer);
      if (!key) return;
      found = true;
      done = body(txn, *key);
    });
    if (error != ERROR_SUCCESS) return error;
    if (done) break;
  }
  return found || view.predefined ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

DWORD WriteFirstLayer(const HKEY__& view, const std::function<void(HiveTxn&, RegKeyId)>& body) {
  if (view.layers.size() > 1 && !view.predefined) {
    // A class key deleted in every layer stays deleted for its handles.
    if (const DWORD error = ReadLayers(view, [](HiveTxn&, RegKeyId) { return true; })) return error;
  }
  const RegKeyLayer& layer = view.layers.front();
  return layer.hive->Write([&](HiveTxn& txn) {
    std::optional<RegKeyId> key = LocateLayer(txn, layer);
    if (!key) {
      bool created = false;
      key = txn.CreatePath(kHiveRootKey, layer.path, &created);
    }
    body(txn, *key);
  });
}

DWORD SplitKeyPath(const char* subKey, RegKeyPath* path) {
  path->clear();
  if (!subKey) return ERROR_SUCCESS;
  std::string_view rest(subKey);
  while (!rest.empty()) {
    const std::size_t slash = rest.find('\\');
    const std::string_view name = rest.substr(0, slash);
    if (name.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
    if (!name.empty()) path->emplace_back(name);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return ERROR_SUCCESS;
}
