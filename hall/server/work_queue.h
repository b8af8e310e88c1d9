// A fixed number of threads taking tasks from a queue of bounded length: a task beyond it is
// refused at once, so that a crowd of requests costs a bounded amount of memory and time.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kestal::hall {

class WorkQueue {
 public:
  WorkQueue(std::size_t threads, std::size_t waitingLimit);
  // Runs what was queued, then joins the threads.
  ~WorkQueue();
  WorkQueue(const WorkQueue&) = delete;
  WorkQueue& operator=(const WorkQueue&) = delete;

  // false, at once, when `waitingLimit` tasks wait already. A task must not throw.
  bool tryPost(std::function<void()> task);

 private:
  void work();

  std::size_t waitingLimit_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> waiting_;
  bool closing_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace kestal::hall
