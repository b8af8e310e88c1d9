// What a run of submissions comes to: its throughput and its answer times.
#pragma once

#include <cstddef>
#include <vector>

#include "hall/load/load_client.h"

namespace kestal::hall::load {

struct PhaseFigures {
  std::size_t taken = 0;         // submissions sent at all
  std::size_t acknowledged = 0;  // answered 201 or 200
  std::size_t refusals = 0;      // 503 or 429 answers along the way, each retried
  double medianSeconds = 0;      // answer times of the acknowledged ones
  double p99Seconds = 0;
};

PhaseFigures phaseFigures(const std::vector<Answer>& answers);

// Acknowledged submissions per second of a closed-loop run that kept every worker busy from
// `start` to `stopAt`: those answered after the first answer and before `stopAt`, over that
// time, which leaves out the crowd gathering and thinning.
double sustainedPerSecond(const std::vector<Answer>& answers, Clock::time_point start,
                          Clock::time_point stopAt);

// The nearest-rank percentile (share 0.5: the median) of values, 0 for none.
double percentile(std::vector<double> values, double share);

}  // namespace kestal::hall::load
