// A kestal-hall started for load: on a free loopback port, its output appended to a log file
// (a pipe nobody reads would stall it), killed and started again on demand.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace kestal::hall::load {

struct HallLaunch {
  std::string program;                 // a kestal-hall
  std::vector<std::string> arguments;  // all but --listen
  std::filesystem::path log;
  testsupport::Environment environment;
};

// The process ends with its owner, and with the thread that started it (it gets SIGKILL
// when that thread ends): start and restart it from one thread that outlives it.
class HallServer {
 public:
  // Starts it; throws std::runtime_error with the log's end when it does not listen.
  explicit HallServer(HallLaunch launch);

  int port() const { return port_; }
  // SIGKILL, no warning: whatever it was doing is cut off.
  void kill();
  // Again, on the same database and a new free port.
  void start();

 private:
  HallLaunch launch_;
  std::unique_ptr<testsupport::ChildProcess> process_;
  int port_ = 0;
};

}  // namespace kestal::hall::load
