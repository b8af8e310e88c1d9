#include "platform/web/web_picture.h"

namespace kestal {
namespace {

// ImageData is byte-ordered R, G, B, A; WebAssembly is little-endian.
std::uint32_t rgbaWord(const Rgb& c) {
  return 0xFF000000u | static_cast<std::uint32_t>(c.b) << 16 |
         static_cast<std::uint32_t>(c.g) << 8 | c.r;
}

}  // namespace

void WebPicture::rebuildColours() {
  for (std::size_t i = 0; i < colours_.size(); ++i) colours_[i] = rgbaWord(frame_.palette[i]);
}

void WebPicture::convertRow(int y) {
  const std::size_t start = static_cast<std::size_t>(y) * SCREEN_WIDTH;
  const std::uint8_t* indices = frame_.pixels.data() + start;
  std::uint32_t* out = rgba_.data() + start;
  for (int x = 0; x < SCREEN_WIDTH; ++x) out[x] = colours_[indices[x]];
}

WebPicture::ChangedRows WebPicture::update() {
  ChangedRows changed;
  if (!collectChanges(frame_)) return changed;
  if (frame_.paletteChanged) {
    // A new palette recolours everything on display, without any page copy.
    rebuildColours();
    frame_.changedRows.set();
  }
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    if (!frame_.changedRows.test(static_cast<std::size_t>(y))) continue;
    convertRow(y);
    if (y < changed.first) changed.first = y;
    changed.last = y;
  }
  return changed;
}

}  // namespace kestal
