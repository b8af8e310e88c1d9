// The per-retrace lines of the state trace (and, from display_trace.h, of the trace), written
// into caller buffers so that recording a frame allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "game/game_state.h"
#include "replay/display_trace.h"
#include "tools/replay/json_number.h"

namespace kestal::replay {

// Fourteen fields, each a key of under 24 characters and a number.
inline constexpr std::size_t STATE_LINE_MAX_CHARS = 14 * (24 + JSON_NUMBER_MAX_CHARS) + 4;

// The game's chief state as one JSON object and a line end.
char* appendStateLine(char* out, std::uint64_t retrace, const GameState& state,
                      std::uint64_t randomDraws);

}  // namespace kestal::replay
