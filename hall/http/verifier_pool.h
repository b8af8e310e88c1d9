// Verification runs on a fixed number of threads with a bounded number of recordings waiting,
// so a crowd of submissions costs the server no more than that: beyond it they are refused at
// once instead of piling up.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "hall/verify/verification.h"

namespace kestal::hall {

using VerifyFunction = std::function<Verification(const std::string& script)>;

class VerifierPool {
 public:
  // workers 0: one per core (at least one).
  VerifierPool(VerifyFunction verify, std::size_t workers, std::size_t queueLimit);
  ~VerifierPool();
  VerifierPool(const VerifierPool&) = delete;
  VerifierPool& operator=(const VerifierPool&) = delete;

  // nullopt when every worker is busy and the queue is full (or the pool has closed).
  std::optional<std::future<Verification>> submit(std::string script);

  // Refuses new work and fails what still waits; running verifications finish.
  void close();

  std::size_t workers() const { return threads_.size(); }
  std::size_t queueLimit() const { return queueLimit_; }

 private:
  struct Task {
    std::string script;
    std::promise<Verification> result;
  };

  void work();

  VerifyFunction verify_;
  std::size_t queueLimit_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Task> waiting_;
  std::size_t running_ = 0;
  bool closed_ = false;
  std::vector<std::thread> threads_;
};

std::size_t defaultWorkerCount();

}  // namespace kestal::hall
