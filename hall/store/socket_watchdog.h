// Bounds how long a database connection may keep its caller waiting: a server that stops
// answering altogether (stopped, or cut off by the network) answers neither a statement
// timeout nor a cancel. Past its deadline a watched socket is shut down, so that the call
// blocked on it fails at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

namespace kestal::hall {

class SocketWatchdog {
 public:
  using Clock = std::chrono::steady_clock;

  SocketWatchdog();
  ~SocketWatchdog();
  SocketWatchdog(const SocketWatchdog&) = delete;
  SocketWatchdog& operator=(const SocketWatchdog&) = delete;

  // Watches `socket` while it lives; expired() once the deadline passed and the socket was
  // shut down.
  class Watch {
   public:
    Watch(SocketWatchdog& watchdog, int socket, Clock::time_point deadline);
    ~Watch();
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;
    bool expired() const;

   private:
    SocketWatchdog& watchdog_;
    std::uint64_t id_;
  };

 private:
  struct Watched {
    int socket;
    Clock::time_point deadline;
    bool expired = false;
  };

  void run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::uint64_t, Watched> watched_;
  std::uint64_t nextId_ = 0;
  bool closing_ = false;
  std::thread thread_;
};

}  // namespace kestal::hall
