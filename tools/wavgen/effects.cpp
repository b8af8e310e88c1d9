#include "tools/wavgen/effects.h"

#include <algorithm>
#include <cmath>

#include "tools/wavgen/synth.h"

namespace kestal::wavgen {
namespace {

constexpr double PI = TWO_PI / 2.0;

double seconds(int sample) {
  return static_cast<double>(sample) / SAMPLE_RATE;
}

// Odd harmonics below `ceilingHz`: a square wave without aliasing. Each harmonic fades out
// over the last 2 kHz below the ceiling, so a rising tone sheds them without clicks.
double bandLimitedSquare(double phase, double frequencyHz, double ceilingHz) {
  constexpr double TAPER_HZ = 2000.0;
  double sum = 0.0;
  for (int harmonic = 1; harmonic * frequencyHz < ceilingHz; harmonic += 2) {
    const double taper = std::min(1.0, (ceilingHz - harmonic * frequencyHz) / TAPER_HZ);
    sum += taper * std::sin(harmonic * phase) / harmonic;
  }
  return sum;
}

}  // namespace

std::vector<std::int16_t> makeWarp() {
  constexpr int VOICES = 7;
  // Voice k's phase is 2 pi C (2^(k + x) - 2^k) at loop fraction x (lowest pitch C ln 2 Hz
  // for a one-second loop). With C whole, voice k ends the loop after whole cycles, in
  // step with voice k + 1 starting at phase 0, so the wrap is seamless.
  constexpr double LOWEST_CYCLE_FACTOR = 79.0;
  constexpr double FLUTTER_CYCLES = 12.0;
  const int length = samplesFor(1.0);

  std::vector<double> signal(length);
  for (int n = 0; n < length; ++n) {
    const double loopFraction = static_cast<double>(n) / length;
    double sum = 0.0;
    for (int voice = 0; voice < VOICES; ++voice) {
      const double octave = voice + loopFraction;
      // Voices fade in at the bottom and out at the top, which hides where they wrap.
      const double bell = std::pow(std::sin(PI * octave / VOICES), 2);
      const double phase = TWO_PI * LOWEST_CYCLE_FACTOR *
                           (std::exp2(octave) - std::exp2(static_cast<double>(voice)));
      sum += bell * std::sin(phase);
    }
    signal[n] = sum * (1.0 + 0.3 * std::sin(TWO_PI * FLUTTER_CYCLES * loopFraction));
  }
  return toPcm16(signal, 0.7);
}

std::vector<std::int16_t> makeShield() {
  constexpr double DURATION = 0.6;
  constexpr double START_HZ = 300.0;
  constexpr double OCTAVES = 2.0;
  const int length = samplesFor(DURATION);

  std::vector<double> signal(length);
  double phase = 0.0;
  double tremoloPhase = 0.0;
  for (int n = 0; n < length; ++n) {
    const double progress = seconds(n) / DURATION;
    const double frequency = START_HZ * std::exp2(OCTAVES * progress);
    const double tremoloHz = 12.0 + 28.0 * progress;
    const double tone = bandLimitedSquare(phase, frequency, 9000.0) + 0.3 * std::sin(2.0 * phase);
    signal[n] = tone * (0.75 + 0.25 * std::sin(tremoloPhase));
    phase += TWO_PI * frequency / SAMPLE_RATE;
    tremoloPhase += TWO_PI * tremoloHz / SAMPLE_RATE;
  }
  fadeEdges(signal, 0.01, 0.1);
  return toPcm16(signal, 0.7);
}

std::vector<std::int16_t> makeLaser() {
  // Every periodic part completes a whole number of cycles over the file, so sample
  // `length` would equal sample 0: the loop joins without a step.
  constexpr int BUZZ_CYCLES = 110;  // 100 samples each: 220.5 Hz
  constexpr int LENGTH = BUZZ_CYCLES * 100;
  constexpr int HARMONICS = 40;
  constexpr double VIBRATO_CYCLES = 5.0;
  constexpr double VIBRATO_DEPTH = 0.7;
  constexpr double GROWL_CYCLES = 25.0;
  constexpr double WHINE_CYCLES = 1210.0;
  constexpr double WHINE_WOBBLE_CYCLES = 10.0;

  std::vector<double> signal(LENGTH);
  for (int n = 0; n < LENGTH; ++n) {
    const double loopFraction = static_cast<double>(n) / LENGTH;
    // Starting half a cycle in puts the loop point on the saw's gentle ramp, not its edge.
    const double phase = TWO_PI * BUZZ_CYCLES * loopFraction + PI +
                         VIBRATO_DEPTH * std::sin(TWO_PI * VIBRATO_CYCLES * loopFraction);
    double saw = 0.0;
    for (int harmonic = 1; harmonic <= HARMONICS; ++harmonic) {
      saw += std::sin(harmonic * phase) / harmonic;
    }
    const double growl = 1.0 + 0.25 * std::sin(TWO_PI * GROWL_CYCLES * loopFraction);
    const double whine = std::sin(TWO_PI * WHINE_CYCLES * loopFraction +
                                  3.0 * std::sin(TWO_PI * WHINE_WOBBLE_CYCLES * loopFraction));
    signal[n] = saw * growl + 0.2 * whine;
  }
  return toPcm16(signal, 0.6);
}

std::vector<std::int16_t> makeHit() {
  const int length = samplesFor(0.18);
  std::vector<double> signal(length);
  Noise noise(0x4849'5421u);
  LowPass crackFilter;
  double phase = 0.0;
  for (int n = 0; n < length; ++n) {
    const double t = seconds(n);
    const double thumpHz = 60.0 + 220.0 * std::exp(-t / 0.06);
    const double thump = std::sin(phase) * std::exp(-t / 0.05);
    const double crack = crackFilter.filter(noise.next(), 4000.0) * std::exp(-t / 0.012);
    signal[n] = thump + 0.8 * crack;
    phase += TWO_PI * thumpHz / SAMPLE_RATE;
  }
  fadeEdges(signal, 0.001, 0.02);
  return toPcm16(signal, 0.9);
}

std::vector<std::int16_t> makeExplosion() {
  const int length = samplesFor(1.5);
  std::vector<double> signal(length);
  Noise noise(0x4B41'424Fu);
  LowPass first;
  LowPass second;
  LowPass rumble;
  for (int n = 0; n < length; ++n) {
    const double t = seconds(n);
    const double white = noise.next();
    // The filter closes as the blast dies away: a bright crack turning into a rumble.
    const double cutoff = 150.0 + 2800.0 * std::exp(-t / 0.25);
    const double blast = second.filter(first.filter(white, cutoff), cutoff);
    const double low = rumble.filter(white, 90.0);
    signal[n] = (blast + 4.0 * low) * std::exp(-t / 0.4);
  }
  fadeEdges(signal, 0.004, 0.08);
  return toPcm16(signal, 0.9);
}

}  // namespace kestal::wavgen
