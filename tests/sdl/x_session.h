// Child processes and a private X server (Xvfb with a window manager) for the display
// tests. Every process started here is ended by its own id when its owner goes away.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sdltest {

using namespace std::chrono_literals;

// Environment changes for a child: a value sets the variable, nullopt removes it.
using Environment = std::map<std::string, std::optional<std::string>>;

class ChildProcess {
 public:
  // Starts argv[0] (looked up on PATH) with the changed environment; stdout and stderr are
  // captured, or thrown away when `quiet`.
  ChildProcess(const std::vector<std::string>& argv, const Environment& environment,
               bool quiet = false);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next complete stdout line, or nullopt when none comes within the timeout.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout);
  // The exit status once the process has ended within the timeout (128 + n for signal n).
  std::optional<int> waitForExit(std::chrono::milliseconds timeout);
  bool running();
  void sendSignal(int signal);

  const std::string& output() const { return stdout_; }
  const std::string& errors() const { return stderr_; }

 private:
  void drain(std::chrono::milliseconds timeout);

  pid_t pid_ = -1;
  int stdoutFd_ = -1;
  int stderrFd_ = -1;
  std::string stdout_;
  std::size_t consumed_ = 0;  // of stdout_, by readLine
  std::string stderr_;
  std::optional<int> status_;
};

struct CommandResult {
  int status = -1;  // -1: did not finish in time
  std::string output;
  std::string errors;
};
CommandResult runCommand(const std::vector<std::string>& argv, const Environment& environment,
                         std::chrono::milliseconds timeout = 10s);

bool isInstalled(const std::string& program);

// Xvfb on a display number of its own choosing, with openbox managing its windows unless
// told otherwise (full screen needs a window manager).
class XSession {
 public:
  XSession(int width, int height, bool withWindowManager = true);
  bool ready() const { return !display_.empty(); }
  const std::string& display() const { return display_; }
  Environment environment() const;

 private:
  std::optional<ChildProcess> server_;
  std::optional<ChildProcess> windowManager_;
  std::string display_;
};

}  // namespace sdltest
