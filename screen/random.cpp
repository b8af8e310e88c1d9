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

void resetRandom() {
  state = START_STATE;
  draws = 0;
}

}  // namespace kestal
