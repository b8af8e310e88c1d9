#include "hall/server/work_queue.h"

#include <utility>

namespace kestal::hall {

WorkQueue::WorkQueue(std::size_t threads, std::size_t waitingLimit) : waitingLimit_(waitingLimit) {
  threads_.reserve(threads);
  for (std::size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
}

WorkQueue::~WorkQueue() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

bool WorkQueue::tryPost(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    if (closing_ || waiting_.size() >= waitingLimit_) return false;
    waiting_.push_back(std::move(task));
  }
  wake_.notify_one();
  return true;
}

void WorkQueue::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
    if (waiting_.empty()) return;
    std::function<void()> task = std::move(waiting_.front());
    waiting_.pop_front();
    lock.unlock();
    task();
    lock.lock();
  }
}

}  // namespace kestal::hall
