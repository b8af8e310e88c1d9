// A private X server: Xvfb on a display number it picks itself (tests run side by side), with
// openbox managing its windows unless told otherwise (full screen and focus need one).
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "tests/support/child_process.h"

namespace testsupport {

class XSession {
 public:
  XSession(int width, int height, bool withWindowManager = true);
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  // Whether the server accepts connections and, when asked for, the window manager runs.
  bool ready() const { return !display_.empty(); }
  const std::string& display() const { return display_; }
  pid_t serverProcess() const { return server_ ? server_->pid() : -1; }
  // What a program needs to find this server and nothing else.
  Environment environment() const;

 private:
  std::optional<ChildProcess> server_;
  std::optional<ChildProcess> windowManager_;
  std::string display_;
};

}  // namespace testsupport
