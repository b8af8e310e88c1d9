// One prepared SQLite statement: parameters bound by their names $1, $2, ..., rows read by
// column. Every failure is a StoreError naming the database.
#pragma once

#include <sqlite3.h>

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestal::hall {

class SqliteStatement {
 public:
  // `database` describes the database in errors ("the SQLite database PATH").
  SqliteStatement(sqlite3* db, std::string_view sql, const std::string& database);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Binds the arguments to $1, $2, ... in order.
  template <typename... Values>
  SqliteStatement& bind(const Values&... values) {
    int number = 1;
    (bindOne(number++, values), ...);
    return *this;
  }

  // true: a row is ready to read.
  bool step();
  // Steps to the end, so a write is committed (and a failure seen) before the caller goes on.
  void finish();

  std::int64_t integer(int column) const;
  std::string text(int column) const;

 private:
  void bindOne(int number, std::integral auto value) {
    bindInteger(number, static_cast<std::int64_t>(value));
  }
  void bindOne(int number, std::string_view value) { bindText(number, value); }
  void bindInteger(int number, std::int64_t value);
  void bindText(int number, std::string_view value);
  int parameterIndex(int number) const;
  [[noreturn]] void fail() const;

  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
  const std::string& database_;
};

}  // namespace kestal::hall
