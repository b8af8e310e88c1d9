// The seam between the hall and its database. Two back ends: SQLite (one file, the default)
// and PostgreSQL (for several server instances). Every call may come from any thread; reads
// do not wait for writes, and no call waits on the database longer than its timeouts.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "hall/store/entry.h"

namespace kestal::hall {

// A database that cannot be opened, reached or written. what() is one line that names the
// database (never with a password in it).
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Store {
 public:
  virtual ~Store() = default;

  // "sqlite" or "postgresql".
  virtual std::string_view kind() const = 0;

  // Adds the entry unless its recordingDigest is there already (hidden or not); then the entry
  // already made is returned. The entry is committed, and synced to disk, before this returns.
  virtual AddResult add(const NewEntry& entry) = 0;

  // The entry a recording made, hidden or not; nullopt when no entry has its digest.
  virtual std::optional<StoredEntry> findByDigest(const std::string& recordingDigest) = 0;

  // A visible entry; nullopt when unknown or hidden.
  virtual std::optional<StoredEntry> find(std::int64_t id) = 0;
  // The script of a visible entry as submitted.
  virtual std::optional<std::string> replay(std::int64_t id) = 0;

  // Visible entries of one edition in board order: score descending, then the final victory
  // first, then fewer retraces, then the earlier date, then the smaller id.
  virtual Board list(std::string_view edition, int limit, std::int64_t offset) = 0;
  // Where a visible entry stands on its edition's board, in the same order.
  virtual BoardPlace place(const StoredEntry& entry) = 0;

  // Moderation. false: no entry has that id.
  virtual bool setHidden(std::int64_t id, bool hidden) = 0;

  // Asks the database one cheap question, within a few seconds; throws StoreError when it
  // cannot be had.
  virtual void ping() = 0;
};

// "sqlite:PATH" (relative to the working directory) or a libpq URI "postgresql://..." (also
// "postgres://..."). Creates or migrates the schema. Throws StoreError.
std::unique_ptr<Store> openStore(const std::string& url);

}  // namespace kestal::hall
