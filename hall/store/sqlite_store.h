// The SQLite back end: one file, written ahead (WAL) and synced on every commit.
#pragma once

#include <memory>
#include <string>

#include "hall/store/store.h"

namespace kestal::hall {

// Opens or creates the database file at `path` and brings its schema up to date.
std::unique_ptr<Store> openSqliteStore(const std::string& path);

}  // namespace kestal::hall
