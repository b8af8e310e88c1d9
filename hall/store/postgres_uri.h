// A libpq connection URI as it may be shown: in errors and logs.
#pragma once

#include <string>
#include <string_view>

namespace kestal::hall {

// `uri` without its password, whether given as user:password@ or as ?password=.
std::string uriWithoutPassword(std::string_view uri);

// `uri` with connect_timeout=SECONDS added unless it names one.
std::string uriWithConnectTimeout(std::string_view uri, int seconds);

// Whether the URI sets the server's statement_timeout itself (options=-c statement_timeout=...).
bool uriSetsStatementTimeout(std::string_view uri);

}  // namespace kestal::hall
