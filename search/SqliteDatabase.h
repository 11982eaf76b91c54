// A thin hold on SQLite for the search index: one connection and its prepared
// statements. Every failure throws a CKelFileException naming the index file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace search {

class SqliteDatabase {
 public:
  enum class Mode { ReadOnly, Create };
  SqliteDatabase(std::string path, Mode mode);
  ~SqliteDatabase();
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

  void Execute(const char* sql);
  sqlite3* Handle() const { return m_db; }
  const std::string& Path() const { return m_path; }
  // Throws the failure RESULT of the last call, as reading or writing.
  [[noreturn]] void Fail(int result, bool writing) const;

 private:
  std::string m_path;
  sqlite3* m_db = nullptr;
};

// One prepared statement; binds by position from 1 and steps through rows.
class SqliteStatement {
 public:
  SqliteStatement(const SqliteDatabase& db, const char* sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  SqliteStatement& Bind(int index, std::int64_t number);
  SqliteStatement& Bind(int index, std::string_view text);
  SqliteStatement& BindBlob(int index, std::string_view bytes);
  // True while a row is there; false at the end.
  bool Step();
  // Steps through a statement that gives no rows, then makes it ready again.
  void Run();
  void Reset();

  std::int64_t Number(int column) const;
  double Real(int column) const;
  std::string Text(int column) const;
  std::string_view Blob(int column) const;

 private:
  const SqliteDatabase& m_db;
  sqlite3_stmt* m_stmt = nullptr;
};

}  // namespace search
