// How long each part of a submission's way may take. Each waits on the one before it and is
// given a little longer; the README's table holds the same numbers, as do the nginx example
// (packaging/hall/nginx-site), the site server (tools/site/hall-forward.js) and the page
// (platform/web/page/page-hall.js). The longest recording the hall accepts, 216,000
// retraces with a key at nearly every one, replays in 0.8 s of processor time here without
// its pictures (about 25 s when it drew them): the child's limit leaves room for a machine
// kept busy by other work and for the sanitizer builds, several times slower.
#pragma once

#include <chrono>

namespace kestal::hall::budget {

using std::chrono::seconds;

// One replay in its child process, from the script written to the answer read.
inline constexpr seconds CHILD{90};
// A submission waiting for a free worker; then it is answered 503 (nothing done).
inline constexpr seconds WORKER_WAIT{10};
// Entering the verified game and finding its rank.
inline constexpr seconds DATABASE{10};
// The hall's answer to a submission, at the latest.
inline constexpr seconds HALL = WORKER_WAIT + CHILD + DATABASE;
// nginx's proxy_read_timeout and the site server's wait for the hall.
inline constexpr seconds PROXY{115};
// The page's wait for its entry.
inline constexpr seconds PAGE{120};
// From SIGTERM to the end of the process (the unit's TimeoutStopSec is longer).
inline constexpr seconds STOP{5};

static_assert(CHILD < HALL && HALL < PROXY && PROXY < PAGE);

}  // namespace kestal::hall::budget
