#include "hall/store/sqlite_statement.h"

#include <limits>

#include "hall/store/store.h"

namespace kestal::hall {

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql, const std::string& database)
    : db_(db), database_(database) {
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr) !=
      SQLITE_OK) {
    fail();
  }
}

SqliteStatement::~SqliteStatement() {
  sqlite3_finalize(statement_);
}

bool SqliteStatement::step() {
  switch (sqlite3_step(statement_)) {
    case SQLITE_ROW:
      return true;
    case SQLITE_DONE:
      return false;
    default:
      fail();
  }
}

void SqliteStatement::finish() {
  while (step()) {
  }
}

std::int64_t SqliteStatement::integer(int column) const {
  return sqlite3_column_int64(statement_, column);
}

std::string SqliteStatement::text(int column) const {
  const auto* bytes = sqlite3_column_text(statement_, column);
  const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement_, column));
  return bytes == nullptr ? std::string{} : std::string(reinterpret_cast<const char*>(bytes), size);
}

void SqliteStatement::bindInteger(int number, std::int64_t value) {
  if (sqlite3_bind_int64(statement_, parameterIndex(number), value) != SQLITE_OK) fail();
}

void SqliteStatement::bindText(int number, std::string_view value) {
  // The text is copied: a caller's temporary may be gone before the statement steps.
  if (value.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw StoreError(database_ + ": a text of " + std::to_string(value.size()) +
                     " bytes is too long to keep");
  }
  if (sqlite3_bind_text(statement_, parameterIndex(number), value.data(),
                        static_cast<int>(value.size()), SQLITE_TRANSIENT) != SQLITE_OK) {
    fail();
  }
}

int SqliteStatement::parameterIndex(int number) const {
  const auto name = "$" + std::to_string(number);
  const int index = sqlite3_bind_parameter_index(statement_, name.c_str());
  if (index == 0) throw StoreError(database_ + ": the query has no parameter " + name);
  return index;
}

void SqliteStatement::fail() const {
  throw StoreError(database_ + ": " + sqlite3_errmsg(db_));
}

}  // namespace kestal::hall
