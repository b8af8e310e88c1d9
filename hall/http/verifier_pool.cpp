#include "hall/http/verifier_pool.h"

#include <exception>
#include <utility>

namespace kestal::hall {

std::size_t defaultWorkerCount() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : cores;
}

VerifierPool::VerifierPool(VerifyFunction verify, std::size_t workers, std::size_t queueLimit)
    : verify_(std::move(verify)), queueLimit_(queueLimit) {
  const std::size_t count = workers == 0 ? defaultWorkerCount() : workers;
  threads_.reserve(count);
  for (std::size_t i = 0; i < count; ++i) threads_.emplace_back([this] { work(); });
}

VerifierPool::~VerifierPool() {
  close();
  for (std::thread& thread : threads_) thread.join();
}

std::optional<std::future<Verification>> VerifierPool::submit(std::string script) {
  std::future<Verification> future;
  {
    std::lock_guard lock(mutex_);
    // Counted from submission, not from when a worker picks it up, so the answer does not
    // depend on how fast the workers wake.
    if (closed_ || running_ + waiting_.size() >= threads_.size() + queueLimit_) return std::nullopt;
    waiting_.push_back(Task{std::move(script), {}});
    future = waiting_.back().result.get_future();
  }
  wake_.notify_one();
  return future;
}

void VerifierPool::close() {
  std::deque<Task> abandoned;
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    abandoned.swap(waiting_);
  }
  wake_.notify_all();
  for (Task& task : abandoned) {
    Verification stopping;
    stopping.status = VerificationStatus::Failed;
    stopping.error = "The server is stopping; please submit the recording again later.";
    task.result.set_value(std::move(stopping));
  }
}

void VerifierPool::work() {
  for (;;) {
    Task task;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return closed_ || !waiting_.empty(); });
      if (waiting_.empty()) return;
      task = std::move(waiting_.front());
      waiting_.pop_front();
      ++running_;
    }
    try {
      task.result.set_value(verify_(task.script));
    } catch (...) {
      task.result.set_exception(std::current_exception());
    }
    std::lock_guard lock(mutex_);
    --running_;
  }
}

}  // namespace kestal::hall
