// Submissions per client address: a token bucket per address, refilled evenly over a minute.
// Addresses live only in memory, and only as many as the cap; the one seen least recently
// makes room for a new one, so that keeping the table costs the same whatever its size.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>

namespace kestal::hall {

class RateLimiter {
 public:
  using Clock = std::chrono::steady_clock;

  RateLimiter(int perMinute, std::size_t maxAddresses = 10000);

  // 0 when a token was taken; otherwise the whole seconds (at least 1) until the next one.
  std::int64_t take(const std::string& address, Clock::time_point now);
  // Gives back a token taken for work that was then not done.
  void giveBack(const std::string& address);

  std::size_t addresses() const;

 private:
  struct Bucket {
    std::string address;
    double tokens = 0;
    Clock::time_point updated;
  };
  using Buckets = std::list<Bucket>;  // the most recently seen first

  double tokensAt(const Bucket& bucket, Clock::time_point now) const;

  double capacity_;
  double secondsPerToken_;
  std::size_t maxAddresses_;
  mutable std::mutex mutex_;
  Buckets buckets_;
  std::unordered_map<std::string, Buckets::iterator> byAddress_;
};

}  // namespace kestal::hall
