// Verification in a child process: the game core keeps its state in one place per process,
// and a child also bounds what one recording may cost (time, memory) and keeps a fault in it
// from reaching the server.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "hall/time_budget.h"
#include "hall/verify/verification.h"

namespace kestal::hall {

struct ChildLimits {
  // Wall clock for writing the script, the replay and reading the answer; then the child is
  // killed. See the README's time budget.
  std::chrono::milliseconds time = budget::CHILD;
  std::size_t memoryBytes = 1u << 30;      // address space of the child
  std::string program = "/proc/self/exe";  // a kestal-hall
};

// Starts this program again as `kestal-hall --verify-child`, with its standard descriptors
// and nothing else of the server's, gives it the script on its standard input and reads its
// verification. A child that fails, overruns or dies gives a Failed verification worded for
// the player, never an exception. When `stop` (a descriptor) becomes readable the child is
// killed at once and the verification is Unavailable: the server is stopping. Any thread may
// call it.
Verification verifyInChild(const std::string& script, const ChildLimits& limits = {},
                           int stop = -1);

// False in a sanitized build, whose children keep the address space the sanitizer needs.
bool childMemoryIsBounded();

}  // namespace kestal::hall
