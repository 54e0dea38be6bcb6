#pragma once
// A small SQLite wrapper. One connection serves all threads; callers hold
// Lock() for the whole of each operation so that multi-statement changes are
// seen whole.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tarvo::devserver {

class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, std::string_view text);
  Statement& Bind(int index, std::int64_t value);
  Statement& BindNull(int index);
  // True while a row is available; throws on error.
  bool Step();
  void Run();  // steps to completion

  std::string Text(int column) const;
  std::int64_t Int(int column) const;
  std::optional<std::int64_t> OptionalInt(int column) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

class Database {
 public:
  // `path` empty: a private in-memory database. Nothing on failure, with the reason in `error`.
  static std::unique_ptr<Database> Open(const std::string& path, std::string& error);
  ~Database();

  std::unique_lock<std::mutex> Lock() { return std::unique_lock(mutex_); }
  Statement Prepare(std::string_view sql) { return Statement(db_, sql); }
  void Exec(const char* sql);
  int Changes() const { return sqlite3_changes(db_); }

 private:
  explicit Database(sqlite3* db) : db_(db) {}
  sqlite3* db_;
  std::mutex mutex_;
};

}  // namespace tarvo::devserver
