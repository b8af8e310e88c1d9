// A libpq connection URI as it may be shown: in errors and logs.
#pragma once

#include <string>
#include <string_view>

namespace kestal::hall {

// `uri` without its password, whether given as user:password@ or as ?password=.
std::string uriWithoutPassword(std::string_view uri);

}  // namespace kestal::hall
