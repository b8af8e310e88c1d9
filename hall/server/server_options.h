// How the hall's HTTP server is set up: where it listens and what it allows each client.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace kestal::hall {

struct HallServerOptions {
  std::string host = "127.0.0.1";
  int port = 8081;          // 0: any free port
  std::string allowOrigin;  // empty: no other site's page may call
  int ratePerMinute = 10;   // submissions per client address
  // A 4 MiB script escaped as JSON, with room to spare.
  std::size_t bodyLimit = std::size_t{9} << 20;
  std::size_t headerLimit = std::size_t{16} << 10;
  // A request's head must arrive within readTimeout, and its body within readTimeout more
  // for every 64 KiB; a client silent for readTimeout is let go either way.
  std::chrono::milliseconds readTimeout{10000};
  std::chrono::milliseconds writeTimeout{10000};
  // The next request on a connection kept open must arrive whole within this.
  std::chrono::milliseconds keepAliveTimeout{3000};
  std::size_t keepAliveMaxCount = 20;
  // Connections held at once. Beyond, the one that has waited longest for a request makes
  // room, or, when every one has a request under way, the new one is answered 503 and
  // closed. A waiting connection costs a few KiB, not a thread.
  std::size_t maxConnections = 4000;
  // Request bodies held in memory at once, all connections together; beyond, 503.
  std::size_t bodyBudget = std::size_t{64} << 20;
  // Threads answering requests beyond those a verification may hold while it waits.
  std::size_t spareThreads = 8;
};

}  // namespace kestal::hall
