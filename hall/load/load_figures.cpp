#include "hall/load/load_figures.h"

#include <algorithm>
#include <cmath>

namespace kestal::hall::load {
namespace {

bool acknowledged(const Answer& answer) {
  return answer.status == 200 || answer.status == 201;
}

}  // namespace

double percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const double rank = std::ceil(share * static_cast<double>(values.size()));
  const std::size_t index = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
  return values[std::min(index, values.size() - 1)];
}

PhaseFigures phaseFigures(const std::vector<Answer>& answers) {
  PhaseFigures figures;
  std::vector<double> seconds;
  for (const Answer& answer : answers) {
    if (answer.attempts == 0) continue;
    ++figures.taken;
    figures.refusals += static_cast<std::size_t>(answer.refusals);
    if (!acknowledged(answer)) continue;
    ++figures.acknowledged;
    seconds.push_back(answer.seconds);
  }
  figures.medianSeconds = percentile(seconds, 0.5);
  figures.p99Seconds = percentile(seconds, 0.99);
  return figures;
}

double sustainedPerSecond(const std::vector<Answer>& answers, Clock::time_point start,
                          Clock::time_point stopAt) {
  std::vector<Clock::time_point> finished;
  for (const Answer& answer : answers) {
    if (acknowledged(answer)) finished.push_back(answer.finished);
  }
  if (finished.empty()) return 0;
  std::sort(finished.begin(), finished.end());
  const auto inTime = static_cast<std::size_t>(
      std::upper_bound(finished.begin(), finished.end(), stopAt) - finished.begin());
  // Too few for a window: everything over the whole run.
  const bool window = inTime >= 3;
  const Clock::time_point from = window ? finished.front() : start;
  const Clock::time_point to = window ? stopAt : finished.back();
  const std::size_t count = window ? inTime - 1 : finished.size();
  const double seconds = std::chrono::duration<double>(to - from).count();
  return seconds > 0 ? static_cast<double>(count) / seconds : 0;
}

}  // namespace kestal::hall::load
