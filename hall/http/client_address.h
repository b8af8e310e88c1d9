// The address a submission is counted against. Behind a proxy on the same machine (nginx)
// every request comes from loopback; the proxy names the player's address in X-Real-IP. Only
// a process on this machine can connect from loopback, so only then is the header believed.
// An IPv6 client is counted by its /64: one host may take a fresh address for every request
// within it.
#pragma once

#include <string>
#include <string_view>

namespace kestal::hall {

std::string clientAddress(std::string_view peer, std::string_view realIpHeader);

}  // namespace kestal::hall
