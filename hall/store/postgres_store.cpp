#include "hall/store/postgres_store.h"

#include <algorithm>
#include <mutex>
#include <pqxx/pqxx>
#include <type_traits>

#include "hall/store/entry_queries.h"
#include "hall/store/migrations.h"
#include "hall/store/one_line.h"
#include "hall/store/postgres_uri.h"

namespace kestal::hall {

namespace {

// Taken for the migration's transaction, so two servers starting at once take turns.
constexpr std::int64_t kSchemaLock = 0x4b455354414c32;  // "KESTAL2"

StoredEntry readEntry(const pqxx::row& row) {
  return StoredEntry{.id = row[0].as<std::int64_t>(),
                     .name = row[1].as<std::string>(),
                     .edition = row[2].as<std::string>(),
                     .score = row[3].as<std::int64_t>(),
                     .level = row[4].as<int>(),
                     .victory = row[5].as<bool>(),
                     .minesKilled = row[6].as<int>(),
                     .retraces = row[7].as<std::int64_t>(),
                     .date = row[8].as<std::string>()};
}

template <typename... Values>
pqxx::result run(pqxx::transaction_base& transaction, std::string_view sql,
                 const Values&... values) {
  return transaction.exec_params(std::string(sql), values...);
}

// One connection, one caller at a time. A connection found broken is made again once: every
// operation here can be repeated safely (an add that did commit finds its own entry).
class PostgresStore final : public Store {
 public:
  explicit PostgresStore(const std::string& uri)
      : uri_(uri),
        shownUri_(uriWithoutPassword(uri)),
        database_("the PostgreSQL database " + shownUri_) {
    std::lock_guard lock(mutex_);
    connect();
    migrate();
  }

  std::string_view kind() const override { return "postgresql"; }

  AddResult add(const NewEntry& entry) override {
    return withConnection([&](pqxx::connection& connection) {
      pqxx::work transaction(connection);
      AddResult result;
      const auto inserted = run(transaction, queries::kInsert, entry.name, entry.edition,
                                entry.score, entry.level, entry.victory, entry.minesKilled,
                                entry.retraces, entry.date, entry.replay, entry.recordingDigest);
      if (!inserted.empty()) {
        result = {readEntry(inserted[0]), true};
      } else {
        // Read committed: this statement sees the row whose insert this one waited for.
        const auto existing = run(transaction, queries::kSelectByDigest, entry.recordingDigest);
        if (existing.empty()) throw StoreError(database_ + ": a recording neither added nor found");
        result = {readEntry(existing[0]), false};
      }
      transaction.commit();
      return result;
    });
  }

  std::optional<StoredEntry> find(std::int64_t id) override {
    return withConnection([&](pqxx::connection& connection) -> std::optional<StoredEntry> {
      pqxx::read_transaction transaction(connection);
      const auto rows = run(transaction, queries::kSelectVisible, id);
      if (rows.empty()) return std::nullopt;
      return readEntry(rows[0]);
    });
  }

  std::optional<std::string> replay(std::int64_t id) override {
    return withConnection([&](pqxx::connection& connection) -> std::optional<std::string> {
      pqxx::read_transaction transaction(connection);
      const auto rows = run(transaction, queries::kSelectReplay, id);
      if (rows.empty()) return std::nullopt;
      return rows[0][0].as<std::string>();
    });
  }

  Board list(std::string_view edition, int limit, std::int64_t offset) override {
    return withConnection([&](pqxx::connection& connection) {
      // One snapshot, so the total and the page agree.
      pqxx::transaction<pqxx::repeatable_read, pqxx::read_only> transaction(connection);
      Board board;
      const std::string editionText(edition);
      board.total = run(transaction, queries::kCountBoard, editionText)[0][0].as<std::int64_t>();
      const auto rows = run(transaction, queries::kSelectBoard, editionText, std::max(limit, 0),
                            std::max<std::int64_t>(offset, 0));
      for (const auto& row : rows) board.entries.push_back(readEntry(row));
      return board;
    });
  }

  BoardPlace place(const StoredEntry& entry) override {
    return withConnection([&](pqxx::connection& connection) {
      pqxx::read_transaction transaction(connection);
      const auto row = run(transaction, queries::kPlace, entry.edition, entry.score, entry.victory,
                           entry.retraces, entry.date, entry.id)[0];
      return BoardPlace{.rank = 1 + row[0].as<std::int64_t>(), .total = row[1].as<std::int64_t>()};
    });
  }

  bool setHidden(std::int64_t id, bool hidden) override {
    return withConnection([&](pqxx::connection& connection) {
      pqxx::work transaction(connection);
      const bool found = !run(transaction, queries::kSetHidden, id, hidden).empty();
      transaction.commit();
      return found;
    });
  }

 private:
  // The caller holds mutex_.
  void connect() {
    connection_.reset();
    try {
      auto connection = std::make_unique<pqxx::connection>(uri_);
      connection->set_client_encoding("UTF8");
      // Without it "relation already exists, skipping" and the like go to stderr.
      pqxx::nontransaction(*connection).exec("SET client_min_messages TO warning");
      connection_ = std::move(connection);
    } catch (const std::exception& error) {
      // libpq quotes a URI it cannot parse, password and all.
      auto reason = oneLine(error.what());
      for (auto at = reason.find(uri_); at != std::string::npos; at = reason.find(uri_, at)) {
        reason.replace(at, uri_.size(), shownUri_);
      }
      throw StoreError("cannot reach " + database_ + ": " + reason);
    }
  }

  // The caller holds mutex_.
  void migrate() {
    attempt([&](pqxx::connection& connection) {
      pqxx::work transaction(connection);
      run(transaction, "SELECT pg_advisory_xact_lock($1)", kSchemaLock);
      transaction.exec(std::string(kCreateSchemaVersion));
      const auto current = transaction.exec(std::string(kSelectSchemaVersion))[0][0].as<int>();
      const auto pending = pendingMigrations(current, database_);
      for (const Migration& migration : pending)
        transaction.exec(std::string(migration.postgresql));
      if (!pending.empty()) run(transaction, kUpdateSchemaVersion, knownSchemaVersion());
      transaction.commit();
    });
  }

  template <typename Work>
  std::invoke_result_t<const Work&, pqxx::connection&> withConnection(const Work& work) {
    std::lock_guard lock(mutex_);
    return attempt(work);
  }

  // The caller holds mutex_.
  template <typename Work>
  std::invoke_result_t<const Work&, pqxx::connection&> attempt(const Work& work) {
    try {
      try {
        if (!connection_) connect();
        return work(*connection_);
      } catch (const pqxx::broken_connection&) {
      } catch (const pqxx::in_doubt_error&) {
      }
      connect();
      return work(*connection_);
    } catch (const StoreError&) {
      throw;
    } catch (const std::exception& error) {
      throw StoreError(database_ + ": " + oneLine(error.what()));
    }
  }

  std::string uri_;
  std::string shownUri_;
  std::string database_;  // "the PostgreSQL database URI-without-password", for errors
  std::mutex mutex_;
  std::unique_ptr<pqxx::connection> connection_;
};

}  // namespace

std::unique_ptr<Store> openPostgresStore(const std::string& uri) {
  return std::make_unique<PostgresStore>(uri);
}

}  // namespace kestal::hall
