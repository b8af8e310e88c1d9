// The limits every reader of a recording obeys: the replay tool, the page and the hall of
// fame. They bound what reading and replaying one recording may cost, whoever sent it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestal::replay {

inline constexpr std::size_t RECORDING_MAX_BYTES = 4u << 20;  // 4 MiB of script text
inline constexpr std::size_t RECORDING_MAX_EVENTS = 200000;
inline constexpr std::uint64_t RECORDING_MAX_RETRACE = 216000;  // an hour at 60 Hz

// What is wrong with a recording over a limit, to follow "the recording " or "key file NAME ":
// "is 5000000 bytes, 805696 more than ...".
std::string sizeOverLimit(std::uint64_t bytes);
std::string eventCountOverLimit(std::uint64_t count);

}  // namespace kestal::replay
