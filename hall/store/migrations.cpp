#include "hall/store/migrations.h"

#include <algorithm>
#include <array>

#include "hall/store/store.h"

namespace kestal::hall {

namespace {

// The board index holds visible entries only, in board order within an edition, so a page of
// the board and a place on it are read from the index alone. Dates are fixed-width ISO 8601
// text and compare byte by byte (COLLATE "C" in PostgreSQL, whose default collation ignores
// punctuation).
constexpr std::array kMigrations{
    Migration{1,
              R"(CREATE TABLE entries (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL,
  edition TEXT NOT NULL,
  score INTEGER NOT NULL,
  level INTEGER NOT NULL,
  victory INTEGER NOT NULL CHECK (victory IN (0, 1)),
  mines_killed INTEGER NOT NULL,
  retraces INTEGER NOT NULL,
  date TEXT NOT NULL,
  replay TEXT NOT NULL,
  recording_digest TEXT NOT NULL UNIQUE,
  hidden INTEGER NOT NULL DEFAULT 0 CHECK (hidden IN (0, 1)));
CREATE INDEX entries_board ON entries (edition, score DESC, victory DESC, retraces, date, id)
  WHERE NOT hidden;)",
              R"(CREATE TABLE entries (
  id BIGSERIAL PRIMARY KEY,
  name TEXT NOT NULL,
  edition TEXT NOT NULL,
  score BIGINT NOT NULL,
  level INTEGER NOT NULL,
  victory BOOLEAN NOT NULL,
  mines_killed INTEGER NOT NULL,
  retraces BIGINT NOT NULL,
  date TEXT COLLATE "C" NOT NULL,
  replay TEXT NOT NULL,
  recording_digest TEXT NOT NULL UNIQUE,
  hidden BOOLEAN NOT NULL DEFAULT FALSE);
CREATE INDEX entries_board ON entries (edition, score DESC, victory DESC, retraces, date, id)
  WHERE NOT hidden;)"},
};

}  // namespace

const std::string_view kCreateSchemaVersion =
    "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL);"
    "INSERT INTO schema_version SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM schema_version);";
const std::string_view kSelectSchemaVersion = "SELECT max(version) FROM schema_version";
const std::string_view kUpdateSchemaVersion = "UPDATE schema_version SET version = $1";

int knownSchemaVersion() {
  return kMigrations.back().version;
}

std::span<const Migration> pendingMigrations(int current, const std::string& database) {
  if (current > knownSchemaVersion()) {
    throw StoreError(database + " has schema version " + std::to_string(current) +
                     ", newer than the " + std::to_string(knownSchemaVersion()) +
                     " this program knows: run a newer kestal-hall");
  }
  const auto next = std::find_if(kMigrations.begin(), kMigrations.end(),
                                 [current](const Migration& m) { return m.version > current; });
  return {next, kMigrations.end()};
}

}  // namespace kestal::hall
