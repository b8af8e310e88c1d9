// The game's five sound effects, synthesised from nothing but arithmetic and a seeded
// noise source, as 16-bit mono samples at SAMPLE_RATE.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kestal::wavgen {

// An endlessly rising glissando (octave-spaced voices gliding up one octave per loop), so
// it rises whether played once or looped for the warp animation.
std::vector<std::int16_t> makeWarp();
// A bright square-wave chirp climbing two octaves under a quickening tremolo.
std::vector<std::int16_t> makeShield();
// A sawtooth buzz whose every component completes whole cycles over the file, so the
// looping laser has no seam.
std::vector<std::int16_t> makeLaser();
// A short thump with a noise crack on top.
std::vector<std::int16_t> makeHit();
// Noise through a closing low-pass filter under a decaying envelope, over a low rumble.
std::vector<std::int16_t> makeExplosion();

struct EffectRecipe {
  std::string_view fileName;
  std::vector<std::int16_t> (*make)();
};

// In the game's slot order.
inline constexpr std::array<EffectRecipe, 5> EFFECT_RECIPES{{
    {"Warp.wav", makeWarp},
    {"Shield.wav", makeShield},
    {"Laser.wav", makeLaser},
    {"Hit.wav", makeHit},
    {"Explosion.wav", makeExplosion},
}};

}  // namespace kestal::wavgen
