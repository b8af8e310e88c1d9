// An entry of the hall of fame as it is kept and shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestal::hall {

// What verification found and the server adds: everything but the store's own numbers.
struct NewEntry {
  std::string name;     // as given, already checked
  std::string edition;  // "sound" or "silent"
  std::int64_t score = 0;
  int level = 1;  // 1..11, the final victory counts as 11
  bool victory = false;
  int minesKilled = 0;
  std::int64_t retraces = 0;
  std::string date;             // when the server took it: ISO 8601 UTC, "2026-12-09T05:12:33Z"
  std::string replay;           // the key script exactly as submitted
  std::string recordingDigest;  // identifies the recording: the same game twice is one entry
};

struct StoredEntry {
  std::int64_t id = 0;
  std::string name;
  std::string edition;
  std::int64_t score = 0;
  int level = 1;
  bool victory = false;
  int minesKilled = 0;
  std::int64_t retraces = 0;
  std::string date;
  friend bool operator==(const StoredEntry&, const StoredEntry&) = default;
};

// Its place on its edition's board of visible entries.
struct BoardPlace {
  std::int64_t rank = 0;  // 1 is the best
  std::int64_t total = 0;
};

struct AddResult {
  StoredEntry entry;
  bool created = false;  // false: the recording was there already, `entry` is the first one
};

struct Board {
  std::int64_t total = 0;  // visible entries of the edition
  std::vector<StoredEntry> entries;
};

}  // namespace kestal::hall
