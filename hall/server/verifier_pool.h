// Verification runs on a fixed number of threads with a bounded number of recordings waiting,
// so a crowd of submissions costs the server no more than that: beyond it they are refused at
// once instead of piling up, and one that waits too long for a worker is given up.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "hall/verify/verification.h"

namespace kestal::hall {

// The script, and a descriptor that becomes readable when the pool closes: a verification
// that waits on anything (a child process) waits on it too, and ends at once.
using VerifyFunction = std::function<Verification(const std::string& script, int stop)>;

class VerifierPool {
 public:
  // workers 0: one per core (at least one).
  VerifierPool(VerifyFunction verify, std::size_t workers, std::size_t queueLimit);
  ~VerifierPool();
  VerifierPool(const VerifierPool&) = delete;
  VerifierPool& operator=(const VerifierPool&) = delete;

  // Verifies the script on a worker and waits for it. nullopt at once when every worker is
  // busy and the queue is full, or the pool has closed. Unavailable, with a sentence, when no
  // worker took it within `startWithin` or the pool closed meanwhile. What the verify function
  // throws is thrown here.
  std::optional<Verification> verify(std::string script, std::chrono::milliseconds startWithin);

  // Refuses new work and ends what waits and what runs (Unavailable).
  void close();

  std::size_t workers() const { return threads_.size(); }
  std::size_t queueLimit() const { return queueLimit_; }

 private:
  struct Task {
    std::string script;
    bool taken = false;
    std::optional<Verification> result;
    std::exception_ptr thrown;
  };

  void work();

  VerifyFunction verify_;
  std::size_t queueLimit_;
  int stopPipe_[2] = {-1, -1};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::shared_ptr<Task>> waiting_;
  std::size_t running_ = 0;
  bool closed_ = false;
  std::vector<std::thread> threads_;
};

std::size_t defaultWorkerCount();

}  // namespace kestal::hall
