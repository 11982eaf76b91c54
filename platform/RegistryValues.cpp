// Reading, writing, deleting and enumerating registry values, enumerating
// subkeys and describing keys.
#include <cstring>
#include <map>

#include "platform/CaseFold.h"
#include "platform/Registry.h"
#include "platform/RegistryView.h"

namespace {

constexpr std::size_t kMaxValueNameLength = 16383;

// Resolves KEY and checks that it was opened with RIGHT; fills VIEW.
DWORD ViewFor(HKEY key, REGSAM right, HKEY__& scratch, const HKEY__** view) {
  *view = RegistryState::Get().Find(key, scratch);
  if (!*view) return ERROR_INVALID_HANDLE;
  return ((*view)->access & right) == right ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Copies BYTES to DATA under the Windows rules for a caller's buffer: without a
// buffer only the size is told; a buffer too small gets ERROR_MORE_DATA and the
// size needed.
DWORD CopyData(const std::string& bytes, BYTE* data, DWORD* dataSize) {
  const DWORD size = static_cast<DWORD>(bytes.size());
  if (!dataSize) return ERROR_SUCCESS;
  if (data && *dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (data && size) std::memcpy(data, bytes.data(), size);
  *dataSize = size;
  return ERROR_SUCCESS;
}

// Copies NAME and its terminating zero to BUFFER, whose room *SIZE counts the zero;
// *SIZE becomes the name's length. ERROR_MORE_DATA when it does not fit.
DWORD CopyName(const std::string& name, char* buffer, DWORD* size) {
  if (!buffer || !size) return ERROR_INVALID_PARAMETER;
  if (*size <= name.size()) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  *size = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// The subkey names of every layer, a name of an upper layer hiding the same
// name below, in enumeration order.
DWORD MergedSubKeys(const HKEY__& view, std::map<std::string, std::string>* names) {
  return ReadLayers(view, [&](HiveTxn& txn, RegKeyId key) {
    for (std::string& name : txn.SubKeyNames(key)) names->try_emplace(FoldCase(name), std::move(name));
    return false;
  });
}

DWORD MergedValues(const HKEY__& view, std::map<std::string, RegValue>* values) {
  return ReadLayers(view, [&](HiveTxn& txn, RegKeyId key) {
    for (RegValue& value : txn.Values(key)) values->try_emplace(FoldCase(value.name), std::move(value));
    return false;
  });
}

template <class T>
std::optional<T> EntryAt(const std::map<std::string, T>& entries, DWORD index) {
  if (index >= entries.size()) return std::nullopt;
  return std::next(entries.begin(), index)->second;
}

DWORD SubKeyAt(const HKEY__& view, DWORD index, std::optional<std::string>* name) {
  if (view.layers.size() == 1) {
    return ReadLayers(view, [&](HiveTxn& txn, RegKeyId key) {
      *name = txn.SubKeyAt(key, index);
      return true;
    });
  }
  std::map<std::string, std::string> names;
  const DWORD error = MergedSubKeys(view, &names);
  *name = EntryAt(names, index);
  return error;
}

DWORD ValueAt(const HKEY__& view, DWORD index, std::optional<RegValue>* value) {
  if (view.layers.size() == 1) {
    return ReadLayers(view, [&](HiveTxn& txn, RegKeyId key) {
      *value = txn.ValueAt(key, index);
      return true;
    });
  }
  std::map<std::string, RegValue> values;
  const DWORD error = MergedValues(view, &values);
  *value = EntryAt(values, index);
  return error;
}

DWORD DescribeKey(const HKEY__& view, RegKeyInfo* info) {
  if (view.layers.size() == 1) {
    return ReadLayers(view, [&](HiveTxn& txn, RegKeyId key) {
      *info = txn.Info(key);
      return true;
    });
  }
  std::map<std::string, std::string> names;
  std::map<std::string, RegValue> values;
  DWORD error = MergedSubKeys(view, &names);
  if (error == ERROR_SUCCESS) error = MergedValues(view, &values);
  *info = RegKeyInfo{static_cast<DWORD>(names.size()), 0, static_cast<DWORD>(values.size()), 0, 0};
  for (const auto& [fold, name] : names) {
    info->maxSubKeyLen = std::max<DWORD>(info->maxSubKeyLen, static_cast<DWORD>(name.size()));
  }
  for (const auto& [fold, value] : values) {
    info->maxValueNameLen = std::max<DWORD>(info->maxValueNameLen, static_cast<DWORD>(value.name.size()));
    info->maxValueLen = std::max<DWORD>(info->maxValueLen, static_cast<DWORD>(value.data.size()));
  }
  return error;
}

// Sizes that a value of a fixed-size type must have.
bool SizeFitsType(DWORD type, DWORD size) {
  constexpr DWORD kQword = 11;
  if (type == REG_DWORD || type == 5 /*big-endian dword*/) return size == 4;
  if (type == kQword) return size == 8;
  return true;
}

void ClearWriteTime(void* lastWriteTime) {
  if (lastWriteTime) std::memset(lastWriteTime, 0, 8);  // a FILETIME; write times are not kept
}

}  // namespace

LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                         DWORD* dataSize) {
  if (reserved || (data && !dataSize)) return Status(ERROR_INVALID_PARAMETER);
  const auto lock = RegistryState::Get().Lock();
  HKEY__ scratch;
  const HKEY__* view = nullptr;
  if (const DWORD error = ViewFor(key, KEY_QUERY_VALUE, scratch, &view)) return Status(error);
  std::optional<RegValue> value;
  const DWORD error = ReadLayers(*view, [&](HiveTxn& txn, RegKeyId id) {
    value = txn.FindValue(id, valueName ? valueName : "");
    return value.has_value();
  });
  if (error != ERROR_SUCCESS) return Status(error);
  if (!value) return Status(ERROR_FILE_NOT_FOUND);
  if (type) *type = value->type;
  return Status(CopyData(value->data, data, dataSize));
}

LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD, DWORD type, const BYTE* data,
                       DWORD dataSize) {
  const std::string_view name = valueName ? valueName : "";
  if ((!data && dataSize) || name.size() > kMaxValueNameLength || !SizeFitsType(type, dataSize)) {
    return Status(ERROR_INVALID_PARAMETER);
  }
  const auto lock = RegistryState::Get().Lock();
  HKEY__ scratch;
  const HKEY__* view = nullptr;
  if (const DWORD error = ViewFor(key, KEY_SET_VALUE, scratch, &view)) return Status(error);
  const std::string_view bytes(reinterpret_cast<const char*>(data), data ? dataSize : 0);
  return Status(WriteFirstLayer(*view, [&](HiveTxn& txn, RegKeyId id) {
    txn.SetValue(id, name, type, bytes);
  }));
}

LSTATUS RegSetKeyValueA(HKEY key, const char* subKey, const char* valueName, DWORD type,
                        const void* data, DWORD dataSize) {
  const std::string_view name = valueName ? valueName : "";
  if ((!data && dataSize) || name.size() > kMaxValueNameLength || !SizeFitsType(type, dataSize)) {
    return Status(ERROR_INVALID_PARAMETER);
  }
  RegKeyPath path;
  if (const DWORD error = SplitKeyPath(subKey, &path)) return Status(error);
  const auto lock = RegistryState::Get().Lock();
  HKEY__ scratch;
  const HKEY__* view = nullptr;
  if (const DWORD error = ViewFor(key, KEY_SET_VALUE | (path.empty() ? 0 : KEY_CREATE_SUB_KEY), scratch,
                                  &view)) {
    return Status(error);
  }
  if (const DWORD error = view->layers.front().hive->CheckWritable()) return Status(error);
  const std::string_view bytes(static_cast<const char*>(data), data ? dataSize : 0);
  return Status(WriteFirstLayer(*view, [&](HiveTxn& txn, RegKeyId base) {
    bool created = false;
    txn.SetValue(txn.CreatePath(base, path, &created), name, type, bytes);
  }));
}

LSTATUS RegDeleteValueA(HKEY key, const char* valueName) {
  const std::string_view name = valueName ? valueName : "";
  const auto lock = RegistryState::Get().Lock();
  HKEY__ scratch;
  const HKEY__* view = nullptr;
  if (const DWORD error = ViewFor(key, KEY_SET_VALUE, scratch, &view)) return Status(error);
  // The value goes from the first layer that has it.
  for (const RegKeyLayer& layer : view->layers) {
    bool present = false;
    DWORD error = layer.hive->Read([&](HiveTxn& txn) {
      const std::optional<RegKeyId> id = LocateLayer(txn, layer);
      present = id && txn.FindValue(*id, name);
    });
    if (error == ERROR_SUCCESS && present) {
      error = layer.hive->Write([&](HiveTxn& txn) {
        const std::optional<RegKeyId> id = LocateLayer(txn, layer);
        if (!id || !txn.DeleteValue(*id, name)) throw HiveError{ERROR_FILE_NOT_FOUND};
      });
    }
    if (error != ERROR_SUCCESS || present) return Status(error);
  }
  const DWORD error = ReadLayers(*view, [](HiveTxn&, RegKeyId) { return true; });
  return Status(error != ERROR_SUCCESS ? error : ERROR_FILE_NOT_FOUND);
}

LSTATUS RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                      char* keyClass, DWORD* classSize, void* lastWriteTime) {
  if (reserved || !name || !nameSize) return Status(ERROR_INVALID_PARAMETER);
  const auto lock = RegistryState::Get().Lock();
  HKEY__ scratch;
  const HKEY__* view = nullptr;
  if (const DWORD error = ViewFor(key, KEY_ENUMERATE_SUB_KEYS, scratch, &view)) return Status(error);
  std::optional<std::string> found;
  if (const DWORD error = SubKeyAt(*view, index, &found)) return Status(error);
  if (!found) return Status(ERROR_NO_MORE_ITEMS);
  if (const DWORD error = CopyName(*found, name, nameSize)) return Status(error);
  if (keyClass && classSize && *classSize > 0) keyClass[0] = '\0';
  if (classSize) *classSize = 0;
  ClearWriteTime(lastWriteTime);
  return Status(ERROR_SUCCESS);
}

