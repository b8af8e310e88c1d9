#include "tests/support/x_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <thread>

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;

// openbox announces itself on the root window once it manages windows.
bool waitForWindowManager(const std::string& name, std::chrono::milliseconds timeout) {
  Display* display = XOpenDisplay(name.c_str());
  if (display == nullptr) return false;
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  const Clock::time_point deadline = Clock::now() + timeout;
  bool managed = false;
  while (!managed && Clock::now() < deadline) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                       &format, &count, &after, &data);
    if (data != nullptr) XFree(data);
    managed = count == 1;
    if (!managed) std::this_thread::sleep_for(50ms);
  }
  XCloseDisplay(display);
  return managed;
}

}  // namespace

XSession::XSession(int width, int height, bool withWindowManager) {
  // -displayfd: the server takes the first free display number and says which once it
  // accepts connections.
  const std::string size = std::to_string(width) + "x" + std::to_string(height) + "x24";
  server_.emplace(Launch({"Xvfb", "-displayfd", "1", "-screen", "0", size, "-nolisten", "tcp"}));
  const std::optional<std::string> number = server_->readLine(15s);
  if (!number || number->empty()) return;
  const std::string name = ":" + *number;
  if (withWindowManager) {
    Launch windowManager({"openbox"}, {{"DISPLAY", name}});
    windowManager.discardOutput = true;
    windowManager_.emplace(windowManager);
    if (!waitForWindowManager(name, 15s)) return;
  }
  display_ = name;
}

Environment XSession::environment() const {
  return {{"DISPLAY", display_},
          {"WAYLAND_DISPLAY", std::nullopt},
          {"SDL_VIDEODRIVER", std::nullopt},
          {"SDL_RENDER_DRIVER", std::nullopt}};
}

}  // namespace testsupport
