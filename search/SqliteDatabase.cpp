#include "search/SqliteDatabase.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>

#include "base/KelException.h"
#include "base/KelFile.h"
#include "platform/SystemError.h"

namespace search {

namespace {

constexpr std::uint32_t kCannotOpen = 1003;   // "file %1 cannot be opened"
constexpr std::uint32_t kCannotRead = 1009;   // "cannot read from file %1"
constexpr std::uint32_t kCannotWrite = 1010;  // "cannot write to file %1"
constexpr std::uint32_t kCorrupt = 1031;      // "file is corrupt%1"

// PATH as the path of a file: URI, with the characters that URIs reserve escaped.
std::string UriPath(const std::string& path) {
  std::string uri;
  for (unsigned char c : path) {
    if (c == '%' || c == '?' || c == '#' || c <= ' ' || c >= 0x7F) {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    } else {
      uri += static_cast<char>(c);
    }
  }
  return uri;
}

}  // namespace

SqliteDatabase::SqliteDatabase(std::string path, Mode mode) : m_path(std::move(path)) {
  // An index is replaced whole (renamed over), never changed in place: readers
  // open it immutable, which spares the locks and change checks of every query.
  const bool reading = mode == Mode::ReadOnly;
  const int flags = reading ? SQLITE_OPEN_READONLY | SQLITE_OPEN_URI
                            : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  const std::string name = reading ? "file:" + UriPath(m_path) + "?immutable=1" : m_path;
  const int result = sqlite3_open_v2(name.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (result != SQLITE_OK) {
    const int err = sqlite3_system_errno(m_db);
    sqlite3_close(m_db);
    m_db = nullptr;
    CKelFile::ThrowFileError(CKelFile(m_path), kCannotOpen,
                             err ? WinErrorFromErrno(err) : ERROR_CANTOPEN);
  }
  sqlite3_extended_result_codes(m_db, 1);
}

SqliteDatabase::~SqliteDatabase() { sqlite3_close(m_db); }

void SqliteDatabase::Execute(const char* sql) {
  const int result = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
  if (result != SQLITE_OK) Fail(result, true);
}

void SqliteDatabase::Fail(int result, bool writing) const {
  const int err = sqlite3_system_errno(m_db);
  const CKelFile file(m_path);
  switch (result & 0xFF) {
    case SQLITE_FULL:
      CKelFile::ThrowFileError(file, kCannotWrite, ERROR_DISK_FULL);
    case SQLITE_NOMEM:
      throw new CKelException(1014);
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
      CKelFile::ThrowFileError(file, writing ? kCannotWrite : kCannotRead,
                               err ? WinErrorFromErrno(err) : ERROR_ACCESS_DENIED);
    default:
      // A damaged file, a file that is no index, or one of another format.
      CKelFile::ThrowFileError(file, kCorrupt, ERROR_INVALID_DATA,
                               std::string(" (") + sqlite3_errmsg(m_db) + ")");
  }
}

SqliteStatement::SqliteStatement(const SqliteDatabase& db, const char* sql) : m_db(db) {
  const int result = sqlite3_prepare_v2(db.Handle(), sql, -1, &m_stmt, nullptr);
  if (result != SQLITE_OK) db.Fail(result, false);
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(m_stmt); }

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t number) {
  if (const int result = sqlite3_bind_int64(m_stmt, index, number); result != SQLITE_OK)
    m_db.Fail(result, false);
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text) {
  const int result = sqlite3_bind_text64(m_stmt, index, text.data(), text.size(),
                                         SQLITE_TRANSIENT, SQLITE_UTF8);
  if (result != SQLITE_OK) m_db.Fail(result, false);
  return *this;
}

SqliteStatement& SqliteStatement::BindBlob(int index, std::string_view bytes) {
  const int result = sqlite3_bind_blob64(m_stmt, index, bytes.data(), bytes.size(),
                                         SQLITE_TRANSIENT);
  if (result != SQLITE_OK) m_db.Fail(result, false);
  return *this;
}

bool SqliteStatement::Step() {
  const int result = sqlite3_step(m_stmt);
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  sqlite3_reset(m_stmt);
  m_db.Fail(result, sqlite3_stmt_readonly(m_stmt) == 0);
}

void SqliteStatement::Run() {
  while (Step()) {
  }
  Reset();
}

void SqliteStatement::Reset() {
  sqlite3_reset(m_stmt);
  sqlite3_clear_bindings(m_stmt);
}

std::int64_t SqliteStatement::Number(int column) const {
  return sqlite3_column_int64(m_stmt, column);
}

double SqliteStatement::Real(int column) const { return sqlite3_column_double(m_stmt, column); }

std::string SqliteStatement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
  return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
              : std::string();
}

std::string_view SqliteStatement::Blob(int column) const {
  const void* bytes = sqlite3_column_blob(m_stmt, column);
  if (!bytes) return {};
  return {static_cast<const char*>(bytes),
          static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))};
}

}  // namespace search
