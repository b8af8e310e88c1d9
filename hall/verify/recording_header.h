// What a recording's header says of itself: "# edition: sound" and "# version: 2.0". Other
// header lines (frames, date, a claimed score) are the player's word and are not read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestal::hall {

struct RecordingHeader {
  std::optional<std::string> edition;
  std::optional<std::string> version;
};

RecordingHeader readRecordingHeader(std::string_view script);

}  // namespace kestal::hall
