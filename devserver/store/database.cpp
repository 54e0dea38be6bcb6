#include "devserver/store/database.h"

#include <stdexcept>

namespace tarvo::devserver {
namespace {

[[noreturn]] void Fail(sqlite3* db, std::string_view what) {
  throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

constexpr const char* kSchema = R"sql(
  CREATE TABLE IF NOT EXISTS accounts (
    id TEXT PRIMARY KEY,
    salt TEXT NOT NULL,
    hash TEXT NOT NULL,
    expires_ms INTEGER NOT NULL,
    created_ms INTEGER NOT NULL);
  CREATE TABLE IF NOT EXISTS sessions (
    code TEXT PRIMARY KEY,
    account_id TEXT NOT NULL,
    created_ms INTEGER NOT NULL,
    superseded_ms INTEGER,
    left_ms INTEGER);
  CREATE INDEX IF NOT EXISTS sessions_by_account ON sessions(account_id);
  CREATE TABLE IF NOT EXISTS leave_events (
    seq INTEGER PRIMARY KEY AUTOINCREMENT,
    code TEXT NOT NULL,
    account_id TEXT NOT NULL,
    kind TEXT NOT NULL,
    at_ms INTEGER NOT NULL);
  CREATE TABLE IF NOT EXISTS vpn_credentials (
    seq INTEGER PRIMARY KEY AUTOINCREMENT,
    code TEXT NOT NULL,
    account_id TEXT NOT NULL,
    server TEXT NOT NULL,
    user TEXT NOT NULL,
    password TEXT NOT NULL,
    issued_ms INTEGER NOT NULL);
)sql";

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
    Fail(db, "prepare");
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::Bind(int index, std::string_view text) {
  if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) !=
      SQLITE_OK)
    Fail(db_, "bind");
  return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) Fail(db_, "bind");
  return *this;
}

Statement& Statement::BindNull(int index) {
  if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) Fail(db_, "bind");
  return *this;
}

bool Statement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(db_, "step");
}

void Statement::Run() {
  while (Step()) {
  }
}

std::string Statement::Text(int column) const {
  const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
  return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

std::int64_t Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::optional<std::int64_t> Statement::OptionalInt(int column) const {
  if (sqlite3_column_type(stmt_, column) == SQLITE_NULL) return std::nullopt;
  return Int(column);
}

std::unique_ptr<Database> Database::Open(const std::string& path, std::string& error) {
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(path.empty() ? ":memory:" : path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    error = "cannot open database " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return nullptr;
  }
  std::unique_ptr<Database> database(new Database(db));
  sqlite3_busy_timeout(db, 2000);
  try {
    database->Exec(kSchema);
  } catch (const std::exception& e) {
    error = "cannot use database " + path + ": " + e.what();
    return nullptr;
  }
  return database;
}

Database::~Database() { sqlite3_close(db_); }

void Database::Exec(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : "unknown error";
    sqlite3_free(message);
    throw std::runtime_error("sql: " + text);
  }
}

}  // namespace tarvo::devserver
