// Bytes sent to the hall on a bare socket, for requests no HTTP client would send.
#pragma once

#include <string>

namespace kestal::hall::testing {

struct RawExchange {
  std::string received;
  bool closedByServer = false;  // false: still open after the wait
};

// Sends `request` and reads the first whole answer, or with `untilClosed` until the server
// closes the connection; at most 20 s.
RawExchange exchangeRaw(int port, const std::string& request, bool untilClosed = false);

// The status of the first answer in `received`; 0 when there is none.
int firstStatus(const std::string& received);

}  // namespace kestal::hall::testing
