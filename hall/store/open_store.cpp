#include <string_view>

#include "hall/store/postgres_store.h"
#include "hall/store/sqlite_store.h"
#include "hall/store/store.h"

namespace kestal::hall {

std::unique_ptr<Store> openStore(const std::string& url) {
  constexpr std::string_view kSqlite = "sqlite:";
  if (url.starts_with(kSqlite)) {
    const auto path = url.substr(kSqlite.size());
    if (path.empty()) throw StoreError("sqlite: needs a file, as in sqlite:kestal-hall.sqlite");
    return openSqliteStore(path);
  }
  if (url.starts_with("postgresql://") || url.starts_with("postgres://")) {
    return openPostgresStore(url);
  }
  // The text itself is not repeated: it may hold a password.
  throw StoreError("the database must be given as sqlite:PATH or as a libpq URI postgresql://...");
}

}  // namespace kestal::hall
