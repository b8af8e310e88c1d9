#include "hall/http/origin_policy.h"

#include <algorithm>
#include <cctype>

namespace kestal::hall {
namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// Behind a proxy that adds TLS the page's scheme is https while Host stays the same.
bool isOwnOrigin(std::string_view origin, std::string_view host) {
  if (host.empty()) return false;
  for (std::string_view scheme : {"http://", "https://"}) {
    if (origin.size() == scheme.size() + host.size() &&
        equalIgnoringCase(origin.substr(0, scheme.size()), scheme) &&
        equalIgnoringCase(origin.substr(scheme.size()), host)) {
      return true;
    }
  }
  return false;
}

}  // namespace

OriginVerdict judgeOrigin(std::string_view origin, std::string_view host,
                          std::string_view allowOrigin, bool hasOrigin) {
  if (!hasOrigin) return OriginVerdict::NoOrigin;
  if (!allowOrigin.empty() && origin == allowOrigin) return OriginVerdict::Allowed;
  if (isOwnOrigin(origin, host)) return OriginVerdict::Own;
  return OriginVerdict::Refused;
}

}  // namespace kestal::hall
