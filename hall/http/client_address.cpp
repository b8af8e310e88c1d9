#include "hall/http/client_address.h"

namespace kestal::hall {
namespace {

bool isLoopback(std::string_view peer) {
  return peer.starts_with("127.") || peer == "::1" || peer.starts_with("::ffff:127.");
}

// An address is short and made of hex digits, dots and colons; anything else is not one.
bool looksLikeAnAddress(std::string_view text) {
  if (text.empty() || text.size() > 45) return false;
  for (char c : text) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex && c != '.' && c != ':') return false;
  }
  return true;
}

}  // namespace

std::string clientAddress(std::string_view peer, std::string_view realIpHeader) {
  if (isLoopback(peer) && looksLikeAnAddress(realIpHeader)) return std::string(realIpHeader);
  return std::string(peer);
}

}  // namespace kestal::hall
