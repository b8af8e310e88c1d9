#include "hall/server/utc_date.h"

#include <ctime>

namespace kestal::hall {

std::string utcDate(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm fields{};
  gmtime_r(&seconds, &fields);
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &fields);
  return std::string(text, length);
}

}  // namespace kestal::hall
