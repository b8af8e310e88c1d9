#include "platform/sdl/sdl_window_manager.h"

#include <SDL_syswm.h>

#ifdef KESTAL_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace kestal {

#ifdef KESTAL_HAVE_X11
namespace {

// A window manager that follows the EWMH conventions (the ones SDL's full screen relies on)
// announces itself on the root window.
bool ewmhWindowManagerRuns(Display* display) {
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                        XA_WINDOW, &type, &format, &count, &remaining, &data);
  if (data != nullptr) XFree(data);
  return status == Success && type == XA_WINDOW && count == 1;
}

}  // namespace
#endif

bool windowManagerOffersFullScreen(SDL_Window* window) {
#ifdef KESTAL_HAVE_X11
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    return ewmhWindowManagerRuns(info.info.x11.display);
  }
#else
  (void)window;
#endif
  return true;
}

}  // namespace kestal
