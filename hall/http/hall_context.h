// What the hall's answers work with.
#pragma once

#include <functional>
#include <string>

#include "hall/server/rate_limiter.h"
#include "hall/server/server_options.h"
#include "hall/server/verifier_pool.h"
#include "hall/store/store.h"
#include "hall/verify/verification.h"

namespace kestal::hall {

// What a recording is before it is played (identifyRecording, or a test's stand-in).
using IdentifyFunction = std::function<RecordingIdentity(const std::string& script)>;

struct HallContext {
  const HallServerOptions& options;
  Store& store;
  VerifierPool& pool;
  RateLimiter& limiter;
  IdentifyFunction identify;
};

}  // namespace kestal::hall
