// A kestal-hall started as a program of its own, for tests and the load benchmark: on a free
// loopback port it reports itself, its output appended to a log file (a pipe nobody reads
// would stall it), signalled, killed and started again on demand. It dies with the thread
// that started it: start and restart it from one thread that outlives it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestal::hall::load {

struct HallLaunch {
  std::string program;                 // a kestal-hall
  std::vector<std::string> arguments;  // all but --listen
  std::filesystem::path log;
};

class HallProcess {
 public:
  // Starts it; throws std::runtime_error with the log's end when it does not listen.
  explicit HallProcess(HallLaunch launch);
  ~HallProcess();
  HallProcess(const HallProcess&) = delete;
  HallProcess& operator=(const HallProcess&) = delete;

  int port() const { return port_; }
  pid_t pid() const { return pid_; }
  // What it wrote since it last started: the "listening" line, its complaints.
  std::string output() const;

  // SIGKILL, no warning: whatever it was doing is cut off.
  void kill();
  // Again, on the same database and a new free port.
  void start();
  void signal(int number);
  // Its exit status once it ended within the timeout (128 + n after signal n).
  std::optional<int> waitForExit(std::chrono::milliseconds timeout);

 private:
  HallLaunch launch_;
  pid_t pid_ = -1;
  std::optional<int> status_;
  std::streamoff logStart_ = 0;
  int port_ = 0;
};

}  // namespace kestal::hall::load
