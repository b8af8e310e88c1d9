#include "x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace sdltest {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> changedEnvironment(const Environment& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (changes.find(name) == changes.end()) result.push_back(text);
  }
  for (const auto& [name, value] : changes) {
    if (value) result.push_back(name + "=" + *value);
  }
  return result;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (std::string& s : strings) result.push_back(s.data());
  result.push_back(nullptr);
  return result;
}

int decodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

bool readAvailable(int& fd, std::string& into) {
  char buffer[65536];
  const ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) {
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
  }
  if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
    close(fd);
    fd = -1;
  }
  return false;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Environment& environment,
                           bool quiet) {
  int out[2];
  int err[2];
  if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe failed");
  std::vector<std::string> arguments = argv;
  std::vector<std::string> variables = changedEnvironment(environment);
  std::vector<char*> argumentPointers = pointers(arguments);
  std::vector<char*> variablePointers = pointers(variables);
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, STDIN_FILENO);
    dup2(quiet ? devNull : out[1], STDOUT_FILENO);
    dup2(quiet ? devNull : err[1], STDERR_FILENO);
    for (int fd : {out[0], out[1], err[0], err[1], devNull}) close(fd);
    environ = variablePointers.data();
    execvp(argumentPointers[0], argumentPointers.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  stdoutFd_ = out[0];
  stderrFd_ = err[0];
  fcntl(stdoutFd_, F_SETFL, O_NONBLOCK);
  fcntl(stderrFd_, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
  if (!status_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  if (stdoutFd_ >= 0) close(stdoutFd_);
  if (stderrFd_ >= 0) close(stderrFd_);
}

void ChildProcess::drain(std::chrono::milliseconds timeout) {
  pollfd fds[2] = {{stdoutFd_, POLLIN, 0}, {stderrFd_, POLLIN, 0}};
  if (stdoutFd_ < 0 && stderrFd_ < 0) {
    std::this_thread::sleep_for(timeout);
    return;
  }
  if (poll(fds, 2, static_cast<int>(timeout.count())) <= 0) return;
  if (stdoutFd_ >= 0 && (fds[0].revents & (POLLIN | POLLHUP))) readAvailable(stdoutFd_, stdout_);
  if (stderrFd_ >= 0 && (fds[1].revents & (POLLIN | POLLHUP))) readAvailable(stderrFd_, stderr_);
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    const std::size_t end = stdout_.find('\n', consumed_);
    if (end != std::string::npos) {
      std::string line = stdout_.substr(consumed_, end - consumed_);
      consumed_ = end + 1;
      return line;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left <= 0ms) return std::nullopt;
    if (stdoutFd_ < 0 && !running()) return std::nullopt;
    drain(std::min(left, std::chrono::milliseconds(50)));
  }
}

bool ChildProcess::running() {
  if (status_) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) {
    status_ = decodeStatus(status);
    return false;
  }
  return true;
}

void ChildProcess::sendSignal(int signal) {
  if (running()) kill(pid_, signal);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (running()) {
    if (Clock::now() >= deadline) return std::nullopt;
    drain(10ms);
  }
  // Whatever the process wrote before it ended is still in the pipes.
  while (stdoutFd_ >= 0 || stderrFd_ >= 0) drain(10ms);
  return status_;
}

CommandResult runCommand(const std::vector<std::string>& argv, const Environment& environment,
                         std::chrono::milliseconds timeout) {
  ChildProcess process(argv, environment);
  CommandResult result;
  const std::optional<int> status = process.waitForExit(timeout);
  result.status = status.value_or(-1);
  result.output = process.output();
  result.errors = process.errors();
  return result;
}

bool isInstalled(const std::string& program) {
  return runCommand({"sh", "-c", "command -v " + program}, {}).status == 0;
}

XSession::XSession(int width, int height, bool withWindowManager) {
  // -displayfd 1: the server picks a free display number and prints it once it listens.
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  server_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0", screen,
                                           "-nolisten", "tcp"},
                  Environment{});
  const std::optional<std::string> number = server_->readLine(10s);
  if (!number || number->empty()) return;
  const std::string display = ":" + *number;
  if (!withWindowManager) {
    display_ = display;
    return;
  }
  windowManager_.emplace(std::vector<std::string>{"openbox"}, Environment{{"DISPLAY", display}},
                         true);
  // The window manager announces itself on the root window once it manages windows.
  const Clock::time_point deadline = Clock::now() + 10s;
  while (Clock::now() < deadline) {
    const CommandResult check =
        runCommand({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, {{"DISPLAY", display}});
    if (check.output.find("window id") != std::string::npos) {
      display_ = display;
      return;
    }
    std::this_thread::sleep_for(50ms);
  }
}

Environment XSession::environment() const {
  return {{"DISPLAY", display_},
          {"WAYLAND_DISPLAY", std::nullopt},
          {"SDL_VIDEODRIVER", std::nullopt},
          {"SDL_RENDER_DRIVER", std::nullopt}};
}

}  // namespace sdltest
