#include "platform/RegistryHive.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

#include "platform/CaseFold.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"

namespace {

// How long a transaction waits for another process's lock before it gives up.
constexpr auto kBusyTimeout = std::chrono::seconds(60);

// Waits for a lock held by another process in short, slightly jittered steps.
// (SQLite's own timeout sleeps up to 100 ms between tries, which lets one busy
// writer starve another.) COUNT is 0 on the first call of each wait.
int WaitWhileBusy(void*, int count) {
  thread_local std::chrono::steady_clock::time_point waitStart;
  const auto now = std::chrono::steady_clock::now();
  if (count == 0) waitStart = now;
  if (now - waitStart > kBusyTimeout) return 0;
  usleep(static_cast<useconds_t>(200 + (count * 7919) % 800));
  return 1;
}

// Hives use write-ahead logging: a commit is safe from the death of any process
// as soon as it returns, and costs no flush to disk (only a power failure may
// take the last commits back; it never damages the hive). The log and its index
// stay beside the hive after the last connection closes, so that users who may
// not write the hive's folder can still read it.
void Configure(sqlite3* db) {
  sqlite3_busy_handler(db, WaitWhileBusy, nullptr);
  int persist = 1;
  sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
  if (sqlite3_db_readonly(db, "main") == 0) {
    sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);  // stays as it was on failure
  }
  sqlite3_exec(db, "PRAGMA synchronous = NORMAL; PRAGMA journal_size_limit = 262144", nullptr, nullptr, nullptr);
}

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " parent INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " fold TEXT NOT NULL,"
    " UNIQUE(parent, fold));"
    "CREATE TABLE IF NOT EXISTS vals("
    " key INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " fold TEXT NOT NULL,"
    " type INTEGER NOT NULL,"
    " data BLOB NOT NULL,"
    " PRIMARY KEY(key, fold)) WITHOUT ROWID;"
    "INSERT OR IGNORE INTO keys(id, parent, name, fold) VALUES(1, 0, '', '');"
    "PRAGMA user_version = 1;";

DWORD ErrorOfSqlite(sqlite3* db, int result, bool writing) {
  switch (result & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_LOCK_VIOLATION;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_NOMEM: return ERROR_OUTOFMEMORY;
    case SQLITE_CANTOPEN: {
      const int err = db ? sqlite3_system_errno(db) : 0;
      return err == EACCES || err == EPERM ? ERROR_ACCESS_DENIED : ERROR_CANTOPEN;
    }
    case SQLITE_IOERR: {
      const int err = db ? sqlite3_system_errno(db) : 0;
      if (err == ENOSPC || err == EDQUOT) return ERROR_DISK_FULL;
      return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
    }
    default: return ERROR_BADDB;  // damaged file, not a database, broken schema
  }
}

[[noreturn]] void ThrowSqlite(sqlite3* db, int result, bool writing = false) {
  throw HiveError{ErrorOfSqlite(db, result, writing)};
}

void Execute(sqlite3* db, const char* sql, bool writing) {
  const int result = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  if (result != SQLITE_OK) ThrowSqlite(db, result, writing);
}

// One prepared statement; binds by position from 1 and steps through rows.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : m_db(db) {
    const int result = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    if (result != SQLITE_OK) ThrowSqlite(db, result);
  }
  ~Statement() { sqlite3_finalize(m_stmt); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, std::int64_t number) {
    Check(sqlite3_bind_int64(m_stmt, index, number));
    return *this;
  }
  Statement& Bind(int index, std::string_view text) {
    Check(sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT));
    return *this;
  }
  Statement& BindBlob(int index, std::string_view bytes) {
    Check(bytes.empty() ? sqlite3_bind_zeroblob(m_stmt, index, 0)
                        : sqlite3_bind_blob(m_stmt, index, bytes.data(),
                                            static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
    return *this;
  }
  // True when a row is there; false at the end.
  bool Step() {
    const int result = sqlite3_step(m_stmt);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    ThrowSqlite(m_db, result, !sqlite3_stmt_readonly(m_stmt));
  }
  void Run() { Step(); }
  std::int64_t Number(int column) const { return sqlite3_column_int64(m_stmt, column); }
  std::string Text(int column) const {
    const void* bytes = sqlite3_column_blob(m_stmt, column);
    const int size = sqlite3_column_bytes(m_stmt, column);
    return bytes ? std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(size))
                 : std::string();
  }

 private:
  void Check(int result) {
    if (result != SQLITE_OK) ThrowSqlite(m_db, result);
  }
  sqlite3* m_db;
  sqlite3_stmt* m_stmt = nullptr;
};

