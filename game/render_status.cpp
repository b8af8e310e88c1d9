// The big message, the heat and shield gauges in the margins and the status column.
#include <cmath>
#include <string_view>

#include "game/phases.h"
#include "screen/numbers.h"
#include "screen/pixel_plotter.h"
#include "screen/screen.h"

namespace kestal {

namespace {

constexpr std::string_view VICTORY_TEXT = "-!VICTORY!-";

// Prints the message on frames where pulse is a multiple of 3 and captures it every
// frame; the XOR of last frame's capture one pixel up-left makes the blink and its ghost.
void blinkMessage(GameState& s, std::string_view text) {
  locate(11, 11);
  setTextColour(nint(248 - s.overColour));
  s.messageText = text;
  if (std::fmod(s.pulse, 3) == 0) printText(s.messageText, 1);
  captureImage(80, 160, 80 + 8 * static_cast<double>(s.messageText.size()), 176, s.messageImage);
}

struct StatusColours {
  double score, dollar, upperRule, level, levelLabel, lowerRule;
};

StatusColours statusColours(double c, bool gameOver) {
  if (gameOver) {
    return {std::floor(0.4 * c),       std::floor(0.39 * c),       50 - std::floor(0.105 * c),
            255 - std::floor(0.4 * c), 255 - std::floor(0.39 * c), std::floor(0.09 * c)};
  }
  return {std::floor(0.5 * c),       std::floor(0.49 * c),       50 - std::floor(0.1 * c),
          255 - std::floor(0.5 * c), 255 - std::floor(0.49 * c), std::floor(0.1 * c)};
}

void printStatus(double colour, int row, std::string_view text) {
  setTextColour(nint(colour));
  locate(row, 77);
  printText(text, 1);
}

}  // namespace

void drawMessageGhost(GameState& s) {
  if (!s.messageText.empty()) putImage(79, 159, s.messageImage, PutMode::Xor);
}

void drawLevelMessage(GameState& s) {
  blinkMessage(s, VICTORY_TEXT);
}

void drawGameOverMessage(GameState& s) {
  blinkMessage(s, "* G A M E * O V E R *");
}

namespace {

// The row at which a vertical line from y down to the bottom row starts on the screen.
int topRowDownToBottom(double y) {
  const int row = pixelRow(y);
  if (row >= 0) return row;
  return y < 0 ? 0 : SCREEN_HEIGHT - 1;
}

// The first line of a column of the flame, from `top` down to the bottom row. The third
// line, drawn later over the same column, covers it from `coveredFrom` down, so only the part
// above that can still be seen when the column is done: only that part is drawn.
void drawFlameEdge(int column, double top, double coveredFrom, int colour) {
  if (std::isnan(top)) return;  // no line at all
  if (std::isnan(coveredFrom)) {
    drawLine(column, top, column, 399, colour);
    return;
  }
  const int first = topRowDownToBottom(top);
  const int covered = topRowDownToBottom(coveredFrom);
  if (first < covered) drawLine(column, first, column, covered - 1, colour);
}

}  // namespace

// A flame of crossing lines rising 6 pixels per unit of heat; brighter as it rises.
void drawHeatGauge(const GameState& s, double factor) {
  if (!picturesKept()) return;
  const double h = s.engineHeat;
  drawLine(0, 0, 34, 399 - 6 * h, 0, LineKind::FilledBox);
  for (int i = 1; i <= 34; ++i) {
    const double wave = std::cos(i / 10.0);
    auto colour = [&](double k) { return nint(std::abs(wave * k) * h * factor); };
    drawFlameEdge(i, 399 - 6 * h, 399 - 5.6 * h, colour(2));
    drawLine(i, 399 - 5.8 * h, 34 - i, 399, colour(2.1));
    drawLine(i, 399 - 5.6 * h, i, 399, colour(2.2));
    drawLine(34 - i, 399 - 5.4 * h, i, 399, colour(2.3));
  }
}

// Four sparks per unit of energy, spread wider with more energy; then the whole margin
// slides down a pixel, fading where colours AND together, which leaves trails. Without
// pictures only the last spark is placed: its values are what the state keeps.
void drawShieldGauge(GameState& s) {
  const double e = s.shieldEnergy;
  const bool drawing = picturesKept();
  for (double i = 1; i <= e; i += 0.25) {
    if (!drawing && i + 0.25 <= e) continue;  // the loop's own test for a next spark
    s.sparkX = std::cos(s.pulse * i * 0.025) * e * s.pulse * 0.00375 + 622;
    s.sparkY = std::sin(s.pulse * i * 0.025) * e * s.pulse * 0.0075 + s.hudOffset + 150;
    while (s.sparkX > 639) s.sparkX -= 1;
    while (s.sparkX < 605) s.sparkX += 1;
    while (2 * s.sparkY - 150 > 399) s.sparkY -= 1;
    while (2 * s.sparkY - 148 < 101) s.sparkY += 1;
    s.sparkColour = 0.2 * i + 0.75 * s.pulse + 0.2 * e + 128;
    drawLine(s.sparkX, 2 * s.sparkY - 150, s.sparkX, 2 * s.sparkY - 148, nint(s.sparkColour));
  }
  slideShieldGauge(s);
}

void slideShieldGauge(GameState& s) {
  captureImage(605, 100, 639, 398, s.hudImage);
  putImage(605, 101, s.hudImage, PutMode::And);
}

void drawStatusText(const GameState& s, bool gameOver) {
  const StatusColours c = statusColours(s.colourPulse, gameOver);
  printStatus(c.score, 2, formatNumber(s.score));
  printStatus(c.dollar, 1, "$");
  printStatus(c.upperRule, 3, "---");
  setTextColour(nint(c.level));
  locate(5, 77);
  printNumber(s.levelIndex + 1, 1);
  printStatus(c.levelLabel, 4, "Lvl");
  printStatus(c.lowerRule, 6, "---");
}

}  // namespace kestal
