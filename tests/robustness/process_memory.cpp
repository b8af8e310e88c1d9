#include "tests/robustness/process_memory.h"

#include <cstdio>
#include <cstring>

namespace kestal::robustness {

// Plain C reading: the numbers should not move because of the reading itself.
MemoryUse currentMemoryUse() {
  MemoryUse use;
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return use;
  char line[256];
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, "VmRSS:", 6) == 0) std::sscanf(line + 6, "%ld", &use.residentKiB);
    if (std::strncmp(line, "VmHWM:", 6) == 0) std::sscanf(line + 6, "%ld", &use.peakKiB);
    if (std::strncmp(line, "RssAnon:", 8) == 0) std::sscanf(line + 8, "%ld", &use.anonymousKiB);
  }
  std::fclose(status);
  return use;
}

}  // namespace kestal::robustness