RegValue ValueOfRow(const Statement& row) {
  return RegValue{row.Text(0), static_cast<DWORD>(row.Number(1)), row.Text(2)};
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Creates FOLDER and its missing parents; throws HiveError when one cannot be made.
void CreateFolders(const std::string& folder, mode_t mode) {
  if (folder.empty() || Exists(folder)) return;
  CreateFolders(FolderOf(folder), mode);
  if (mkdir(folder.c_str(), mode) != 0 && errno != EEXIST) throw HiveError{WinErrorFromErrno(errno)};
}

}  // namespace

// ---- HiveTxn ---------------------------------------------------------------

bool HiveTxn::KeyExists(RegKeyId key) {
  return Statement(m_db, "SELECT 1 FROM keys WHERE id = ?").Bind(1, key).Step();
}

std::optional<RegKeyId> HiveTxn::FindChild(RegKeyId parent, std::string_view name) {
  Statement find(m_db, "SELECT id FROM keys WHERE parent = ? AND fold = ?");
  find.Bind(1, parent).Bind(2, FoldCase(name));
  if (!find.Step()) return std::nullopt;
  return find.Number(0);
}

std::optional<RegKeyId> HiveTxn::FindPath(RegKeyId start, const RegKeyPath& path) {
  std::optional<RegKeyId> key = start;
  for (const std::string& name : path) {
    key = FindChild(*key, name);
    if (!key) break;
  }
  return key;
}

RegKeyId HiveTxn::CreatePath(RegKeyId start, const RegKeyPath& path, bool* created) {
  RegKeyId key = start;
  *created = false;
  for (const std::string& name : path) {
    if (const std::optional<RegKeyId> child = FindChild(key, name)) {
      key = *child;
      *created = false;
      continue;
    }
    Statement insert(m_db, "INSERT INTO keys(parent, name, fold) VALUES(?, ?, ?)");
    insert.Bind(1, key).Bind(2, name).Bind(3, FoldCase(name)).Run();
    key = sqlite3_last_insert_rowid(m_db);
    *created = true;
  }
  return key;
}

std::vector<std::string> HiveTxn::SubKeyNames(RegKeyId key) {
  Statement list(m_db, "SELECT name FROM keys WHERE parent = ? ORDER BY fold");
  list.Bind(1, key);
  std::vector<std::string> names;
  while (list.Step()) names.push_back(list.Text(0));
  return names;
}

std::optional<std::string> HiveTxn::SubKeyAt(RegKeyId key, DWORD index) {
  Statement pick(m_db, "SELECT name FROM keys WHERE parent = ? ORDER BY fold LIMIT 1 OFFSET ?");
  pick.Bind(1, key).Bind(2, static_cast<std::int64_t>(index));
  if (!pick.Step()) return std::nullopt;
  return pick.Text(0);
}

bool HiveTxn::HasSubKeys(RegKeyId key) {
  return Statement(m_db, "SELECT 1 FROM keys WHERE parent = ? LIMIT 1").Bind(1, key).Step();
}

std::vector<RegValue> HiveTxn::Values(RegKeyId key) {
  Statement list(m_db, "SELECT name, type, data FROM vals WHERE key = ? ORDER BY fold");
  list.Bind(1, key);
  std::vector<RegValue> values;
  while (list.Step()) values.push_back(ValueOfRow(list));
  return values;
}

