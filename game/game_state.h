// The one record of everything the game knows. The main routine owns one instance for the
// whole run; every phase reads and writes it. Per-entity tables are parallel fixed arrays
// whose slot 0 is never used: entities live in slots 1..n.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kestal {

inline constexpr int MAX_MINES = 35;
inline constexpr int BURST_PARTICLES = 400;
inline constexpr int STAR_COUNT = 8000;
inline constexpr int DEBRIS_COUNT = 500;
inline constexpr int MINE_START_HEALTH = 31;
inline constexpr int DELAY_MAX_CHARS = 8;
inline constexpr int LEVEL_COUNT = 11;
inline constexpr int INSTRUCTION_LINES = 15;
inline constexpr int INSTRUCTION_WIDTH = 40;
inline constexpr int MESSAGE_IMAGE_BYTES = 8008;  // 1001 eight-byte cells
inline constexpr int HUD_IMAGE_BYTES = 72008;     // 9001 eight-byte cells

inline constexpr double SHIP_START_X = 200;
inline constexpr double SHIP_START_Y = 200;
inline constexpr double SHIELD_START = 100;
inline constexpr double SHIELD_CHARGE_LIMIT = 200;
inline constexpr double HEAT_LIMIT = 63;
inline constexpr double LASER_TIMER_LIMIT = 9;

template <int N>
using Slots = std::array<double, N + 1>;  // slots 0..N, slot 0 unused

struct GameState {
  // Ship.
  double shipX = 0, shipY = 0, shipVx = 0, shipVy = 0;
  double shipPrevX = 0, shipPrevY = 0;
  double thrustStep = 0;
  double shieldEnergy = 0, shieldRadius = 0;
  double engineHeat = 0;
  double laserTimer = 0;  // -1 idle, 0 just ran out, > 0 frames (and power) of beam left
  double shipLost = 0;

  // Mines.
  Slots<MAX_MINES> mineX{}, mineY{}, mineVx{}, mineVy{}, minePrevX{}, minePrevY{};
  std::array<std::int32_t, MAX_MINES + 1> mineHealth{};

  // Bursts of dead mines: [mine][particle].
  std::array<Slots<BURST_PARTICLES>, MAX_MINES + 1> burstX{}, burstY{}, burstVx{}, burstVy{};
  Slots<MAX_MINES> burstCount{};

  // Stars.
  Slots<STAR_COUNT> starX{}, starY{}, starSpeed{};

  // The ship's debris.
  Slots<DEBRIS_COUNT> debrisX{}, debrisY{}, debrisVx{}, debrisVy{};

  // Level and game.
  double levelIndex = 0;
  double score = 0;
  double mineCount = 0, mineAccel = 0;
  double minesKilled = 0;
  double levelComplete = 0, finalVictory = 0;
  double playAgainAnswer = 0;
  std::string messageText;

  // Input and timing.
  std::string keyText;
  std::string delayText;
  double delayCount = 0;
  double delaySink = 0;

  // Animation counters.
  double pulse = 0, pulseStep = 0;
  std::int16_t colourPulse = 0, colourPulseStep = 0;
  double wavePhase = 0, waveStep = 0;
  double overColour = 0, overColourStep = 0;
  double bounceFlash = 0;
  double overFrames = 0;

  // Scratch values of single computations.
  double palHigh = 0, palMid = 0, palLow = 0;
  double instrColourBase = 0;
  double sparkX = 0, sparkY = 0, sparkColour = 0;
  double burstCentreX = 0, burstCentreY = 0;

  // Screen resources.
  std::array<std::string, INSTRUCTION_LINES> instructionLines;
  std::array<std::int32_t, 21> flameTable{};  // entries 1..20
  std::array<std::uint8_t, MESSAGE_IMAGE_BYTES> messageImage{};
  std::array<std::uint8_t, HUD_IMAGE_BYTES> hudImage{};
  std::int16_t hudOffset = 0;
};

}  // namespace kestal
