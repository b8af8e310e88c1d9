#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> changedEnvironment(const Environment& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (changes.count(text.substr(0, text.find('='))) == 0) result.push_back(text);
  }
  for (const auto& [name, value] : changes) {
    if (value) result.push_back(name + "=" + *value);
  }
  return result;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
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

void readInto(int& fd, std::string& text) {
  char buffer[65536];
  const ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) {
    text.append(buffer, static_cast<std::size_t>(n));
  } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
    close(fd);
    fd = -1;
  }
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void becomeProgram(const Launch& launch, char* const* argv, char* const* envp, int out,
                                int err) {
  const int devNull = open("/dev/null", O_RDWR);
  dup2(devNull, STDIN_FILENO);
  dup2(launch.discardOutput ? devNull : out, STDOUT_FILENO);
  dup2(launch.discardOutput ? devNull : err, STDERR_FILENO);
  if (!launch.workingDirectory.empty() && chdir(launch.workingDirectory.c_str()) != 0) _exit(126);
  // Even a test killed by its timeout leaves no X server behind.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  execvpe(argv[0], argv, envp);
  _exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const Launch& launch) {
  int out[2];
  int err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<std::string> arguments = launch.argv;
  std::vector<std::string> variables = changedEnvironment(launch.environment);
  std::vector<char*> argv = pointersTo(arguments);
  std::vector<char*> envp = pointersTo(variables);
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) becomeProgram(launch, argv.data(), envp.data(), out[1], err[1]);
  close(out[1]);
  close(err[1]);
  stdoutFd_ = out[0];
  stderrFd_ = err[0];
  fcntl(stdoutFd_, F_SETFL, O_NONBLOCK);
  fcntl(stderrFd_, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
  kill();
  if (stdoutFd_ >= 0) close(stdoutFd_);
  if (stderrFd_ >= 0) close(stderrFd_);
}

void ChildProcess::kill() {
  if (status_ || pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  if (waitpid(pid_, &status, 0) == pid_) status_ = decodeStatus(status);
}

void ChildProcess::sendSignal(int signal) {
  if (running()) ::kill(pid_, signal);
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

void ChildProcess::drain(std::chrono::milliseconds timeout) {
  if (stdoutFd_ < 0 && stderrFd_ < 0) {
    std::this_thread::sleep_for(timeout);
    return;
  }
  pollfd fds[2] = {{stdoutFd_, POLLIN, 0}, {stderrFd_, POLLIN, 0}};
  if (poll(fds, 2, static_cast<int>(timeout.count())) <= 0) return;
  if (stdoutFd_ >= 0 && (fds[0].revents & (POLLIN | POLLHUP)) != 0) readInto(stdoutFd_, stdout_);
  if (stderrFd_ >= 0 && (fds[1].revents & (POLLIN | POLLHUP)) != 0) readInto(stderrFd_, stderr_);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (running()) {
    if (Clock::now() >= deadline) return std::nullopt;
    drain(10ms);
  }
  // What the process wrote just before it ended is still in the pipes.
  while (stdoutFd_ >= 0 || stderrFd_ >= 0) drain(10ms);
  return status_;
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    const std::size_t end = stdout_.find('\n', linesRead_);
    if (end != std::string::npos) {
      std::string line = stdout_.substr(linesRead_, end - linesRead_);
      linesRead_ = end + 1;
      return line;
    }
    if (Clock::now() >= deadline || (stdoutFd_ < 0 && !running())) return std::nullopt;
    drain(20ms);
  }
}

CommandResult runCommand(const Launch& launch, std::chrono::milliseconds timeout) {
  ChildProcess process(launch);
  CommandResult result;
  result.status = process.waitForExit(timeout);
  result.output = process.output();
  result.errors = process.errors();
  return result;
}

bool onPath(const std::string& program) {
  Launch lookUp({"sh", "-c", "command -v " + program});
  lookUp.discardOutput = true;
  return runCommand(lookUp).status == 0;
}

}  // namespace testsupport
