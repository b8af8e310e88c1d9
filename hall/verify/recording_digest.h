// What makes two recordings the same game: the same edition and the same keys at the same
// retraces. Comments and headers (a date, a name) do not change the game.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "replay/key_script.h"

namespace kestal::hall {

// SHA-256 in lower-case hex.
std::string recordingDigest(std::string_view edition, const std::vector<replay::KeyEvent>& events);

}  // namespace kestal::hall
