#include "platform/sdl/sdl_picture.h"

namespace kestal {

PictureBuffer::PictureBuffer() : pixels_(PAGE_BYTES, argbOf(DEFAULT_PALETTE[0])) {
  setPalette(DEFAULT_PALETTE);
  dirty_.set();
}

void PictureBuffer::apply(const PresentedFrame& frame) {
  if (frame.paletteChanged) setPalette(frame.palette);
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    if (frame.paletteChanged || frame.changedRows[y]) convertRow(frame, y);
  }
}

void PictureBuffer::setPalette(const Palette& palette) {
  for (std::size_t i = 0; i < palette.size(); ++i) colours_[i] = argbOf(palette[i]);
}

void PictureBuffer::convertRow(const PresentedFrame& frame, int y) {
  const std::uint8_t* source = frame.pixels.data() + y * SCREEN_WIDTH;
  std::uint32_t* target = pixels_.data() + y * SCREEN_WIDTH;
  for (int x = 0; x < SCREEN_WIDTH; ++x) target[x] = colours_[source[x]];
  dirty_[y] = true;
}

}  // namespace kestal
