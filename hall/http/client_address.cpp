#include "hall/http/client_address.h"

#include <arpa/inet.h>

#include <array>
#include <cstring>
#include <optional>

namespace kestal::hall {
namespace {

bool isLoopback(std::string_view peer) {
  return peer.starts_with("127.") || peer == "::1" || peer.starts_with("::ffff:127.");
}

// The address as it is counted: IPv4 as it is written, IPv6 by its /64 (what one host is
// given to choose from), an IPv4 address written as IPv6 as IPv4. nullopt: not an address.
std::optional<std::string> countedAs(std::string_view text) {
  if (text.empty() || text.size() >= INET6_ADDRSTRLEN) return std::nullopt;
  char terminated[INET6_ADDRSTRLEN] = {};
  std::memcpy(terminated, text.data(), text.size());
  in_addr v4{};
  if (inet_pton(AF_INET, terminated, &v4) == 1) return std::string(terminated);
  in6_addr v6{};
  if (inet_pton(AF_INET6, terminated, &v6) != 1) return std::nullopt;
  std::array<char, INET6_ADDRSTRLEN> shown{};
  if (IN6_IS_ADDR_V4MAPPED(&v6)) {
    std::memcpy(&v4, &v6.s6_addr[12], sizeof v4);
    return std::string(inet_ntop(AF_INET, &v4, shown.data(), shown.size()));
  }
  std::memset(&v6.s6_addr[8], 0, 8);
  return std::string(inet_ntop(AF_INET6, &v6, shown.data(), shown.size())) + "/64";
}

}  // namespace

std::string clientAddress(std::string_view peer, std::string_view realIpHeader) {
  if (isLoopback(peer)) {
    if (auto named = countedAs(realIpHeader)) return *named;
  }
  return countedAs(peer).value_or(std::string(peer));
}

}  // namespace kestal::hall
