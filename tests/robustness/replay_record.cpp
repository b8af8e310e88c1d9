#include "tests/robustness/replay_record.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>

namespace kestal::robustness {
namespace {

std::optional<double> fieldOf(std::string_view line, std::string_view name) {
  const std::string key = "\"" + std::string(name) + "\":";
  const std::size_t at = line.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  const std::string rest(line.substr(at + key.size(), 32));
  char* end = nullptr;
  const double value = std::strtod(rest.c_str(), &end);
  if (end == rest.c_str() || (*end != ',' && *end != '}')) return std::nullopt;
  return value;
}

bool lost(const StateLine& s) {
  return s.engineHeat > 63 || s.shieldEnergy < 0;
}

bool withinWalls(double x, double y) {
  return x >= 73 && x <= 568 && y >= 35 && y <= 363;
}

// A pause starts after the ship has drifted and before the walls are tested, so a paused
// ship may stand one step beyond a wall.
bool shipInItsField(const StateLine& s) {
  return withinWalls(s.shipX, s.shipY) || withinWalls(s.shipX - s.shipVx, s.shipY - s.shipVy);
}

class StateReader {
 public:
  explicit StateReader(ReplayRecord& record) : record_(record) {}

  void take(const StateLine& s) {
    record_.highestLevelIndex = std::max(record_.highestLevelIndex, s.levelIndex);
    record_.delayCounts.insert(s.delayCount);
    if (s.laserTimer < -1 || s.laserTimer > 11) ++record_.laserTimerOutOfRange;
    if (s.mineCount > 0 && !shipInItsField(s)) ++record_.shipOutsideWalls;
    if (havePrevious_) {
      const StateLine& p = previous_;
      if (s.levelIndex > p.levelIndex) ++record_.levelRises;
      if (lost(s) && !lost(p)) ++record_.losses;
      if ((p.score > 0 && s.score == 0) || (p.levelIndex > 0 && s.levelIndex == 0)) {
        ++record_.newGames;
      }
    }
    previous_ = s;
    havePrevious_ = true;
  }

 private:
  ReplayRecord& record_;
  StateLine previous_;
  bool havePrevious_ = false;
};

void readStates(const std::filesystem::path& path, ReplayRecord& record) {
  std::ifstream in(path);
  StateReader reader(record);
  for (std::string line; std::getline(in, line);) {
    StateLine s;
    ++record.stateLines;
    if (!parseStateLine(line, s) || s.retrace != record.stateLines) {
      if (record.firstProblem.empty()) record.firstProblem = "state line: " + line;
      continue;
    }
    reader.take(s);
    record.lastRetrace = s.retrace;
  }
}

void readTrace(const std::filesystem::path& path, ReplayRecord& record) {
  std::ifstream in(path);
  std::string previousPalette;
  for (std::string line; std::getline(in, line);) {
    ++record.traceLines;
    const std::size_t first = line.find(' ');
    const std::size_t second = line.find(' ', first + 1);
    const bool wellFormed = first != std::string::npos && second == first + 17 &&
                            line.size() == second + 17 &&
                            line.substr(0, first) == std::to_string(record.traceLines);
    if (!wellFormed) {
      if (record.firstProblem.empty()) record.firstProblem = "trace line: " + line;
      continue;
    }
    const std::string palette = line.substr(second + 1);
    if (!previousPalette.empty() && palette != previousPalette) ++record.paletteChanges;
    previousPalette = palette;
  }
}

}  // namespace

bool parseStateLine(std::string_view line, StateLine& out) {
  struct Field {
    std::string_view name;
    double* value;
  };
  double retrace = 0;
  const Field fields[] = {{"retrace", &retrace},
                          {"levelIndex", &out.levelIndex},
                          {"score", &out.score},
                          {"mineCount", &out.mineCount},
                          {"shipX", &out.shipX},
                          {"shipY", &out.shipY},
                          {"shipVx", &out.shipVx},
                          {"shipVy", &out.shipVy},
                          {"shieldEnergy", &out.shieldEnergy},
                          {"engineHeat", &out.engineHeat},
                          {"laserTimer", &out.laserTimer},
                          {"delayCount", &out.delayCount}};
  for (const Field& field : fields) {
    const std::optional<double> value = fieldOf(line, field.name);
    if (!value) return false;
    *field.value = *value;
  }
  if (!(retrace >= 0 && retrace < 1e15)) return false;
  out.retrace = static_cast<std::uint64_t>(retrace);
  return line.starts_with("{\"retrace\":") && line.ends_with("}");
}

ReplayRecord readReplayRecord(const std::filesystem::path& statePath,
                              const std::filesystem::path& tracePath) {
  ReplayRecord record;
  readStates(statePath, record);
  readTrace(tracePath, record);
  return record;
}

}  // namespace kestal::robustness
