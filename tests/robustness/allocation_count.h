// Counts this program's heap allocations (counting_new.cpp replaces the global operator
// new of the program that links it).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestal::robustness {

struct AllocationCount {
  std::uint64_t count = 0;
  std::uint64_t firstTag = 0;  // the tag in force at the first counted allocation
  std::size_t firstSize = 0;
};

void startCountingAllocations();
// What was counted since the start; counting stops.
AllocationCount stopCountingAllocations();
// A number to remember with the first allocation (the test sets the retrace).
void tagAllocations(std::uint64_t tag);

}  // namespace kestal::robustness
