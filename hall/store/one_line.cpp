#include "hall/store/one_line.h"

namespace kestal::hall {

std::string oneLine(std::string_view text) {
  constexpr std::string_view kBlank = " \t\r";
  std::string joined;
  while (!text.empty()) {
    const auto end = text.find('\n');
    auto line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    const auto first = line.find_first_not_of(kBlank);
    if (first == std::string_view::npos) continue;
    line = line.substr(first, line.find_last_not_of(kBlank) - first + 1);
    if (!joined.empty()) joined += "; ";
    joined += line;
  }
  return joined;
}

}  // namespace kestal::hall
