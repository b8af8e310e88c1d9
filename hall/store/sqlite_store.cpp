#include "hall/store/sqlite_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <mutex>
#include <type_traits>
#include <vector>

#include "hall/store/entry_queries.h"
#include "hall/store/migrations.h"
#include "hall/store/sqlite_statement.h"

namespace kestal::hall {

namespace {

// How long a write waits for another connection's (another server's) write to end.
constexpr int kBusyTimeoutMilliseconds = 10'000;

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, CloseDatabase>;

StoredEntry readEntry(const SqliteStatement& row) {
  return StoredEntry{.id = row.integer(0),
                     .name = row.text(1),
                     .edition = row.text(2),
                     .score = row.integer(3),
                     .level = static_cast<int>(row.integer(4)),
                     .victory = row.integer(5) != 0,
                     .minesKilled = static_cast<int>(row.integer(6)),
                     .retraces = row.integer(7),
                     .date = row.text(8)};
}

class SqliteStore final : public Store {
 public:
  explicit SqliteStore(const std::string& path)
      : path_(path), database_("the SQLite database " + path) {
    db_ = open(SQLITE_OPEN_CREATE);
    try {
      // busy_timeout first: switching to WAL itself waits for other connections.
      execute(db_.get(), "PRAGMA busy_timeout = " + std::to_string(kBusyTimeoutMilliseconds) +
                             "; PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL;");
    } catch (const StoreError& error) {
      throw StoreError("cannot open " + std::string(error.what()));
    }
    migrate();
  }

  std::string_view kind() const override { return "sqlite"; }

  AddResult add(const NewEntry& entry) override {
    std::lock_guard lock(writing_);
    SqliteStatement insert(db_.get(), queries::kInsert, database_);
    insert.bind(entry.name, entry.edition, entry.score, entry.level, entry.victory,
                entry.minesKilled, entry.retraces, entry.date, entry.replay, entry.recordingDigest);
    if (insert.step()) {
      auto created = readEntry(insert);
      insert.finish();
      return {std::move(created), true};
    }
    SqliteStatement existing(db_.get(), queries::kSelectByDigest, database_);
    existing.bind(entry.recordingDigest);
    if (!existing.step()) throw StoreError(database_ + ": a recording neither added nor found");
    return {readEntry(existing), false};
  }

  std::optional<StoredEntry> findByDigest(const std::string& recordingDigest) override {
    return reading([&](sqlite3* db) -> std::optional<StoredEntry> {
      SqliteStatement select(db, queries::kSelectByDigest, database_);
      select.bind(recordingDigest);
      if (!select.step()) return std::nullopt;
      return readEntry(select);
    });
  }

  std::optional<StoredEntry> find(std::int64_t id) override {
    return reading([&](sqlite3* db) -> std::optional<StoredEntry> {
      SqliteStatement select(db, queries::kSelectVisible, database_);
      select.bind(id);
      if (!select.step()) return std::nullopt;
      return readEntry(select);
    });
  }

  std::optional<std::string> replay(std::int64_t id) override {
    return reading([&](sqlite3* db) -> std::optional<std::string> {
      SqliteStatement select(db, queries::kSelectReplay, database_);
      select.bind(id);
      if (!select.step()) return std::nullopt;
      return select.text(0);
    });
  }

  Board list(std::string_view edition, int limit, std::int64_t offset) override {
    return reading([&](sqlite3* db) {
      Board board;
      // One read transaction, so the total and the page agree.
      inTransaction(db, "BEGIN", [&] {
        SqliteStatement count(db, queries::kCountBoard, database_);
        count.bind(edition);
        count.step();
        board.total = count.integer(0);
        SqliteStatement page(db, queries::kSelectBoard, database_);
        page.bind(edition, std::max(limit, 0), std::max<std::int64_t>(offset, 0));
        while (page.step()) board.entries.push_back(readEntry(page));
      });
      return board;
    });
  }

  BoardPlace place(const StoredEntry& entry) override {
    return reading([&](sqlite3* db) {
      SqliteStatement select(db, queries::kPlace, database_);
      select.bind(entry.edition, entry.score, entry.victory, entry.retraces, entry.date, entry.id);
      select.step();
      return BoardPlace{.rank = 1 + select.integer(0), .total = select.integer(1)};
    });
  }

  void ping() override {
    reading([&](sqlite3* db) {
      SqliteStatement select(db, kSelectSchemaVersion, database_);
      select.step();
      return 0;
    });
  }

  bool setHidden(std::int64_t id, bool hidden) override {
    std::lock_guard lock(writing_);
    SqliteStatement update(db_.get(), queries::kSetHidden, database_);
    update.bind(id, hidden);
    const bool found = update.step();
    update.finish();
    return found;
  }

 private:
  Connection open(int flags) {
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | flags, nullptr);
    Connection connection(db);
    if (opened != SQLITE_OK) {
      throw StoreError("cannot open " + database_ + ": " +
                       (db ? sqlite3_errmsg(db) : sqlite3_errstr(opened)));
    }
    return connection;
  }

  // On a connection of its own that only reads: WAL lets readers go on while an entry is
  // written and synced. Connections are opened as needed and kept for the next reader.
  template <typename Work>
  std::invoke_result_t<Work&, sqlite3*> reading(Work work) {
    Connection connection;
    {
      std::lock_guard lock(readersMutex_);
      if (!readers_.empty()) {
        connection = std::move(readers_.back());
        readers_.pop_back();
      }
    }
    if (!connection) {
      connection = open(0);
      execute(connection.get(),
              "PRAGMA busy_timeout = " + std::to_string(kBusyTimeoutMilliseconds) +
                  "; PRAGMA query_only = ON;");
    }
    struct Return {
      SqliteStore& store;
      Connection& connection;
      ~Return() {
        std::lock_guard lock(store.readersMutex_);
        store.readers_.push_back(std::move(connection));
      }
    } giveBack{*this, connection};
    return work(connection.get());
  }

  void execute(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      const std::string text = message ? message : sqlite3_errmsg(db);
      sqlite3_free(message);
      throw StoreError(database_ + ": " + text);
    }
  }
  void execute(const std::string& sql) { execute(db_.get(), sql); }

  template <typename Work>
  void inTransaction(sqlite3* db, const std::string& begin, Work work) {
    execute(db, begin);
    try {
      work();
      execute(db, "COMMIT");
    } catch (...) {
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }

  int schemaVersion() {
    SqliteStatement select(db_.get(), kSelectSchemaVersion, database_);
    select.step();
    return static_cast<int>(select.integer(0));
  }

  // IMMEDIATE: two servers starting on one file take turns.
  void migrate() {
    inTransaction(db_.get(), "BEGIN IMMEDIATE", [&] {
      execute(std::string(kCreateSchemaVersion));
      const auto pending = pendingMigrations(schemaVersion(), database_);
      for (const Migration& migration : pending) execute(std::string(migration.sqlite));
      if (pending.empty()) return;
      SqliteStatement update(db_.get(), kUpdateSchemaVersion, database_);
      update.bind(knownSchemaVersion());
      update.finish();
    });
  }

  std::string path_;
  std::string database_;  // "the SQLite database PATH", for errors
  std::mutex writing_;    // the one connection that writes
  Connection db_;
  std::mutex readersMutex_;
  std::vector<Connection> readers_;  // idle reading connections
};

}  // namespace

std::unique_ptr<Store> openSqliteStore(const std::string& path) {
  return std::make_unique<SqliteStore>(path);
}

}  // namespace kestal::hall
