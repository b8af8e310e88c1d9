#include "platform/sdl/sdl_layout.h"

#include "screen/screen.h"

namespace kestal {

std::string windowTitleFromPath(std::string_view programPath) {
  const std::size_t slash = programPath.find_last_of("/\\");
  std::string_view name =
      slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

SDL_Rect pictureRect(int outputWidth, int outputHeight, bool fullScreen) {
  const int shapeWidth = fullScreen ? 4 : SCREEN_WIDTH;
  const int shapeHeight = fullScreen ? 3 : SCREEN_HEIGHT;
  SDL_Rect rect{0, 0, outputWidth, outputHeight};
  // 64-bit products: output sizes times 640 stay far from overflow either way.
  const long long wide = static_cast<long long>(outputWidth) * shapeHeight;
  const long long tall = static_cast<long long>(outputHeight) * shapeWidth;
  if (wide > tall) {
    rect.w = static_cast<int>(tall / shapeHeight);
    rect.x = (outputWidth - rect.w) / 2;
  } else if (wide < tall) {
    rect.h = static_cast<int>(wide / shapeWidth);
    rect.y = (outputHeight - rect.h) / 2;
  }
  return rect;
}

SDL_Point outputPointOfPixel(const SDL_Rect& picture, int x, int y) {
  const long long px = (2LL * x + 1) * picture.w / (2LL * SCREEN_WIDTH);
  const long long py = (2LL * y + 1) * picture.h / (2LL * SCREEN_HEIGHT);
  return {picture.x + static_cast<int>(px), picture.y + static_cast<int>(py)};
}

}  // namespace kestal
