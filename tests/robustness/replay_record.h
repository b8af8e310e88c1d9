// What a replay's state trace and display trace show about the game it ran: how far it
// got, what happened on the way, and whether the records themselves are whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace kestal::robustness {

struct StateLine {
  std::uint64_t retrace = 0;
  double levelIndex = 0, score = 0, mineCount = 0, shipX = 0, shipY = 0, shipVx = 0, shipVy = 0;
  double shieldEnergy = 0, engineHeat = 0, laserTimer = 0, delayCount = 0;
};

// false when a field is missing or not a number.
bool parseStateLine(std::string_view line, StateLine& out);

struct ReplayRecord {
  std::uint64_t stateLines = 0;
  std::uint64_t traceLines = 0;
  std::uint64_t lastRetrace = 0;
  std::string firstProblem;  // a line that is malformed or out of sequence; "" when none

  double highestLevelIndex = 0;
  int levelRises = 0;                // warps taken
  int losses = 0;                    // a lost ship shows as heat above 63 or shield below 0
  int newGames = 0;                  // score or level back to 0: the prompt was answered yes
  std::uint64_t paletteChanges = 0;  // retraces whose palette differs from the one before
  std::set<double> delayCounts;
  std::uint64_t shipOutsideWalls = 0;  // retraces of a level with the ship beyond a wall
  std::uint64_t laserTimerOutOfRange = 0;
};

ReplayRecord readReplayRecord(const std::filesystem::path& statePath,
                              const std::filesystem::path& tracePath);

}  // namespace kestal::robustness
