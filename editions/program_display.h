// The display back end the two programs run on: an SDL window on the desktop, the page's
// canvas in a browser. The game itself never knows which.
#pragma once

#if defined(__EMSCRIPTEN__)
#include "screen/web/web_display.h"
namespace kestal {
using ProgramDisplay = WebDisplay;
}
#else
#include "screen/sdl/sdl_display.h"
namespace kestal {
using ProgramDisplay = SdlDisplay;
}
#endif
