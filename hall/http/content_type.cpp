#include "hall/http/content_type.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace kestal::hall {
namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string lower(std::string_view text) {
  std::string result(text);
  std::ranges::transform(result, result.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return result;
}

}  // namespace

bool isJsonContentType(std::string_view value) {
  const auto semicolon = value.find(';');
  if (lower(trim(value.substr(0, semicolon))) != "application/json") return false;
  if (semicolon == std::string_view::npos) return true;
  const std::string parameter = lower(trim(value.substr(semicolon + 1)));
  return parameter == "charset=utf-8" || parameter == "charset=\"utf-8\"";
}

}  // namespace kestal::hall