LSTATUS RegEnumValueA(HKEY key, DWORD index, char* valueName, DWORD* valueNameSize, DWORD* reserved,
                      DWORD* type, BYTE* data, DWORD* dataSize) {
  if (reserved || !valueName || !valueNameSize || (data && !dataSize)) {
    return Status(ERROR_INVALID_PARAMETER);
  }
  const auto lock = RegistryState::Get().Lock();
  HKEY__ scratch;
  const HKEY__* view = nullptr;
  if (const DWORD error = ViewFor(key, KEY_QUERY_VALUE, scratch, &view)) return Status(error);
  std::optional<RegValue> found;
  if (const DWORD error = ValueAt(*view, index, &found)) return Status(error);
  if (!found) return Status(ERROR_NO_MORE_ITEMS);
  if (const DWORD error = CopyName(found->name, valueName, valueNameSize)) return Status(error);
  if (type) *type = found->type;
  return Status(CopyData(found->data, data, dataSize));
}

LSTATUS RegQueryInfoKeyA(HKEY key, char* keyClass, DWORD* classSize, DWORD* reserved,
                         DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values,
                         DWORD* maxValueNameLen, DWORD* maxValueLen, DWORD* securityDescriptor,
                         void* lastWriteTime) {
  if (reserved) return Status(ERROR_INVALID_PARAMETER);
  const auto lock = RegistryState::Get().Lock();
  HKEY__ scratch;
  const HKEY__* view = nullptr;
  if (const DWORD error = ViewFor(key, KEY_QUERY_VALUE, scratch, &view)) return Status(error);
  RegKeyInfo info;
  if (const DWORD error = DescribeKey(*view, &info)) return Status(error);
  if (keyClass && classSize && *classSize > 0) keyClass[0] = '\0';
  if (classSize) *classSize = 0;
  if (subKeys) *subKeys = info.subKeys;
  if (maxSubKeyLen) *maxSubKeyLen = info.maxSubKeyLen;
  if (maxClassLen) *maxClassLen = 0;
  if (values) *values = info.values;
  if (maxValueNameLen) *maxValueNameLen = info.maxValueNameLen;
  if (maxValueLen) *maxValueLen = info.maxValueLen;
  if (securityDescriptor) *securityDescriptor = 0;
  ClearWriteTime(lastWriteTime);
  return Status(ERROR_SUCCESS);
}
