// What /proc says of another process: its children, its peak memory.
#pragma once

#include <sys/types.h>

#include <vector>

namespace testsupport {

std::vector<pid_t> childProcesses(pid_t parent);

// The largest resident set the process has had (VmHWM), in KiB; 0 when it cannot be read.
long peakResidentKiB(pid_t process);

}  // namespace testsupport
