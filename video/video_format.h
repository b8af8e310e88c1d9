// The shape of every video made from a recording, natively and in the browser alike.
#pragma once

#include "screen/screen.h"

namespace kestal::video {

// One frame per retrace, at the game's own 60 Hz.
inline constexpr int FRAME_RATE = 60;

// The picture at 4:3, the shape the game is shown in, 1280 pixels wide: each pixel becomes
// two columns (whole, so every chroma sample of 4:2:0 covers exactly one pixel across) and
// 2 or 3 rows (2.4 on average, never blended).
inline constexpr int VIDEO_WIDTH = 2 * SCREEN_WIDTH;
inline constexpr int VIDEO_HEIGHT = VIDEO_WIDTH * 3 / 4;
static_assert(VIDEO_HEIGHT == 960);

// Mono sound at the rate both AAC and Opus take: a whole number of samples per retrace.
inline constexpr int SOUND_RATE = 48000;
inline constexpr int SAMPLES_PER_RETRACE = SOUND_RATE / FRAME_RATE;
static_assert(SAMPLES_PER_RETRACE * FRAME_RATE == SOUND_RATE);

}  // namespace kestal::video
