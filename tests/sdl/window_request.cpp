// Asks the window manager side of things to do what its buttons do.
//   kestal-window-request close WINDOW_ID     the close button: a WM_DELETE_WINDOW message
//   kestal-window-request maximize WINDOW_ID  the maximise button: _NET_WM_STATE to the root
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

XEvent clientMessage(Display* display, Window window, const char* type) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, type, False);
  event.xclient.format = 32;
  return event;
}

Status requestClose(Display* display, Window window) {
  XEvent event = clientMessage(display, window, "WM_PROTOCOLS");
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  return XSendEvent(display, window, False, NoEventMask, &event);
}

Status requestMaximize(Display* display, Window window) {
  constexpr long ADD = 1;
  constexpr long FROM_APPLICATION = 1;
  XEvent event = clientMessage(display, window, "_NET_WM_STATE");
  event.xclient.data.l[0] = ADD;
  event.xclient.data.l[1] =
      static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False));
  event.xclient.data.l[2] =
      static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
  event.xclient.data.l[3] = FROM_APPLICATION;
  return XSendEvent(display, DefaultRootWindow(display), False,
                    SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

}  // namespace

int main(int argc, char** argv) {
  const bool close = argc == 3 && std::strcmp(argv[1], "close") == 0;
  const bool maximize = argc == 3 && std::strcmp(argv[1], "maximize") == 0;
  if (!close && !maximize) {
    std::fprintf(stderr, "usage: %s close|maximize WINDOW_ID\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "%s: cannot open the display\n", argv[0]);
    return 1;
  }
  const Window window = std::strtoul(argv[2], nullptr, 0);
  const Status sent = close ? requestClose(display, window) : requestMaximize(display, window);
  XSync(display, False);
  XCloseDisplay(display);
  return sent != 0 ? 0 : 1;
}
