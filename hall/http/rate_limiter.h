// Submissions per client address: a token bucket per address, refilled evenly over a minute.
// Addresses live only in memory, and only as many as the cap; the buckets that matter least
// (full ones, which remember nothing, then the oldest) make room for new ones.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace kestal::hall {

class RateLimiter {
 public:
  using Clock = std::chrono::steady_clock;

  RateLimiter(int perMinute, std::size_t maxAddresses = 10000);

  // 0 when a token was taken; otherwise the whole seconds (at least 1) until the next one.
  std::int64_t take(const std::string& address, Clock::time_point now);

  std::size_t addresses() const;

 private:
  struct Bucket {
    double tokens = 0;
    Clock::time_point updated;
  };

  double tokensAt(const Bucket& bucket, Clock::time_point now) const;
  void makeRoom(Clock::time_point now);

  double capacity_;
  double secondsPerToken_;
  std::size_t maxAddresses_;
  mutable std::mutex mutex_;
  std::map<std::string, Bucket> buckets_;
};

}  // namespace kestal::hall
