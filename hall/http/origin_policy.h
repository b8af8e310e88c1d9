// Which web pages may call the hall: its own (the page served from the same host) and the one
// named by --allow-origin. A request without an Origin comes from no page and is let through.
#pragma once

#include <string>
#include <string_view>

namespace kestal::hall {

enum class OriginVerdict {
  NoOrigin,  // no Origin header
  Own,       // the server's own page
  Allowed,   // the --allow-origin page: answered with CORS headers
  Refused,
};

OriginVerdict judgeOrigin(std::string_view origin, std::string_view host,
                          std::string_view allowOrigin, bool hasOrigin);

}  // namespace kestal::hall
