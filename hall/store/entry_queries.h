// The entries' SQL, the same text for both databases: parameters are $1, $2, ... (SQLite
// binds them by name) and every query that returns entries returns the columns listed below,
// in that order.
#pragma once

#include <string_view>

namespace kestal::hall::queries {

// id, name, edition, score, level, victory, mines_killed, retraces, date
#define KESTAL_ENTRY_COLUMNS \
  "id, name, edition, score, level, victory, mines_killed, retraces, date"

// $1 name, $2 edition, $3 score, $4 level, $5 victory, $6 mines_killed, $7 retraces, $8 date,
// $9 replay, $10 recording_digest. No row when the recording is there already.
inline constexpr std::string_view kInsert =
    "INSERT INTO entries (name, edition, score, level, victory, mines_killed, retraces, date, "
    "replay, recording_digest) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10) "
    "ON CONFLICT (recording_digest) DO NOTHING RETURNING " KESTAL_ENTRY_COLUMNS;

// $1 recording_digest; hidden entries too.
inline constexpr std::string_view kSelectByDigest =
    "SELECT " KESTAL_ENTRY_COLUMNS " FROM entries WHERE recording_digest = $1";

// $1 id
inline constexpr std::string_view kSelectVisible =
    "SELECT " KESTAL_ENTRY_COLUMNS " FROM entries WHERE id = $1 AND NOT hidden";
inline constexpr std::string_view kSelectReplay =
    "SELECT replay FROM entries WHERE id = $1 AND NOT hidden";

// $1 edition, $2 limit, $3 offset
inline constexpr std::string_view kSelectBoard =
    "SELECT " KESTAL_ENTRY_COLUMNS
    " FROM entries WHERE edition = $1 AND NOT hidden "
    "ORDER BY score DESC, victory DESC, retraces, date, id LIMIT $2 OFFSET $3";

// $1 edition
inline constexpr std::string_view kCountBoard =
    "SELECT count(*) FROM entries WHERE edition = $1 AND NOT hidden";

// $1 edition, $2 score, $3 victory, $4 retraces, $5 date, $6 id: the visible entries strictly
// ahead on the board, and all of them. "score >= $2" lets the board index skip the entries below.
inline constexpr std::string_view kPlace =
    "SELECT (SELECT count(*) FROM entries WHERE edition = $1 AND NOT hidden AND score >= $2 AND "
    "(score > $2 OR (score = $2 AND (victory > $3 OR (victory = $3 AND (retraces < $4 OR "
    "(retraces = $4 AND (date < $5 OR (date = $5 AND id < $6))))))))), "
    "(SELECT count(*) FROM entries WHERE edition = $1 AND NOT hidden)";

// $1 id, $2 hidden; a row when the entry exists.
inline constexpr std::string_view kSetHidden =
    "UPDATE entries SET hidden = $2 WHERE id = $1 RETURNING id";

#undef KESTAL_ENTRY_COLUMNS

}  // namespace kestal::hall::queries
