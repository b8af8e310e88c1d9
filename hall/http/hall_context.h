// What the hall's answers work with.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "hall/http/rate_limiter.h"
#include "hall/http/verifier_pool.h"
#include "hall/store/store.h"

namespace kestal::hall {

struct HallServerOptions {
  std::string host = "127.0.0.1";
  int port = 8081;          // 0: any free port
  std::string allowOrigin;  // empty: no other site's page may call
  int ratePerMinute = 10;   // submissions per client address
  // A 4 MiB script escaped as JSON, with room to spare.
  std::size_t bodyLimit = std::size_t{9} << 20;
  std::chrono::milliseconds readTimeout{10000};
  std::chrono::milliseconds writeTimeout{10000};
  std::chrono::seconds keepAliveTimeout{3};
  std::size_t keepAliveMaxCount = 20;
  // Connections served at once beyond the verifications that may wait on the pool.
  std::size_t spareThreads = 8;
};

struct HallContext {
  const HallServerOptions& options;
  Store& store;
  VerifierPool& pool;
  RateLimiter& limiter;
};

}  // namespace kestal::hall
