// The effect generator, judged from its output files alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/sound/child_process.h"
#include "tests/sound/wav_reader.h"

namespace kestal::test {
namespace {

namespace fs = std::filesystem;

constexpr int FULL_SCALE = 32767;

struct Expected {
  const char* file;
  double shortestSeconds;
  double longestSeconds;
};

// From what each effect accompanies: a warp of about a second, short cues for shield and
// laser, a very short hit, an explosion that takes its time.
constexpr Expected EFFECTS[] = {
    {"Warp.wav", 0.5, 3.0}, {"Shield.wav", 0.2, 2.0},    {"Laser.wav", 0.2, 2.0},
    {"Hit.wav", 0.05, 0.5}, {"Explosion.wav", 0.5, 3.0},
};

WavFile builtEffect(const char* file) {
  return readWav(fs::path(KESTAL_SOUND_DIR) / file);
}

// Least-squares linear predictor: the coefficients c minimising the sum over n in
// [from, to) of (x[n] - sum_k c[k] x[n-1-k])^2, by the normal equations.
std::vector<double> fitPredictor(const std::vector<double>& x, std::size_t from, std::size_t to,
                                 int order) {
  std::vector<std::vector<double>> a(order, std::vector<double>(order + 1, 0.0));
  for (std::size_t n = from; n < to; ++n) {
    for (int i = 0; i < order; ++i) {
      for (int j = 0; j < order; ++j) a[i][j] += x[n - 1 - i] * x[n - 1 - j];
      a[i][order] += x[n - 1 - i] * x[n];
    }
  }
  // A touch of ridge keeps the system solvable for signals made of few sinusoids.
  double trace = 0.0;
  for (int i = 0; i < order; ++i) trace += a[i][i];
  for (int i = 0; i < order; ++i) a[i][i] += 1e-9 * trace / order + 1e-9;
  for (int col = 0; col < order; ++col) {
    int pivot = col;
    for (int row = col + 1; row < order; ++row) {
      if (std::abs(a[row][col]) > std::abs(a[pivot][col])) pivot = row;
    }
    std::swap(a[col], a[pivot]);
    for (int row = 0; row < order; ++row) {
      if (row == col) continue;
      const double factor = a[row][col] / a[col][col];
      for (int k = col; k <= order; ++k) a[row][k] -= factor * a[col][k];
    }
  }
  std::vector<double> c(order);
  for (int i = 0; i < order; ++i) c[i] = a[i][order] / a[i][i];
  return c;
}

double residual(const std::vector<double>& x, std::size_t n, const std::vector<double>& c) {
  double predicted = 0.0;
  for (std::size_t k = 0; k < c.size(); ++k) predicted += c[k] * x[n - 1 - k];
  return std::abs(x[n] - predicted);
}

// Plays the end of the file into its start and asks a predictor, trained on the end
// alone, how surprising the join is. A click at the loop point is a surprise far beyond
// anything inside the file; a seamless loop is not.
void expectSeamless(const WavFile& wav, const char* file) {
  constexpr int ORDER = 32;
  constexpr std::size_t TAIL = 4000;
  const std::vector<int>& s = wav.samples.at(0);
  ASSERT_GT(s.size(), TAIL) << file;
  std::vector<double> joined(s.end() - TAIL, s.end());
  joined.insert(joined.end(), s.begin(), s.begin() + ORDER);
  const std::vector<double> c = fitPredictor(joined, ORDER, TAIL, ORDER);
  double inside = 0.0;
  for (std::size_t n = ORDER; n < TAIL; ++n) inside = std::max(inside, residual(joined, n, c));
  double join = 0.0;
  for (std::size_t n = TAIL; n < joined.size(); ++n) join = std::max(join, residual(joined, n, c));
  EXPECT_LE(join, 2.0 * inside) << file;
}

int zeroCrossings(const std::vector<int>& s, std::size_t first, std::size_t last) {
  int count = 0;
  for (std::size_t i = first + 1; i < last; ++i) count += (s[i - 1] < 0) != (s[i] < 0);
  return count;
}

TEST(GeneratedEffects, AreAudiblePcmWavesOfSensibleLength) {
  for (const Expected& effect : EFFECTS) {
    const WavFile wav = builtEffect(effect.file);
    ASSERT_EQ(wav.problem, "") << effect.file;
    EXPECT_TRUE(wav.bitsPerSample == 8 || wav.bitsPerSample == 16) << effect.file;
    EXPECT_TRUE(wav.channels == 1 || wav.channels == 2) << effect.file;
    EXPECT_GE(wav.sampleRate, 8000) << effect.file;
    EXPECT_GE(wav.seconds(), effect.shortestSeconds) << effect.file;
    EXPECT_LE(wav.seconds(), effect.longestSeconds) << effect.file;
    const int peak = peakBetween(wav, 0, 0, wav.frames());
    EXPECT_GT(peak, FULL_SCALE * 3 / 10) << effect.file << " is too quiet";
    EXPECT_LT(peak, FULL_SCALE) << effect.file << " clips";
  }
}

TEST(GeneratedEffects, AreByteIdenticalFromRunToRun) {
  TemporaryDirectory first;
  TemporaryDirectory second;
  for (const TemporaryDirectory* dir : {&first, &second}) {
    ChildSetup setup;
    setup.workingDirectory = dir->path();
    const ChildResult run = runProgram(setup, WAVGEN_PROGRAM, {dir->path() / "out"});
    ASSERT_TRUE(run.exited && run.exitCode == 0) << run.err;
  }
  for (const Expected& effect : EFFECTS) {
    const std::string one = readText(first.path() / "out" / effect.file);
    EXPECT_FALSE(one.empty()) << effect.file;
    EXPECT_EQ(one, readText(second.path() / "out" / effect.file)) << effect.file;
    EXPECT_EQ(one, readText(fs::path(KESTAL_SOUND_DIR) / effect.file)) << effect.file;
  }
}

TEST(GeneratedEffects, LoopingEffectsJoinWithoutAClick) {
  expectSeamless(builtEffect("Laser.wav"), "Laser.wav");
  expectSeamless(builtEffect("Warp.wav"), "Warp.wav");
}

TEST(GeneratedEffects, OneShotsStartAndEndAtRest) {
  for (const char* file : {"Shield.wav", "Hit.wav", "Explosion.wav"}) {
    const WavFile wav = builtEffect(file);
    ASSERT_EQ(wav.problem, "") << file;
    EXPECT_LE(std::abs(wav.samples[0].front()), FULL_SCALE / 100) << file;
    EXPECT_LE(std::abs(wav.samples[0].back()), FULL_SCALE / 100) << file;
  }
}

TEST(GeneratedEffects, ShieldChargeClimbsInPitch) {
  const WavFile wav = builtEffect("Shield.wav");
  ASSERT_EQ(wav.problem, "");
  const auto at = [&wav](double seconds) { return std::size_t(seconds * wav.sampleRate); };
  const int early = zeroCrossings(wav.samples[0], at(0.1), at(0.2));
  const int late = zeroCrossings(wav.samples[0], at(wav.seconds() - 0.2), at(wav.seconds() - 0.1));
  EXPECT_GT(early, 0);
  EXPECT_GT(late, early * 3 / 2);
}

TEST(GeneratedEffects, ExplosionDecays) {
  const WavFile wav = builtEffect("Explosion.wav");
  ASSERT_EQ(wav.problem, "");
  const std::size_t window = wav.sampleRate / 5;
  std::vector<double> loudness;
  for (std::size_t at = 0; at + window <= wav.frames(); at += window) {
    loudness.push_back(rmsBetween(wav, 0, at, at + window));
  }
  ASSERT_GE(loudness.size(), 3u);
  const auto loudest = std::max_element(loudness.begin(), loudness.end());
  EXPECT_LE(loudest - loudness.begin(), 1) << "the blast comes at once";
  for (auto it = loudest + 1; it != loudness.end(); ++it) {
    EXPECT_LT(*it, *(it - 1)) << "window " << (it - loudness.begin());
  }
  EXPECT_LT(loudness.back(), *loudest / 20);
}

}  // namespace
}  // namespace kestal::test
