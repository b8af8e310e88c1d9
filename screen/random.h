// The game's only source of randomness: the Microsoft C runtime's rand(), state 1 at start
// and never reseeded, so every run draws the same sequence.
#pragma once

#include <cstdint>

namespace kestal {

// The next value n / 32768 of the sequence, in [0, 1).
double randomUnit();
// How many times randomUnit has been called since the program started.
std::uint64_t randomDrawCount();
// Moves the sequence on by `count` draws at once, as that many randomUnit calls would.
void skipRandomDraws(std::uint64_t count);
// Back to the state of program start (for tools and tests that run the game repeatedly).
void resetRandom();

}  // namespace kestal
