#include "hall/load/load_recordings.h"

#include <stdexcept>
#include <string_view>

namespace kestal::hall::load {
namespace {

// Where a short game's level is left: after the ship has moved and fired, early enough that
// the game is only a few hundred retraces long.
constexpr std::size_t SHORT_GAME_ESCAPE = 100;
// How long after the final answer the next game is surely under way.
constexpr std::size_t NEXT_GAME_ESCAPE_GAP = 120;
// "Play again?" is on screen this long after Escape.
constexpr std::size_t ANSWER_DELAY = 5;

std::string line(std::size_t retrace, std::string_view key) {
  return std::to_string(retrace) + " " + std::string(key) + "\n";
}

}  // namespace

std::string shortGame(std::size_t index) {
  const std::size_t escape = SHORT_GAME_ESCAPE + index;
  std::string script = index % 2 == 1 ? "# edition: silent\n" : "";
  script += line(1, "Enter") + line(20, "Up") + line(24, "f") + line(30, "Left");
  script += line(escape, "Escape") + line(escape + ANSWER_DELAY, "n");
  return script;
}

std::string numberedGame(std::size_t index) {
  std::string script = line(1, "Enter");
  for (std::size_t bit = 0; bit < 16; ++bit) {
    if ((index >> bit & 1) != 0) script += line(20 + 2 * bit, "Up");
  }
  return script + line(SHORT_GAME_ESCAPE, "Escape") + line(SHORT_GAME_ESCAPE + ANSWER_DELAY, "n");
}

std::string wholeGameVariant(const std::string& wholeGame, std::size_t index) {
  std::string_view text = wholeGame;
  while (text.ends_with('\n') || text.ends_with('\r')) text.remove_suffix(1);
  const std::size_t lineStart = text.rfind('\n') + 1;  // npos + 1 is 0: a one-line script
  const std::string_view last = text.substr(lineStart);
  const std::size_t blank = last.find(' ');
  if (blank == std::string_view::npos || last.substr(blank + 1) != "n") {
    throw std::invalid_argument("the whole game does not end with an \"n\" answer");
  }
  const std::size_t answer = std::stoull(std::string(last.substr(0, blank)));
  const std::size_t escape = answer + NEXT_GAME_ESCAPE_GAP + index;
  std::string script(text.substr(0, lineStart));
  script += line(answer, "y") + line(escape, "Escape") + line(escape + ANSWER_DELAY, "n");
  return script;
}

}  // namespace kestal::hall::load
