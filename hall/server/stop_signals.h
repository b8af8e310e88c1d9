// SIGTERM and SIGINT end the server cleanly: the handler only wakes a thread, which calls
// the stop function outside signal context.
#pragma once

#include <functional>
#include <thread>

namespace kestal::hall {

class StopSignals {
 public:
  explicit StopSignals(std::function<void()> stop);
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  std::thread watcher_;
};

}  // namespace kestal::hall
