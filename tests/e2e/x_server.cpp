#include "tests/e2e/x_server.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <thread>
#include <vector>

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

// A window that vanishes between two requests is no reason to end the test run.
int ignoreXErrors(Display*, XErrorEvent*) {
  return 0;
}

std::uint8_t component(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
  const int bits = std::popcount(mask);
  return static_cast<std::uint8_t>(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
}

}  // namespace

struct XServer::Connection {
  explicit Connection(const std::string& name) : display(XOpenDisplay(name.c_str())) {}
  ~Connection() {
    if (display != nullptr) XCloseDisplay(display);
  }
  Display* display;
};

std::string describe(const Rect& rect) {
  return std::to_string(rect.width) + " x " + std::to_string(rect.height) + " at (" +
         std::to_string(rect.x) + ", " + std::to_string(rect.y) + ")";
}

bool XServer::toolsInstalled() {
  return onPath("Xvfb") && onPath("openbox") && onPath("xdotool");
}

XServer::XServer(int width, int height) : width_(width), height_(height), session_(width, height) {
  XSetErrorHandler(ignoreXErrors);
  if (!session_.ready()) return;
  auto connection = std::make_unique<Connection>(session_.display());
  if (connection->display != nullptr) connection_ = std::move(connection);
}

XServer::~XServer() = default;

RgbImage XServer::capture(const Rect& area) {
  Display* display = connection_->display;
  XImage* shot = XGetImage(display, DefaultRootWindow(display), area.x, area.y,
                           static_cast<unsigned>(area.width), static_cast<unsigned>(area.height),
                           AllPlanes, ZPixmap);
  RgbImage image(area.width, area.height);
  if (shot == nullptr) return image;
  // The image's own masks may be left empty; the root window's visual has them.
  const Visual* visual = DefaultVisual(display, DefaultScreen(display));
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) {
      const unsigned long pixel = XGetPixel(shot, x, y);
      image.set(x, y,
                {component(pixel, visual->red_mask), component(pixel, visual->green_mask),
                 component(pixel, visual->blue_mask)});
    }
  }
  XDestroyImage(shot);
  return image;
}

namespace {

std::optional<WindowId> findNamed(Display* display, Window window, const std::string& title) {
  char* name = nullptr;
  if (XFetchName(display, window, &name) != 0 && name != nullptr) {
    const bool match = title == name;
    XFree(name);
    XWindowAttributes attributes;
    if (match && XGetWindowAttributes(display, window, &attributes) != 0 &&
        attributes.map_state == IsViewable) {
      return window;
    }
  }
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return std::nullopt;
  std::optional<WindowId> found;
  for (unsigned int i = 0; i < count && !found; ++i) found = findNamed(display, children[i], title);
  if (children != nullptr) XFree(children);
  return found;
}

}  // namespace

std::optional<WindowId> XServer::findWindow(const std::string& title) {
  Display* display = connection_->display;
  return findNamed(display, DefaultRootWindow(display), title);
}

std::optional<WindowId> XServer::waitForWindow(const std::string& title,
                                               std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    if (auto window = findWindow(title)) return window;
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(20ms);
  }
}

bool XServer::windowExists(WindowId window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(connection_->display, window, &attributes) != 0;
}

std::optional<Rect> XServer::windowRect(WindowId window) {
  Display* display = connection_->display;
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) == 0) return std::nullopt;
  int x = 0, y = 0;
  Window child = 0;
  if (!XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child)) {
    return std::nullopt;
  }
  return Rect{x, y, attributes.width, attributes.height};
}

std::string XServer::windowName(WindowId window) {
  char* name = nullptr;
  if (XFetchName(connection_->display, window, &name) == 0 || name == nullptr) return "";
  std::string result = name;
  XFree(name);
  return result;
}

std::string XServer::windowNetName(WindowId window) {
  Display* display = connection_->display;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                     XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &after,
                     &data);
  std::string result;
  if (data != nullptr) {
    result.assign(reinterpret_cast<const char*>(data), count);
    XFree(data);
  }
  return result;
}

bool XServer::requestClose(WindowId window) {
  Display* display = connection_->display;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  return sent != 0;
}

bool XServer::sendKey(WindowId window, const std::string& key) {
  Display* display = connection_->display;
  const KeySym symbol = XStringToKeysym(key.c_str());
  if (symbol == NoSymbol) return false;
  XEvent event{};
  XKeyEvent& press = event.xkey;
  press.display = display;
  press.window = window;
  press.root = DefaultRootWindow(display);
  press.time = CurrentTime;
  press.same_screen = True;
  press.keycode = XKeysymToKeycode(display, symbol);
  bool sent = true;
  for (const int type : {KeyPress, KeyRelease}) {
    press.type = type;
    sent = XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask,
                      &event) != 0 &&
           sent;
  }
  XFlush(display);
  return sent;
}

bool XServer::setKeyRepeat(std::chrono::milliseconds delay, std::chrono::milliseconds interval) {
  Display* display = connection_->display;
  const Bool done =
      XkbSetAutoRepeatRate(display, XkbUseCoreKbd, static_cast<unsigned>(delay.count()),
                           static_cast<unsigned>(interval.count()));
  XSync(display, False);
  return done != False;
}

}  // namespace e2e
