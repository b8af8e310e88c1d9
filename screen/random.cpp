// The Microsoft C runtime's rand(): the sequence every run of the game draws.
#include "screen/random.h"

namespace kestal {
namespace {

constexpr std::uint32_t START_STATE = 1;
std::uint32_t state = START_STATE;
std::uint64_t draws = 0;

}  // namespace

double randomUnit() {
  state = state * 214013u + 2531011u;  // modulo 2^32 by unsigned wrap-around
  ++draws;
  const std::uint32_t n = (state >> 16) & 0x7FFFu;
  return n / 32768.0;
}

std::uint64_t randomDrawCount() {
  return draws;
}

// One step is x -> a x + c (mod 2^32); steps compose as affine maps, so `count` of them
// take a logarithmic number of squarings.
void skipRandomDraws(std::uint64_t count) {
  std::uint32_t multiplier = 214013u, increment = 2531011u;
  std::uint32_t totalMultiplier = 1u, totalIncrement = 0u;
  draws += count;
  while (count > 0) {
    if (count & 1u) {
      totalMultiplier *= multiplier;
      totalIncrement = totalIncrement * multiplier + increment;
    }
    increment = (multiplier + 1u) * increment;
    multiplier *= multiplier;
    count >>= 1u;
  }
  state = totalMultiplier * state + totalIncrement;
}

void resetRandom() {
  state = START_STATE;
  draws = 0;
}

}  // namespace kestal
