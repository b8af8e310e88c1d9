// A hall served in process for the HTTP tests: a scratch SQLite store that can be made to
// fail, a stub verifier that reads its outcome from the script, and the server on a free port.
#pragma once

#include <httplib.h>

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "hall/http/hall_server.h"
#include "hall/server/verifier_pool.h"
#include "hall/store/store.h"
#include "tests/support/scratch_directory.h"

namespace kestal::hall::testing {

// Scripts the stub understands, one word and an argument:
//   "score N" / "silent N"  a verified game of that score in that edition
//   "bad" "refuse" "fail"   those verification statuses
//   "throw"                 the verifier throws
//   "wait"                  blocks until open() (then a verified game of score 1)
// Its identity of a script ("bad" and "refuse" refused at once) is what its verification of the
// script would give.
class StubVerifier {
 public:
  Verification operator()(const std::string& script);
  RecordingIdentity identify(const std::string& script);
  // Scripts played (not only identified) so far.
  int verified() const { return verified_; }
  void open();
  // Blocks until a "wait" script has started.
  void awaitWaiting();

 private:
  Verification outcome(const std::string& script);

  std::promise<void> gate_;
  std::shared_future<void> opened_ = gate_.get_future().share();
  std::promise<void> waiting_;
  std::atomic<bool> waitingSignalled_ = false;
  std::atomic<int> verified_ = 0;
};

// The real store, unless `failing` is set: then every call throws StoreError.
class FlakyStore : public Store {
 public:
  explicit FlakyStore(std::unique_ptr<Store> store) : store_(std::move(store)) {}
  std::atomic<bool> failing = false;

  std::string_view kind() const override { return store_->kind(); }
  AddResult add(const NewEntry& entry) override { return check().add(entry); }
  std::optional<StoredEntry> findByDigest(const std::string& digest) override {
    return check().findByDigest(digest);
  }
  std::optional<StoredEntry> find(std::int64_t id) override { return check().find(id); }
  std::optional<std::string> replay(std::int64_t id) override { return check().replay(id); }
  Board list(std::string_view edition, int limit, std::int64_t offset) override {
    return check().list(edition, limit, offset);
  }
  BoardPlace place(const StoredEntry& entry) override { return check().place(entry); }
  bool setHidden(std::int64_t id, bool hidden) override { return check().setHidden(id, hidden); }
  void ping() override { check().ping(); }

 private:
  Store& check();
  std::unique_ptr<Store> store_;
};

struct HallSetup {
  HallServerOptions options;
  std::size_t workers = 2;
  std::size_t queue = 2;
};

class TestHall {
 public:
  explicit TestHall(HallSetup setup = {});
  ~TestHall();

  httplib::Client client() const;
  int port() const { return port_; }

  StubVerifier verifier;
  std::unique_ptr<FlakyStore> store;

 private:
  testsupport::ScratchDirectory directory_{"kestal-hall-http"};
  std::unique_ptr<VerifierPool> pool_;
  std::unique_ptr<HallServer> server_;
  std::thread serving_;
  int port_ = 0;
};

}  // namespace kestal::hall::testing
