// What makes the two programs differ, fixed when each is built.
#pragma once

#include <string_view>

namespace kestal {

struct Edition {
  std::string_view delayPrompt;  // 20 characters, so the typed delay starts in column 21
  double zeroDelay;              // delayCount given to a zero delay at each level start
};

inline constexpr Edition SOUND_EDITION{"  Delay?  (E.g., 1) ", 1};
inline constexpr Edition SILENT_EDITION{"Delay? (E.g., 5000) ", 5000};

}  // namespace kestal