std::optional<RegValue> HiveTxn::ValueAt(RegKeyId key, DWORD index) {
  Statement pick(m_db,
                 "SELECT name, type, data FROM vals WHERE key = ? ORDER BY fold LIMIT 1 OFFSET ?");
  pick.Bind(1, key).Bind(2, static_cast<std::int64_t>(index));
  if (!pick.Step()) return std::nullopt;
  return ValueOfRow(pick);
}

std::optional<RegValue> HiveTxn::FindValue(RegKeyId key, std::string_view name) {
  Statement find(m_db, "SELECT name, type, data FROM vals WHERE key = ? AND fold = ?");
  find.Bind(1, key).Bind(2, FoldCase(name));
  if (!find.Step()) return std::nullopt;
  return ValueOfRow(find);
}

RegKeyInfo HiveTxn::Info(RegKeyId key) {
  RegKeyInfo info;
  Statement keys(m_db,
                 "SELECT count(*), ifnull(max(length(CAST(name AS BLOB))), 0)"
                 " FROM keys WHERE parent = ?");
  keys.Bind(1, key).Step();
  info.subKeys = static_cast<DWORD>(keys.Number(0));
  info.maxSubKeyLen = static_cast<DWORD>(keys.Number(1));
  Statement values(m_db,
                   "SELECT count(*), ifnull(max(length(CAST(name AS BLOB))), 0),"
                   " ifnull(max(length(data)), 0) FROM vals WHERE key = ?");
  values.Bind(1, key).Step();
  info.values = static_cast<DWORD>(values.Number(0));
  info.maxValueNameLen = static_cast<DWORD>(values.Number(1));
  info.maxValueLen = static_cast<DWORD>(values.Number(2));
  return info;
}

void HiveTxn::SetValue(RegKeyId key, std::string_view name, DWORD type, std::string_view data) {
  Statement put(m_db, "INSERT OR REPLACE INTO vals(key, name, fold, type, data) VALUES(?, ?, ?, ?, ?)");
  put.Bind(1, key).Bind(2, name).Bind(3, FoldCase(name)).Bind(4, static_cast<std::int64_t>(type));
  put.BindBlob(5, data).Run();
}

bool HiveTxn::DeleteValue(RegKeyId key, std::string_view name) {
  Statement(m_db, "DELETE FROM vals WHERE key = ? AND fold = ?").Bind(1, key).Bind(2, FoldCase(name)).Run();
  return sqlite3_changes(m_db) > 0;
}

void HiveTxn::DeleteSubtree(RegKeyId key, bool keepKey) {
  constexpr const char* kTree =
      "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL"
      " SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) ";
  const std::string values = std::string(kTree) + "DELETE FROM vals WHERE key IN tree";
  const std::string keys =
      std::string(kTree) + "DELETE FROM keys WHERE id IN tree AND (?2 = 0 OR id <> ?1)";
  Statement(m_db, values.c_str()).Bind(1, key).Run();
  Statement(m_db, keys.c_str()).Bind(1, key).Bind(2, keepKey ? 1 : 0).Run();
}

// ---- RegistryHive ------------------------------------------------------------

RegistryHive::RegistryHive(RegistryHiveKind kind, std::string path)
    : m_kind(kind), m_path(std::move(path)), m_pid(getpid()) {}

RegistryHive::~RegistryHive() {
  if (m_pid != getpid()) return;  // connections of the parent process are not ours to close
  sqlite3_close_v2(m_db);
  sqlite3_close_v2(m_empty);
}

// A child process must not use the connections it inherited through fork: they
// share file locks with the parent. It drops them unclosed and opens its own.
void RegistryHive::ForgetConnectionsOfParent() {
  if (m_pid == getpid()) return;
  m_db = nullptr;
  m_empty = nullptr;
  m_schemaReady = false;
  m_pid = getpid();
}

