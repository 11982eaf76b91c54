// One hive of the registry: a tree of keys with typed values, kept in an SQLite
// database. Every access runs in one transaction (Read or Write); the body works
// through a HiveTxn and fails by throwing HiveError with a Windows error number,
// which Read and Write return after rolling the transaction back. Writes take the
// database lock at their start (BEGIN IMMEDIATE) and wait for other processes
// for other processes' locks, so concurrent writers never lose an update, and a
// process killed in mid-write leaves the hive as the last commit left it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryControl.h"
#include "platform/RegistryList.h"
#include "platform/WinTypes.h"

struct sqlite3;

using RegKeyId = std::int64_t;
using RegKeyPath = std::vector<std::string>;

// The key at the top of every hive; it has no name and cannot be deleted.
inline constexpr RegKeyId kHiveRootKey = 1;

// What RegQueryInfoKeyA reports; lengths in bytes of UTF-8, without terminating zero.
struct RegKeyInfo {
  DWORD subKeys = 0;
  DWORD maxSubKeyLen = 0;
  DWORD values = 0;
  DWORD maxValueNameLen = 0;
  DWORD maxValueLen = 0;
};

struct HiveError {
  DWORD code;
};

// Operations on the keys and values of a hive inside one open transaction.
// Names compare without regard to case (FoldCase); lists come in folded order.
class HiveTxn {
 public:
  explicit HiveTxn(sqlite3* db) : m_db(db) {}

  bool KeyExists(RegKeyId key);
  std::optional<RegKeyId> FindChild(RegKeyId parent, std::string_view name);
  std::optional<RegKeyId> FindPath(RegKeyId start, const RegKeyPath& path);
  // Finds or creates every key of PATH below START; CREATED tells whether the last was new.
  RegKeyId CreatePath(RegKeyId start, const RegKeyPath& path, bool* created);
  std::vector<std::string> SubKeyNames(RegKeyId key);
  std::optional<std::string> SubKeyAt(RegKeyId key, DWORD index);
  bool HasSubKeys(RegKeyId key);
  std::vector<RegValue> Values(RegKeyId key);
  std::optional<RegValue> ValueAt(RegKeyId key, DWORD index);
  std::optional<RegValue> FindValue(RegKeyId key, std::string_view name);
  RegKeyInfo Info(RegKeyId key);
  void SetValue(RegKeyId key, std::string_view name, DWORD type, std::string_view data);
  bool DeleteValue(RegKeyId key, std::string_view name);
  // Deletes the subkeys and values of KEY, and KEY itself unless KEEPKEY.
  void DeleteSubtree(RegKeyId key, bool keepKey);

 private:
  sqlite3* m_db;
};

class RegistryHive {
 public:
  RegistryHive(RegistryHiveKind kind, std::string path);
  ~RegistryHive();
  RegistryHive(const RegistryHive&) = delete;
  RegistryHive& operator=(const RegistryHive&) = delete;

  const std::string& Path() const { return m_path; }

  // A hive whose file does not exist yet reads as an empty tree.
  DWORD Read(const std::function<void(HiveTxn&)>& body);
  // Creates the hive file (and its folders) on the first write.
  DWORD Write(const std::function<void(HiveTxn&)>& body);
  // ERROR_ACCESS_DENIED when writes to this hive are refused (read-only switch or
  // file permissions), else ERROR_SUCCESS.
  DWORD CheckWritable() const;

 private:
  sqlite3* ReadConnection();
  sqlite3* WriteConnection();
  sqlite3* EmptyTree();
  void ForgetConnectionsOfParent();
  bool HasSchema(sqlite3* db);

  RegistryHiveKind m_kind;
  std::string m_path;
  pid_t m_pid;
  sqlite3* m_db = nullptr;     // the hive file, once it exists
  sqlite3* m_empty = nullptr;  // an empty tree in memory for reads before it exists
  bool m_schemaReady = false;
};
