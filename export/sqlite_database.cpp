// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/sqlite_database.h"

#include <sqlite3.h>

#include <utility>

namespace kelvane {
namespace {

// How long a write waits for another program that holds the database.
constexpr int kBusyTimeoutMs = 2000;

std::string Quoted(std::string_view text, char quote) {
  std::string out(1, quote);
  for (char c : text) {
    if (c == quote) out += quote;
    out += c;
  }
  out += quote;
  return out;
}

}  // namespace

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : statement_(std::exchange(other.statement_, nullptr)) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(statement_);
    statement_ = std::exchange(other.statement_, nullptr);
  }
  return *this;
}

bool SqliteStatement::Bind(int index, int64_t value) {
  return statement_ != nullptr && sqlite3_bind_int64(statement_, index, value) == SQLITE_OK;
}

bool SqliteStatement::Bind(int index, double value) {
  return statement_ != nullptr && sqlite3_bind_double(statement_, index, value) == SQLITE_OK;
}

bool SqliteStatement::BindNull(int index) {
  return statement_ != nullptr && sqlite3_bind_null(statement_, index) == SQLITE_OK;
}

void SqliteStatement::ClearBindings() {
  if (statement_ != nullptr) sqlite3_clear_bindings(statement_);
}

bool SqliteStatement::Bind(int index, std::string_view text) {
  return statement_ != nullptr &&
         sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) == SQLITE_OK;
}

SqliteStatement::Step SqliteStatement::Next() {
  if (statement_ == nullptr) return Step::kError;
  switch (sqlite3_step(statement_)) {
    case SQLITE_ROW:
      return Step::kRow;
    case SQLITE_DONE:
      return Step::kDone;
    default:
      return Step::kError;
  }
}

bool SqliteStatement::Run() {
  Step step = Step::kRow;
  while (step == Step::kRow) step = Next();
  Reset();
  return step == Step::kDone;
}

void SqliteStatement::Reset() {
  if (statement_ != nullptr) sqlite3_reset(statement_);
}

int64_t SqliteStatement::Int(int column) const { return sqlite3_column_int64(statement_, column); }

std::string SqliteStatement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  if (text == nullptr) return {};
  return std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement_, column)));
}

SqliteDatabase::~SqliteDatabase() { sqlite3_close_v2(db_); }

SqliteDatabase::SqliteDatabase(SqliteDatabase&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

SqliteDatabase& SqliteDatabase::operator=(SqliteDatabase&& other) noexcept {
  if (this != &other) {
    sqlite3_close_v2(db_);
    db_ = std::exchange(other.db_, nullptr);
  }
  return *this;
}

std::optional<SqliteDatabase> SqliteDatabase::Open(const std::string& path, OpenMode mode) {
  const int flags = SQLITE_OPEN_READWRITE | (mode == OpenMode::kCreate ? SQLITE_OPEN_CREATE : 0);
  SqliteDatabase db;
  if (sqlite3_open_v2(path.c_str(), &db.db_, flags, nullptr) != SQLITE_OK) return std::nullopt;
  sqlite3_extended_result_codes(db.db_, 1);
  sqlite3_busy_timeout(db.db_, kBusyTimeoutMs);
  // The file is only read on first use: reading the schema here rejects a
  // file that is not a database before anything is asked of it.
  if (!db.Execute("SELECT count(*) FROM sqlite_master")) return std::nullopt;
  return db;
}

bool SqliteDatabase::Execute(const std::string& sql) {
  return db_ != nullptr && sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

SqliteStatement SqliteDatabase::Prepare(std::string_view sql) {
  sqlite3_stmt* statement = nullptr;
  if (db_ == nullptr ||
      sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement);
    return SqliteStatement();
  }
  return SqliteStatement(statement);
}

int64_t SqliteDatabase::LastInsertId() const { return db_ != nullptr ? sqlite3_last_insert_rowid(db_) : 0; }

int SqliteDatabase::Changes() const { return db_ != nullptr ? sqlite3_changes(db_) : 0; }

bool SqliteDatabase::Close() {
  const bool ok = sqlite3_close(db_) == SQLITE_OK;
  if (ok) db_ = nullptr;
  return ok;
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& db) : db_(db) {
  // IMMEDIATE takes the write lock at once, so a database held by another
  // program fails here rather than half way through.
  active_ = db_.Execute("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction() {
  if (active_) db_.Execute("ROLLBACK");
}

bool SqliteTransaction::Commit() {
  if (!active_ || !db_.Execute("COMMIT")) return false;
  active_ = false;
  return true;
}

std::string QuoteIdentifier(std::string_view name) { return Quoted(name, '"'); }

std::string QuoteLiteral(std::string_view text) { return Quoted(text, '\''); }

}  // namespace kelvane
