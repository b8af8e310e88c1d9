// The display back end the two programs run on: an SDL window on the desktop, the page's
// canvas in a browser. The game itself never knows which.
#pragma once

#if defined(__EMSCRIPTEN__)
#include "platform/web/web_display.h"
namespace kestal {
using ProgramDisplay = WebDisplay;
}
#else
#include "platform/sdl/sdl_display.h"
namespace kestal {
using ProgramDisplay = SdlDisplay;
}
#endif
