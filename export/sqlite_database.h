// SPDX-License-Identifier: GPL-2.0-or-later
// A small owner of an SQLite 3 connection and its prepared statements.
// Values always go in through bound parameters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace kelvane {

class SqliteStatement {
 public:
  enum class Step { kRow, kDone, kError };

  SqliteStatement() = default;
  explicit SqliteStatement(sqlite3_stmt* statement) : statement_(statement) {}
  ~SqliteStatement();
  SqliteStatement(SqliteStatement&& other) noexcept;
  SqliteStatement& operator=(SqliteStatement&& other) noexcept;
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // False when the statement could not be prepared.
  bool ok() const { return statement_ != nullptr; }

  // Parameters are numbered from 1. The text is copied.
  bool Bind(int index, int64_t value);
  bool Bind(int index, double value);
  bool Bind(int index, std::string_view text);
  bool BindNull(int index);
  // Every parameter back to NULL.
  void ClearBindings();

  Step Next();
  // Runs the statement to its end and makes it ready to run again with new
  // values; false when a step failed.
  bool Run();
  // Makes the statement ready to run again, keeping its values.
  void Reset();

  // Columns of the current row, numbered from 0.
  int64_t Int(int column) const;
  std::string Text(int column) const;

 private:
  sqlite3_stmt* statement_ = nullptr;
};

class SqliteDatabase {
 public:
  enum class OpenMode { kExisting, kCreate };

  SqliteDatabase() = default;
  ~SqliteDatabase();
  SqliteDatabase(SqliteDatabase&& other) noexcept;
  SqliteDatabase& operator=(SqliteDatabase&& other) noexcept;
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

  // Opens the database file at path for reading and writing; kCreate makes
  // the file when it does not exist. Nothing when it can't be opened or is
  // not an SQLite database.
  static std::optional<SqliteDatabase> Open(const std::string& path, OpenMode mode);

  // Runs SQL text without parameters (one or more statements).
  bool Execute(const std::string& sql);
  SqliteStatement Prepare(std::string_view sql);
  int64_t LastInsertId() const;
  // Rows changed by the last statement.
  int Changes() const;

  // Closes the connection; false when it could not be closed cleanly.
  bool Close();

 private:
  sqlite3* db_ = nullptr;
};

// Begins a transaction that is rolled back unless Commit succeeds.
class SqliteTransaction {
 public:
  explicit SqliteTransaction(SqliteDatabase& db);
  ~SqliteTransaction();
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;

  bool ok() const { return active_; }
  bool Commit();

 private:
  SqliteDatabase& db_;
  bool active_ = false;
};

// A name as an SQL identifier in double quotes ("My ""odd"" table").
std::string QuoteIdentifier(std::string_view name);
// A text as an SQL string literal in single quotes, for statements that
// can't take parameters (a view's definition).
std::string QuoteLiteral(std::string_view text);

}  // namespace kelvane
