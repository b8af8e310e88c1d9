// Whether the window system can put a window into full screen. SDL asks the window manager
// for it; under X11 without one the request is lost while SDL goes on drawing for a full
// screen, cropping the picture to the still window-sized window.
#pragma once

#include <SDL.h>

namespace kestal {

bool windowManagerOffersFullScreen(SDL_Window* window);

}  // namespace kestal
