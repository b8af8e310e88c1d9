#include "tools/replay/frame_lines.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace kestal::replay {
namespace {

char* appendText(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

char* appendCount(char* out, std::uint64_t value) {
  return std::to_chars(out, out + 20, value).ptr;
}

// `key` carries the separator and quotes: ",\"score\":".
char* appendField(char* out, std::string_view key, double value) {
  return appendJsonNumber(appendText(out, key), value);
}

}  // namespace

char* appendStateLine(char* out, std::uint64_t retrace, const GameState& state,
                      std::uint64_t randomDraws) {
  out = appendCount(appendText(out, "{\"retrace\":"), retrace);
  out = appendField(out, ",\"levelIndex\":", state.levelIndex);
  out = appendField(out, ",\"score\":", state.score);
  out = appendField(out, ",\"mineCount\":", state.mineCount);
  out = appendField(out, ",\"minesKilled\":", state.minesKilled);
  out = appendField(out, ",\"shipX\":", state.shipX);
  out = appendField(out, ",\"shipY\":", state.shipY);
  out = appendField(out, ",\"shipVx\":", state.shipVx);
  out = appendField(out, ",\"shipVy\":", state.shipVy);
  out = appendField(out, ",\"shieldEnergy\":", state.shieldEnergy);
  out = appendField(out, ",\"engineHeat\":", state.engineHeat);
  out = appendField(out, ",\"laserTimer\":", state.laserTimer);
  out = appendField(out, ",\"delayCount\":", state.delayCount);
  out = appendCount(appendText(out, ",\"randomDraws\":"), randomDraws);
  return appendText(out, "}\n");
}

}  // namespace kestal::replay
