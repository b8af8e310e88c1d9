#include "bench/hall/timed_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace kestal::hall::load {
namespace {

template <typename T>
T median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

TimedRun timedRun(const std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  for (const std::string& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
  pointers.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return {};
  if (pid == 0) {
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, STDIN_FILENO);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    execv(pointers[0], pointers.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  TimedRun run;
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakKiB = usage.ru_maxrss;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

TimedRun medianRun(const std::vector<std::string>& argv, int runs) {
  std::vector<double> seconds;
  std::vector<long> peaks;
  TimedRun result;
  result.status = 0;
  for (int i = 0; i < runs; ++i) {
    const TimedRun run = timedRun(argv);
    if (result.status == 0) result.status = run.status;
    seconds.push_back(run.seconds);
    peaks.push_back(run.peakKiB);
  }
  result.seconds = median(seconds);
  result.peakKiB = median(peaks);
  return result;
}

}  // namespace kestal::hall::load
