#include "hall/http/routes.h"

#include <cstdint>

#include "hall/server/whole_number.h"

namespace kestal::hall {
namespace {

constexpr std::string_view kEntries = "/api/entries";

Route entryRoute(std::string_view rest) {
  RouteKind kind = RouteKind::Entry;
  constexpr std::string_view kReplay = "/replay";
  if (rest.ends_with(kReplay)) {
    rest.remove_suffix(kReplay.size());
    kind = RouteKind::EntryReplay;
  }
  const auto id = wholeNumberWithin(rest, 1, INT64_MAX);
  if (!id) return {};
  return {kind, *id};
}

}  // namespace

Route matchRoute(std::string_view path) {
  if (path == "/api/health") return {RouteKind::Health};
  if (path == kEntries) return {RouteKind::Entries};
  if (path.starts_with(kEntries) && path.substr(kEntries.size()).starts_with('/')) {
    return entryRoute(path.substr(kEntries.size() + 1));
  }
  return {};
}

bool routeAllows(RouteKind kind, std::string_view method) {
  if (kind == RouteKind::Unknown) return false;
  if (method == "GET" || method == "HEAD" || method == "OPTIONS") return true;
  return kind == RouteKind::Entries && method == "POST";
}

const char* allowedMethods(RouteKind kind) {
  return kind == RouteKind::Entries ? "GET, HEAD, POST, OPTIONS" : "GET, HEAD, OPTIONS";
}

}  // namespace kestal::hall
