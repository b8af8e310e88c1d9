#include "hall/store/postgres_store.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <pqxx/pqxx>
#include <type_traits>
#include <vector>

#include "hall/store/entry_queries.h"
#include "hall/store/migrations.h"
#include "hall/store/one_line.h"
#include "hall/store/postgres_uri.h"
#include "hall/store/socket_watchdog.h"

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

// Given to every connection unless its URI says otherwise: a database that stops answering
// costs a request seconds, then a 503, not the server.
constexpr int kConnectTimeoutSeconds = 5;
constexpr std::chrono::milliseconds kStatementTimeout{5000};
// Beyond the statement timeout, before a connection whose server says nothing is cut off.
constexpr std::chrono::milliseconds kAnswerMargin{1000};
// Connections open at once; a caller waits for a free one at most kStatementTimeout.
constexpr std::size_t kMaxConnections = 8;

using Clock = std::chrono::steady_clock;

struct Link {
  std::unique_ptr<pqxx::connection> connection;
  std::chrono::milliseconds answerWithin{0};  // 0: the statement timeout is off
};

// A few connections, each used by one caller at a time, so that a read does not wait for a
// write; a connection found broken is made again once: every operation here can be repeated
// safely (an add that did commit finds its own entry).
class PostgresStore final : public Store {
 public:
  explicit PostgresStore(const std::string& uri)
      : uri_(uriWithConnectTimeout(uri, kConnectTimeoutSeconds)),
        shownUri_(uriWithoutPassword(uri)),
        database_("the PostgreSQL database " + shownUri_) {
    withConnection([&](pqxx::connection& connection) {
      migrate(connection);
      return 0;
    });
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

  std::optional<StoredEntry> findByDigest(const std::string& recordingDigest) override {
    return withConnection([&](pqxx::connection& connection) -> std::optional<StoredEntry> {
      pqxx::read_transaction transaction(connection);
      const auto rows = run(transaction, queries::kSelectByDigest, recordingDigest);
      if (rows.empty()) return std::nullopt;
      return readEntry(rows[0]);
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

  void ping() override {
    withConnection([&](pqxx::connection& connection) {
      pqxx::nontransaction(connection).exec("SELECT 1");
      return 0;
    });
  }

 private:
  Link connect() {
    Link link;
    try {
      link.connection = std::make_unique<pqxx::connection>(uri_);
      // Its first words are bounded too.
      const SocketWatchdog::Watch watch(watchdog_, link.connection->sock(),
                                        Clock::now() + kStatementTimeout + kAnswerMargin);
      link.connection->set_client_encoding("UTF8");
      pqxx::nontransaction setup(*link.connection);
      // Without it "relation already exists, skipping" and the like go to stderr.
      setup.exec("SET client_min_messages TO warning");
      if (!uriSetsStatementTimeout(uri_)) {
        setup.exec("SET statement_timeout = " + std::to_string(kStatementTimeout.count()));
      }
      const auto timeout = setup.exec(
          "SELECT setting::bigint FROM pg_settings WHERE name = 'statement_timeout'")[0][0];
      const auto milliseconds = timeout.as<std::int64_t>();
      if (milliseconds > 0)
        link.answerWithin = std::chrono::milliseconds(milliseconds) + kAnswerMargin;
    } catch (const std::exception& error) {
      // libpq quotes a URI it cannot parse, password and all.
      auto reason = oneLine(error.what());
      for (auto at = reason.find(uri_); at != std::string::npos; at = reason.find(uri_, at)) {
        reason.replace(at, uri_.size(), shownUri_);
      }
      throw StoreError("cannot reach " + database_ + ": " + reason);
    }
    return link;
  }

  void migrate(pqxx::connection& connection) {
    pqxx::work transaction(connection);
    run(transaction, "SELECT pg_advisory_xact_lock($1)", kSchemaLock);
    transaction.exec(std::string(kCreateSchemaVersion));
    const auto current = transaction.exec(std::string(kSelectSchemaVersion))[0][0].as<int>();
    const auto pending = pendingMigrations(current, database_);
    for (const Migration& migration : pending) transaction.exec(std::string(migration.postgresql));
    if (!pending.empty()) run(transaction, kUpdateSchemaVersion, knownSchemaVersion());
    transaction.commit();
  }

  // A connection of the pool, or none yet (the caller makes it) when fewer are open than
  // allowed.
  Link acquire() {
    std::unique_lock lock(poolMutex_);
    const bool free = freed_.wait_for(lock, kStatementTimeout,
                                      [&] { return !idle_.empty() || open_ < kMaxConnections; });
    if (!free) throw StoreError(database_ + ": every connection is busy; the database is slow");
    if (idle_.empty()) {
      ++open_;
      return {};
    }
    Link link = std::move(idle_.back());
    idle_.pop_back();
    return link;
  }

  void release(Link link) {
    {
      std::lock_guard lock(poolMutex_);
      if (link.connection) {
        idle_.push_back(std::move(link));
      } else {
        --open_;
      }
    }
    freed_.notify_one();
  }

  template <typename Work>
  std::invoke_result_t<const Work&, pqxx::connection&> withConnection(const Work& work) {
    Link link = acquire();
    try {
      auto result = attempt(link, work);
      release(std::move(link));
      return result;
    } catch (...) {
      // A statement that failed leaves its connection as good as before; a broken one goes.
      if (link.connection && !link.connection->is_open()) link.connection.reset();
      release(std::move(link));
      throw;
    }
  }

  template <typename Work>
  std::invoke_result_t<const Work&, pqxx::connection&> attempt(Link& link, const Work& work) {
    try {
      for (int tries = 0;; ++tries) {
        if (!link.connection) link = connect();
        try {
          std::optional<SocketWatchdog::Watch> watch;
          if (link.answerWithin.count() > 0) {
            watch.emplace(watchdog_, link.connection->sock(), Clock::now() + link.answerWithin);
          }
          try {
            return work(*link.connection);
          } catch (const pqxx::broken_connection&) {
            if (watch && watch->expired()) {
              throw StoreError(database_ + ": no answer within " +
                               std::to_string(link.answerWithin.count()) + " ms");
            }
            throw;
          }
        } catch (const pqxx::broken_connection&) {
          if (tries > 0) throw;
        } catch (const pqxx::in_doubt_error&) {
          if (tries > 0) throw;
        }
        link.connection.reset();
      }
    } catch (const StoreError&) {
      throw;
    } catch (const std::exception& error) {
      throw StoreError(database_ + ": " + oneLine(error.what()));
    }
  }

  std::string uri_;
  std::string shownUri_;
  std::string database_;  // "the PostgreSQL database URI-without-password", for errors
  SocketWatchdog watchdog_;
  std::mutex poolMutex_;
  std::condition_variable freed_;
  std::vector<Link> idle_;
  std::size_t open_ = 0;  // idle or in use
};

}  // namespace

std::unique_ptr<Store> openPostgresStore(const std::string& uri) {
  return std::make_unique<PostgresStore>(uri);
}

}  // namespace kestal::hall
