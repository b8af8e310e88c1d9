#include "replay/recording_limits.h"

namespace kestal::replay {

std::string sizeOverLimit(std::uint64_t bytes) {
  return "is " + std::to_string(bytes) + " bytes, " + std::to_string(bytes - RECORDING_MAX_BYTES) +
         " more than the " + std::to_string(RECORDING_MAX_BYTES) +
         " bytes (4 MiB) a recording may have";
}

std::string eventCountOverLimit(std::uint64_t count) {
  return "has " + std::to_string(count) + " key events, " +
         std::to_string(count - RECORDING_MAX_EVENTS) + " more than the " +
         std::to_string(RECORDING_MAX_EVENTS) + " a recording may have";
}

}  // namespace kestal::replay
