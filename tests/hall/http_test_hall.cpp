#include "tests/hall/http_test_hall.h"

#include <sstream>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace kestal::hall::testing {

Verification StubVerifier::operator()(const std::string& script) {
  ++verified_;
  return outcome(script);
}

Verification StubVerifier::outcome(const std::string& script) {
  std::istringstream words(script);
  std::string word;
  std::int64_t score = 1;
  words >> word >> score;
  Verification result;
  result.status = VerificationStatus::Verified;
  const std::pair<const char*, std::pair<VerificationStatus, const char*>> failures[] = {
      {"bad", {VerificationStatus::BadScript, "line 1: \"bad\" is no key"}},
      {"refuse", {VerificationStatus::Refused, "The recording has no game."}},
      {"fail", {VerificationStatus::Failed, "The check ran out of time."}},
  };
  for (const auto& [trigger, failure] : failures) {
    if (word == trigger) std::tie(result.status, result.error) = failure;
  }
  if (word == "throw") throw std::runtime_error("stub verifier thrown");
  if (word == "wait") {
    if (!waitingSignalled_.exchange(true)) waiting_.set_value();
    opened_.wait();
  }
  result.edition = word == "silent" ? "silent" : "sound";
  result.best = {
      .score = score, .level = 3, .victory = score > 1000, .minesKilled = 2, .retraces = 500};
  result.games = {result.best};
  result.recordingDigest = "digest of " + script;
  return result;
}

RecordingIdentity StubVerifier::identify(const std::string& script) {
  const std::string word = script.substr(0, script.find(' '));
  if (word != "bad" && word != "refuse") {
    return {word == "silent" ? "silent" : "sound", "digest of " + script, std::nullopt};
  }
  return {{}, {}, outcome(script)};
}

void StubVerifier::open() {
  gate_.set_value();
}

void StubVerifier::awaitWaiting() {
  waiting_.get_future().wait();
}

Store& FlakyStore::check() {
  if (failing) throw StoreError("the scratch database is switched off");
  return *store_;
}

TestHall::TestHall(HallSetup setup) {
  store = std::make_unique<FlakyStore>(
      openStore("sqlite:" + (directory_.path() / "hall.sqlite").string()));
  pool_ = std::make_unique<VerifierPool>(
      [this](const std::string& script, int) { return verifier(script); }, setup.workers,
      setup.queue);
  setup.options.port = 0;
  server_ = std::make_unique<HallServer>(
      setup.options, *store, *pool_,
      [this](const std::string& script) { return verifier.identify(script); });
  const auto port = server_->bind();
  if (!port) throw std::runtime_error("the test hall cannot bind a port");
  port_ = *port;
  serving_ = std::thread([this] { server_->serve(); });
}

TestHall::~TestHall() {
  pool_->close();
  server_->stop();
  serving_.join();
  server_.reset();
  pool_.reset();
  store.reset();
}

httplib::Client TestHall::client() const {
  httplib::Client client("127.0.0.1", port_);
  client.set_read_timeout(20, 0);
  return client;
}

}  // namespace kestal::hall::testing
