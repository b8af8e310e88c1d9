// Small building blocks for the effects: a seeded noise source, a low-pass filter and the
// conversion of a float signal to 16-bit samples.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kestal::wavgen {

inline constexpr int SAMPLE_RATE = 22050;
inline constexpr double TWO_PI = 6.283185307179586476925;

// Marsaglia's xorshift32: the same seed gives the same noise on every machine, which
// keeps the generated files byte-identical from build to build.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed == 0 ? 1 : seed) {}
  // Uniform in [-1, 1).
  double next();

 private:
  std::uint32_t state_;
};

// One-pole low-pass; the cut-off may change per sample for sweeping effects.
class LowPass {
 public:
  double filter(double input, double cutoffHz);

 private:
  double state_ = 0.0;
};

// Seconds to whole samples at SAMPLE_RATE.
int samplesFor(double seconds);

// Linear ramps at the start and the end, so a one-shot effect starts and stops without a click.
void fadeEdges(std::span<double> signal, double fadeInSeconds, double fadeOutSeconds);

// Scales the signal so its largest magnitude is `peak` (of full scale), then rounds each
// sample half away from zero to 16 bits.
std::vector<std::int16_t> toPcm16(std::span<const double> signal, double peak);

}  // namespace kestal::wavgen
