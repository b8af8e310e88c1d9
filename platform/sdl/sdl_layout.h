// Where the 640 x 400 picture goes in the window, and what the window is called.
#pragma once

#include <SDL.h>

#include <string>
#include <string_view>

namespace kestal {

// The program's file name without directory and extension.
std::string windowTitleFromPath(std::string_view programPath);

// The largest centred rectangle of the picture's shape inside the output. Full screen
// shows the picture at the 4:3 shape of the monitors it was drawn for (pixels 1.2 times
// taller than wide); a window shows it with square pixels.
SDL_Rect pictureRect(int outputWidth, int outputHeight, bool fullScreen);

// The output position of the centre of picture pixel (x, y).
SDL_Point outputPointOfPixel(const SDL_Rect& picture, int x, int y);

}  // namespace kestal
