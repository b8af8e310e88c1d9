#pragma once

#include <chrono>
#include <string>

namespace kestal::hall {

// ISO 8601 in UTC to the second: "2026-12-09T05:12:33Z".
std::string utcDate(std::chrono::system_clock::time_point when);

}  // namespace kestal::hall
