#include "hall/http/rate_limiter.h"

#include <algorithm>
#include <cmath>

namespace kestal::hall {

RateLimiter::RateLimiter(int perMinute, std::size_t maxAddresses)
    : capacity_(std::max(perMinute, 1)),
      secondsPerToken_(60.0 / capacity_),
      maxAddresses_(std::max<std::size_t>(maxAddresses, 1)) {}

double RateLimiter::tokensAt(const Bucket& bucket, Clock::time_point now) const {
  const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
  return seconds > 0 ? std::min(capacity_, bucket.tokens + seconds / secondsPerToken_)
                     : bucket.tokens;
}

std::int64_t RateLimiter::take(const std::string& address, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  auto found = buckets_.find(address);
  if (found == buckets_.end()) {
    if (buckets_.size() >= maxAddresses_) makeRoom(now);
    found = buckets_.emplace(address, Bucket{capacity_, now}).first;
  }
  Bucket& bucket = found->second;
  bucket.tokens = tokensAt(bucket, now);
  bucket.updated = std::max(bucket.updated, now);
  if (bucket.tokens >= 1.0) {
    bucket.tokens -= 1.0;
    return 0;
  }
  // At most 60 / perMinute seconds, so the conversion cannot overflow. The margin keeps a wait
  // of exactly 10 s, computed as 10.000000001, from being told as 11.
  const double wait = std::ceil((1.0 - bucket.tokens) * secondsPerToken_ - 1e-6);
  return std::max<std::int64_t>(1, static_cast<std::int64_t>(wait));
}

void RateLimiter::makeRoom(Clock::time_point now) {
  // Full buckets hold nothing worth keeping.
  std::erase_if(buckets_,
                [&](const auto& entry) { return tokensAt(entry.second, now) >= capacity_; });
  if (buckets_.size() < maxAddresses_) return;
  auto oldest = std::min_element(buckets_.begin(), buckets_.end(), [](auto& a, auto& b) {
    return a.second.updated < b.second.updated;
  });
  buckets_.erase(oldest);
}

std::size_t RateLimiter::addresses() const {
  std::lock_guard lock(mutex_);
  return buckets_.size();
}

}  // namespace kestal::hall
