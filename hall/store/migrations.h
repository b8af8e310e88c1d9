// The schema as an ordered list of steps. A database records how many it has taken; opening
// takes the rest, so every server meets the schema it was written for.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace kestal::hall {

struct Migration {
  int version;  // the schema version once this step is taken
  std::string_view sqlite;
  std::string_view postgresql;
};

// Creates the table that holds the schema version, with version 0 in it.
// The same SQL on both databases.
extern const std::string_view kCreateSchemaVersion;
extern const std::string_view kSelectSchemaVersion;
extern const std::string_view kUpdateSchemaVersion;  // $1: the new version

int knownSchemaVersion();

// The steps a database at `current` still needs. Throws StoreError, naming `database`, when
// `current` is newer than this program knows.
std::span<const Migration> pendingMigrations(int current, const std::string& database);

}  // namespace kestal::hall
