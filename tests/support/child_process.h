// Programs started by tests: an X server, a window manager, the program under test. Each is
// ended by its own process id when its owner goes away, so nothing outlives a test.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

using namespace std::chrono_literals;

// Changes to the inherited environment: a value sets the variable, nullopt removes it.
using Environment = std::map<std::string, std::optional<std::string>>;

struct Launch {
  explicit Launch(std::vector<std::string> arguments, Environment changes = {})
      : argv(std::move(arguments)), environment(std::move(changes)) {}

  std::vector<std::string> argv;  // argv[0] is looked up on PATH
  Environment environment;
  std::filesystem::path workingDirectory;  // empty: the test's own
  bool discardOutput = false;              // otherwise stdout and stderr are kept
};

class ChildProcess {
 public:
  explicit ChildProcess(const Launch& launch);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool running();
  // The exit status once the process has ended within the timeout; 128 + n after signal n.
  std::optional<int> waitForExit(std::chrono::milliseconds timeout);
  // The next whole line of stdout, or nullopt when none arrives within the timeout.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout);
  // Ends the process by its id (SIGKILL) and collects it.
  void kill();
  // Sends `signal` while the process still runs.
  void sendSignal(int signal);

  const std::string& output() const { return stdout_; }
  const std::string& errors() const { return stderr_; }

 private:
  void drain(std::chrono::milliseconds timeout);

  pid_t pid_ = -1;
  int stdoutFd_ = -1;
  int stderrFd_ = -1;
  std::string stdout_;
  std::string stderr_;
  std::size_t linesRead_ = 0;  // bytes of stdout_ handed out by readLine
  std::optional<int> status_;
};

struct CommandResult {
  std::optional<int> status;  // nullopt: still running at the timeout (then killed)
  std::string output;
  std::string errors;
};

CommandResult runCommand(const Launch& launch, std::chrono::milliseconds timeout = 20s);

bool onPath(const std::string& program);

}  // namespace testsupport
