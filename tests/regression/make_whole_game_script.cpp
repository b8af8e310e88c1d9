// Writes the key script of the whole-game regression run: the test pilot plays from the
// Delay prompt through several levels to a lost ship, with a pause on the way, answers
// "y", quits the second game with Escape and answers "n". Kept beside the script it wrote,
// so the run can be rebuilt when the pilot changes:
//   make_whole_game_script > tests/regression/whole_game.keys
// and then its expected trace with kestal-replay (see compare_trace.sh).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bot.h"
#include "game_harness.h"

using namespace kestal;
using namespace kestal::testing;

namespace {

std::string keyName(int entry) {
  switch (entry) {
    case '\r':
      return "Enter";
    case 27:
      return "Escape";
    case '\b':
      return "Backspace";
    case ' ':
      return "Space";
    default:
      break;
  }
  if (entry == extendedKey('H')) return "Up";
  if (entry == extendedKey('P')) return "Down";
  if (entry == extendedKey('K')) return "Left";
  if (entry == extendedKey('M')) return "Right";
  return std::string(1, static_cast<char>(entry));
}

}  // namespace

int main() {
  std::vector<std::pair<std::uint64_t, int>> typed;
  auto type = [&](std::uint64_t retrace, int entry) {
    typed.emplace_back(retrace, entry);
    pushKey(entry);
  };
  GameRun run;
  run.type(1, "1");
  run.press(2, '\r');
  typed = {{1, '1'}, {2, '\r'}};
  Pilot pilot;
  std::uint64_t playFrames = 0, lostAt = 0, promptAt = 0;
  int games = 0;
  double bestLevel = 0, firstScore = 0;
  bool paused = false;
  run.onRetrace = [&](std::uint64_t retrace, const GameState& s) {
    if (s.shipLost == 1 && lostAt == 0) lostAt = retrace;
    if (games == 0) {
      bestLevel = std::max(bestLevel, s.levelIndex + 1);
      firstScore = s.score;
    }
    if (lostAt != 0 && retrace == lostAt + 60) type(retrace, 'q');
    const bool atPrompt = s.playAgainAnswer == 0 && s.wavePhase > 1;
    if (atPrompt && promptAt == 0) promptAt = retrace;
    if (promptAt != 0 && retrace == promptAt + 20) {
      type(retrace, games == 0 ? 'y' : 'n');
      ++games;
      promptAt = 0;
      lostAt = 0;
      playFrames = 0;
      return true;
    }
    if (s.shipLost == 0 && s.pulse > 0) ++playFrames;
    if (games == 0 && !paused && playFrames == 40) {
      type(retrace, 'p');
      run.press(retrace + 90, 'x');  // resumes: delivered early by the pause's empty polls
      typed.emplace_back(retrace + 90, 'x');
      paused = true;
      return true;
    }
    if (games == 1 && playFrames == 50) {
      type(retrace, 27);
      return true;
    }
    if (auto key = pilot.key(s)) type(retrace, *key);
    return true;
  };
  run.maxRetraces = 100000;
  run.run();
  std::printf("# Whole game: Delay 1, a pause, levels won with kills, a lost ship, \"y\",\n");
  std::printf("# Escape in the second game, \"n\". Made by make_whole_game_script.\n");
  std::stable_sort(typed.begin(), typed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [retrace, entry] : typed) {
    std::printf("%llu %s\n", static_cast<unsigned long long>(retrace), keyName(entry).c_str());
  }
  std::fprintf(stderr, "ended by the game: %d after %llu retraces; first game: level %g, $%g\n",
               run.endedByGame, static_cast<unsigned long long>(run.retraces), bestLevel,
               firstScore);
  return run.endedByGame ? 0 : 1;
}
