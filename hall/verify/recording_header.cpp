#include "hall/verify/recording_header.h"

namespace kestal::hall {
namespace {

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view BLANKS = " \t\r";
  const auto first = text.find_first_not_of(BLANKS);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(BLANKS) - first + 1);
}

// "# name: value" gives value; anything else nullopt.
std::optional<std::string> field(std::string_view line, std::string_view name) {
  line = trimmed(line);
  if (!line.starts_with('#')) return std::nullopt;
  line = trimmed(line.substr(1));
  if (!line.starts_with(name) || line.substr(name.size(), 1) != ":") return std::nullopt;
  return std::string(trimmed(line.substr(name.size() + 1)));
}

}  // namespace

RecordingHeader readRecordingHeader(std::string_view script) {
  RecordingHeader header;
  while (!script.empty()) {
    const auto end = script.find('\n');
    const std::string_view line = script.substr(0, end);
    script = end == std::string_view::npos ? std::string_view{} : script.substr(end + 1);
    // The first one counts, as a reader going down the page would take it.
    if (!header.edition) header.edition = field(line, "edition");
    if (!header.version) header.version = field(line, "version");
  }
  return header;
}

}  // namespace kestal::hall
