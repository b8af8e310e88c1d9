#include "hall/server/rate_limiter.h"

#include <algorithm>
#include <cmath>

namespace kestal::hall {

RateLimiter::RateLimiter(int perMinute, std::size_t maxAddresses)
    : capacity_(std::max(perMinute, 1)),
      secondsPerToken_(60.0 / capacity_),
      maxAddresses_(std::max<std::size_t>(maxAddresses, 1)) {
  byAddress_.reserve(maxAddresses_);
}

double RateLimiter::tokensAt(const Bucket& bucket, Clock::time_point now) const {
  const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
  return seconds > 0 ? std::min(capacity_, bucket.tokens + seconds / secondsPerToken_)
                     : bucket.tokens;
}

std::int64_t RateLimiter::take(const std::string& address, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  auto found = byAddress_.find(address);
  if (found != byAddress_.end()) {
    buckets_.splice(buckets_.begin(), buckets_, found->second);
  } else {
    if (buckets_.size() >= maxAddresses_) {
      byAddress_.erase(buckets_.back().address);
      buckets_.pop_back();
    }
    buckets_.push_front(Bucket{address, capacity_, now});
    byAddress_.emplace(address, buckets_.begin());
  }
  Bucket& bucket = buckets_.front();
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

void RateLimiter::giveBack(const std::string& address) {
  std::lock_guard lock(mutex_);
  const auto found = byAddress_.find(address);
  if (found != byAddress_.end()) {
    found->second->tokens = std::min(capacity_, found->second->tokens + 1.0);
  }
}

std::size_t RateLimiter::addresses() const {
  std::lock_guard lock(mutex_);
  return buckets_.size();
}

}  // namespace kestal::hall