bool RegistryHive::HasSchema(sqlite3* db) {
  if (m_schemaReady) return true;
  m_schemaReady = Statement(db, "SELECT 1 FROM sqlite_master WHERE name = 'vals'").Step();
  return m_schemaReady;
}

sqlite3* RegistryHive::EmptyTree() {
  if (!m_empty) {
    const int result = sqlite3_open_v2(":memory:", &m_empty, SQLITE_OPEN_READWRITE, nullptr);
    if (result != SQLITE_OK) ThrowSqlite(m_empty, result);
    Execute(m_empty, kSchema, false);
  }
  return m_empty;
}

sqlite3* RegistryHive::ReadConnection() {
  ForgetConnectionsOfParent();
  if (!m_db) {
    if (!Exists(m_path)) return EmptyTree();
    // Opened for writing where the file allows it, so that what a killed writer
    // left unfinished is cleaned up; read-only otherwise.
    sqlite3* db = nullptr;
    const int result = sqlite3_open_v2(m_path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (result != SQLITE_OK) {
      const DWORD error = ErrorOfSqlite(db, result, false);
      sqlite3_close_v2(db);
      throw HiveError{error};
    }
    Configure(db);
    m_db = db;
  }
  return HasSchema(m_db) ? m_db : EmptyTree();
}

sqlite3* RegistryHive::WriteConnection() {
  if (const DWORD denied = CheckWritable()) throw HiveError{denied};
  ForgetConnectionsOfParent();
  if (!m_db) {
    CreateFolders(FolderOf(m_path), m_kind == RegistryHiveKind::User ? 0700 : 0755);
    sqlite3* db = nullptr;
    const int result = sqlite3_open_v2(m_path.c_str(), &db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (result != SQLITE_OK) {
      const DWORD error = ErrorOfSqlite(db, result, true);
      sqlite3_close_v2(db);
      throw HiveError{error};
    }
    Configure(db);
    m_db = db;
  }
  if (sqlite3_db_readonly(m_db, "main") == 1) throw HiveError{ERROR_ACCESS_DENIED};
  return m_db;
}

DWORD RegistryHive::Read(const std::function<void(HiveTxn&)>& body) {
  sqlite3* db = nullptr;
  try {
    db = ReadConnection();
    Execute(db, "BEGIN", false);
  } catch (const HiveError& error) {
    return error.code;
  }
  DWORD code = ERROR_SUCCESS;
  try {
    HiveTxn txn(db);
    body(txn);
  } catch (const HiveError& error) {
    code = error.code;
  }
  sqlite3_exec(db, code == ERROR_SUCCESS ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
  return code;
}

DWORD RegistryHive::Write(const std::function<void(HiveTxn&)>& body) {
  sqlite3* db = nullptr;
  try {
    db = WriteConnection();
    Execute(db, "BEGIN IMMEDIATE", true);
  } catch (const HiveError& error) {
    return error.code;
  }
  try {
    if (!m_schemaReady) Execute(db, kSchema, true);
    HiveTxn txn(db);
    body(txn);
    if (const DWORD fault = RegistryTakeWriteFault()) throw HiveError{fault};
    const int result = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) ThrowSqlite(db, result, true);
    m_schemaReady = true;
    return ERROR_SUCCESS;
  } catch (const HiveError& error) {
    if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return error.code;
  }
}

DWORD RegistryHive::CheckWritable() const {
  if (RegistryIsReadOnly(m_kind)) return ERROR_ACCESS_DENIED;
  if (Exists(m_path)) {
    const bool writable = access(m_path.c_str(), W_OK) == 0 &&
                          access(FolderOf(m_path).c_str(), W_OK) == 0;
    return writable ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
  }
  std::string folder = FolderOf(m_path);
  while (!Exists(folder) && folder != "/" && folder != ".") folder = FolderOf(folder);
  return access(folder.c_str(), W_OK) == 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}
