// The hall's addresses and the methods each takes.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestal::hall {

enum class RouteKind { Unknown, Health, Entries, Entry, EntryReplay };

struct Route {
  RouteKind kind = RouteKind::Unknown;
  std::int64_t id = 0;  // Entry and EntryReplay
};

// An entry's address with anything but a positive whole number for its id is Unknown.
Route matchRoute(std::string_view path);

bool routeAllows(RouteKind kind, std::string_view method);
// The Allow header's value.
const char* allowedMethods(RouteKind kind);

}  // namespace kestal::hall
