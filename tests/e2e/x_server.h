// A private X server with a window manager for one test, and an Xlib connection of the
// test's own for screenshots, window facts and the close button.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "tests/e2e/rgb_image.h"
#include "tests/support/child_process.h"
#include "tests/support/x_session.h"

namespace e2e {

// The shared harness, under the names the end-to-end tests use.
using namespace std::chrono_literals;
using testsupport::ChildProcess;
using testsupport::CommandResult;
using testsupport::Environment;
using testsupport::Launch;
using testsupport::onPath;
using testsupport::runCommand;

using WindowId = unsigned long;

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

std::string describe(const Rect& rect);

class XServer {
 public:
  XServer(int width, int height);
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // Whether Xvfb, openbox and xdotool are all installed.
  static bool toolsInstalled();

  bool ready() const { return connection_ != nullptr; }
  const std::string& name() const { return session_.display(); }
  pid_t serverProcess() const { return session_.serverProcess(); }
  Rect screen() const { return {0, 0, width_, height_}; }
  // What a program needs to find this server and nothing else.
  Environment environment() const { return session_.environment(); }

  // The whole screen as it is displayed, or a part of it.
  RgbImage screenshot() { return capture(screen()); }
  RgbImage capture(const Rect& area);
  // A shown window whose title is exactly `title`. A program may replace its window while it
  // sets up (SDL does, to get one that suits its renderer): ask again rather than keep it.
  std::optional<WindowId> findWindow(const std::string& title);
  std::optional<WindowId> waitForWindow(const std::string& title,
                                        std::chrono::milliseconds timeout);
  bool windowExists(WindowId window);
  // Where the window's own area lies on the screen.
  std::optional<Rect> windowRect(WindowId window);
  // The title as X and as desktops (UTF-8) know it.
  std::string windowName(WindowId window);
  std::string windowNetName(WindowId window);
  // What the window manager's close button does: a WM_DELETE_WINDOW message.
  bool requestClose(WindowId window);
  // A key press and release sent straight to the window, as xdotool's --window does, but
  // without starting a process (for timing). `key` is an X keysym name ("7", "BackSpace").
  bool sendKey(WindowId window, const std::string& key);
  // Auto-repeat of held keys: the first repeat after `delay`, then one every `interval`.
  bool setKeyRepeat(std::chrono::milliseconds delay, std::chrono::milliseconds interval);

 private:
  struct Connection;

  int width_;
  int height_;
  testsupport::XSession session_;
  std::unique_ptr<Connection> connection_;
};

}  // namespace e2e
