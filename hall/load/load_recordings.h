// Distinct real recordings for load: each one a game the hall verifies, each its own entry.
#pragma once

#include <cstddef>
#include <string>

namespace kestal::hall::load {

// A short game: started, a few moves, its level left with Escape at a retrace that depends on
// `index`, and "Play again?" answered no. Odd indexes are silent-edition recordings, so both
// boards fill. Verifies in a few milliseconds.
std::string shortGame(std::size_t index);

// A game of some hundred retraces whose keys spell `index` (below 65536) in binary: as many
// distinct recordings as a flood needs, each verified in moments.
std::string numberedGame(std::size_t index);

// The whole game with its final "n" answered "y" instead and a short game after it that ends
// at a retrace depending on `index`: a distinct recording that costs a whole game to verify.
// Throws std::invalid_argument when `wholeGame` does not end with an "n" answer.
std::string wholeGameVariant(const std::string& wholeGame, std::size_t index);

}  // namespace kestal::hall::load
