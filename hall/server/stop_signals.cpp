#include "hall/server/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace kestal::hall {
namespace {

// One server per process; the handler can reach nothing but this.
int wakeFds[2] = {-1, -1};

constexpr char kSignalled = 's';
constexpr char kDone = 'd';

extern "C" void onStopSignal(int) {
  const int saved = errno;
  const char byte = kSignalled;
  [[maybe_unused]] const ssize_t written = write(wakeFds[1], &byte, 1);
  errno = saved;
}

void setHandler(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

}  // namespace

StopSignals::StopSignals(std::function<void()> stop) {
  // Close-on-exec: verification children must not hold the pipe.
  if (pipe2(wakeFds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make the signal pipe");
  watcher_ = std::thread([stop = std::move(stop)] {
    char byte = 0;
    ssize_t got = 0;
    do {
      got = read(wakeFds[0], &byte, 1);
    } while (got < 0 && errno == EINTR);
    if (got == 1 && byte == kSignalled) stop();
  });
  setHandler(onStopSignal);
}

StopSignals::~StopSignals() {
  setHandler(SIG_DFL);
  const char byte = kDone;
  [[maybe_unused]] const ssize_t written = write(wakeFds[1], &byte, 1);
  watcher_.join();
  close(wakeFds[0]);
  close(wakeFds[1]);
  wakeFds[0] = wakeFds[1] = -1;
}

}  // namespace kestal::hall
