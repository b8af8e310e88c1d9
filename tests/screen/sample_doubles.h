// Doubles that stress number text: random bit patterns, powers of two, subnormals, the edges
// of the text forms, and values like the ones the game computes. Each comes in both signs.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace kestal::testing {

inline double doubleFromBits(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void addWithNeighbours(std::vector<double>& out, double value) {
  out.push_back(value);
  out.push_back(std::nextafter(value, 0.0));
  out.push_back(std::nextafter(value, std::numeric_limits<double>::infinity()));
}

inline std::vector<double> sampleDoubles() {
  std::vector<double> values;
  std::mt19937_64 random(20240601);
  for (int i = 0; i < 100000; ++i) values.push_back(doubleFromBits(random()));
  // Subnormals: random mantissas with a zero exponent, and the smallest few.
  for (int i = 0; i < 5000; ++i) values.push_back(doubleFromBits(random() & 0x000FFFFFFFFFFFFFu));
  for (int k = 1; k <= 300; ++k) values.push_back(k * std::numeric_limits<double>::denorm_min());
  for (int e = -1074; e <= 1023; ++e) addWithNeighbours(values, std::ldexp(1.0, e));
  for (int e = -30; e <= 30; ++e) addWithNeighbours(values, std::pow(10.0, e));
  for (double edge : {std::numeric_limits<double>::min(), std::numeric_limits<double>::max(),
                      9007199254740992.0, 0.0001, 0.00001, 0.1, 0.5, 1.0 / 3.0, 2.0 / 3.0}) {
    addWithNeighbours(values, edge);
  }
  // The game's kind of values: random units, tenths, positions, velocities and angles.
  for (int n = 0; n < 32768; n += 7) values.push_back(n / 32768.0);
  double x = 320, vx = 0, energy = 100;
  for (int frame = 0; frame < 20000; ++frame) {
    vx = vx * 0.98 + 0.35 * std::cos(frame * 0.01);
    x += vx;
    energy -= 0.3;
    values.insert(values.end(), {x, vx, energy, frame * 0.1, 7.5 * std::sin(frame * 0.05)});
  }
  const std::size_t positives = values.size();
  for (std::size_t i = 0; i < positives; ++i) values.push_back(-values[i]);
  return values;
}

}  // namespace kestal::testing
