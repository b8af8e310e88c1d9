// This process's memory as the kernel counts it.
#pragma once

namespace kestal::robustness {

struct MemoryUse {
  long residentKiB = -1;   // VmRSS
  long peakKiB = -1;       // VmHWM: the highest resident size so far
  long anonymousKiB = -1;  // RssAnon: heap, stack and data, without the program's code
};

MemoryUse currentMemoryUse();

}  // namespace kestal::robustness
