#include "tools/wavgen/synth.h"

#include <algorithm>
#include <cmath>

namespace kestal::wavgen {

double Noise::next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return static_cast<double>(state_) / 2147483648.0 - 1.0;
}

double LowPass::filter(double input, double cutoffHz) {
  const double coefficient = 1.0 - std::exp(-TWO_PI * cutoffHz / SAMPLE_RATE);
  state_ += coefficient * (input - state_);
  return state_;
}

int samplesFor(double seconds) {
  return static_cast<int>(std::lround(seconds * SAMPLE_RATE));
}

void fadeEdges(std::span<double> signal, double fadeInSeconds, double fadeOutSeconds) {
  const auto size = static_cast<int>(signal.size());
  const int fadeIn = std::min(samplesFor(fadeInSeconds), size);
  const int fadeOut = std::min(samplesFor(fadeOutSeconds), size);
  for (int n = 0; n < fadeIn; ++n) {
    signal[n] *= static_cast<double>(n) / fadeIn;
  }
  // The last sample reaches exactly zero.
  for (int n = 0; n < fadeOut; ++n) {
    signal[size - 1 - n] *= static_cast<double>(n) / fadeOut;
  }
}

std::vector<std::int16_t> toPcm16(std::span<const double> signal, double peak) {
  double largest = 0.0;
  for (double value : signal) {
    largest = std::max(largest, std::abs(value));
  }
  const double scale = largest > 0.0 ? peak * 32767.0 / largest : 0.0;
  std::vector<std::int16_t> samples;
  samples.reserve(signal.size());
  for (double value : signal) {
    const double scaled = std::clamp(std::round(value * scale), -32767.0, 32767.0);
    samples.push_back(static_cast<std::int16_t>(scaled));
  }
  return samples;
}

}  // namespace kestal::wavgen
