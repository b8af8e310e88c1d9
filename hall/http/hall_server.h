// The hall's HTTP server: Boost.Beast on one Asio thread, which holds every connection while
// it waits for a client (a waiting connection costs a few KiB, not a thread), and a bounded
// set of threads that answer whole requests, which may wait for the database or a
// verification.
#pragma once

#include <memory>
#include <optional>

#include "hall/http/hall_context.h"

namespace kestal::hall {

class HallServer {
 public:
  HallServer(HallServerOptions options, Store& store, VerifierPool& pool,
             IdentifyFunction identify = identifyRecording);
  ~HallServer();
  HallServer(const HallServer&) = delete;
  HallServer& operator=(const HallServer&) = delete;

  // The port now bound (the one chosen when options.port is 0), or nullopt.
  std::optional<int> bind();
  // Serves on the bound port until stop(); false when it could not.
  bool serve();
  // Any thread, any time, also before serve(): no new request is taken; answers under way
  // are written within a couple of seconds, then serve() returns.
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kestal::hall
