// A program run to its end and measured as the kernel saw it: wall time and peak memory.
#pragma once

#include <string>
#include <vector>

namespace kestal::hall::load {

struct TimedRun {
  int status = -1;  // the exit status; 128 + n after signal n
  double seconds = 0;
  long peakKiB = 0;  // the largest resident set, from wait4
};

// argv[0] is a path; the program's output is discarded.
TimedRun timedRun(const std::vector<std::string>& argv);

// The median of `runs` runs: the seconds and peak memory of the runs' medians, and the first
// status that was not 0 (0 when all were).
TimedRun medianRun(const std::vector<std::string>& argv, int runs);

}  // namespace kestal::hall::load
