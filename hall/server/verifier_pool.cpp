#include "hall/server/verifier_pool.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <utility>

namespace kestal::hall {
namespace {

Verification unavailable(std::string sentence) {
  Verification verification;
  verification.status = VerificationStatus::Unavailable;
  verification.error = std::move(sentence);
  return verification;
}

const char* const kStopping = "The server is stopping; please submit the recording again shortly.";
const char* const kNoWorker =
    "The hall is busy checking other recordings; please try again shortly.";

}  // namespace

std::size_t defaultWorkerCount() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : cores;
}

VerifierPool::VerifierPool(VerifyFunction verify, std::size_t workers, std::size_t queueLimit)
    : verify_(std::move(verify)), queueLimit_(queueLimit) {
  // Close-on-exec: verification children must not hold it.
  if (pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("cannot make the stop pipe");
  const std::size_t count = workers == 0 ? defaultWorkerCount() : workers;
  threads_.reserve(count);
  for (std::size_t i = 0; i < count; ++i) threads_.emplace_back([this] { work(); });
}

VerifierPool::~VerifierPool() {
  close();
  for (std::thread& thread : threads_) thread.join();
  ::close(stopPipe_[0]);
}

std::optional<Verification> VerifierPool::verify(std::string script,
                                                 std::chrono::milliseconds startWithin) {
  const auto startBy = std::chrono::steady_clock::now() + startWithin;
  auto task = std::make_shared<Task>();
  task->script = std::move(script);
  std::unique_lock lock(mutex_);
  // Counted from submission, not from when a worker picks it up, so the answer does not
  // depend on how fast the workers wake.
  if (closed_ || running_ + waiting_.size() >= threads_.size() + queueLimit_) return std::nullopt;
  waiting_.push_back(task);
  changed_.notify_all();
  const bool settled = changed_.wait_until(lock, startBy, [&] { return task->taken || closed_; });
  if (!task->taken) {
    // Closing emptied the queue already; a wait that ran out leaves it here.
    std::erase(waiting_, task);
    return unavailable(settled ? kStopping : kNoWorker);
  }
  changed_.wait(lock, [&] { return task->result || task->thrown; });
  if (task->thrown) std::rethrow_exception(task->thrown);
  return std::move(task->result);
}

void VerifierPool::close() {
  {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    closed_ = true;
    waiting_.clear();
  }
  // Readable from now on for every verification that polls it.
  ::close(stopPipe_[1]);
  changed_.notify_all();
}

void VerifierPool::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return closed_ || !waiting_.empty(); });
    if (waiting_.empty()) return;
    const std::shared_ptr<Task> task = waiting_.front();
    waiting_.pop_front();
    task->taken = true;
    ++running_;
    changed_.notify_all();
    lock.unlock();
    std::optional<Verification> result;
    std::exception_ptr thrown;
    try {
      result = verify_(task->script, stopPipe_[0]);
    } catch (...) {
      thrown = std::current_exception();
    }
    lock.lock();
    task->result = std::move(result);
    task->thrown = thrown;
    --running_;
    changed_.notify_all();
  }
}

}  // namespace kestal::hall
