#include "hall/store/socket_watchdog.h"

#include <sys/socket.h>

#include <algorithm>

namespace kestal::hall {

SocketWatchdog::SocketWatchdog() : thread_([this] { run(); }) {}

SocketWatchdog::~SocketWatchdog() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

SocketWatchdog::Watch::Watch(SocketWatchdog& watchdog, int socket, Clock::time_point deadline)
    : watchdog_(watchdog) {
  {
    std::lock_guard lock(watchdog_.mutex_);
    id_ = watchdog_.nextId_++;
    watchdog_.watched_.emplace(id_, Watched{socket, deadline});
  }
  watchdog_.changed_.notify_all();
}

SocketWatchdog::Watch::~Watch() {
  std::lock_guard lock(watchdog_.mutex_);
  watchdog_.watched_.erase(id_);
}

bool SocketWatchdog::Watch::expired() const {
  std::lock_guard lock(watchdog_.mutex_);
  return watchdog_.watched_.at(id_).expired;
}

void SocketWatchdog::run() {
  std::unique_lock lock(mutex_);
  while (!closing_) {
    auto next = Clock::time_point::max();
    const auto now = Clock::now();
    for (auto& [id, watched] : watched_) {
      if (watched.expired) continue;
      if (watched.deadline <= now) {
        // The blocked call sees its connection end; the socket itself stays its owner's.
        shutdown(watched.socket, SHUT_RDWR);
        watched.expired = true;
      } else {
        next = std::min(next, watched.deadline);
      }
    }
    if (next == Clock::time_point::max()) {
      changed_.wait(lock);
    } else {
      changed_.wait_until(lock, next);
    }
  }
}

}  // namespace kestal::hall
