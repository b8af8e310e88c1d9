// The whole-game recording (tests/regression/whole_game.keys, built into the benchmarks) played
// through the game core as kestal-replay plays it, with its pictures or without them, for the
// native and the browser benchmarks alike: retraces a second for a whole game.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <sstream>
#include <vector>

#include "bench/retrace_kinds.h"
#include "game/game.h"
#include "replay/key_playback.h"
#include "replay/key_script.h"
#include "screen/program.h"

namespace kestal {

// The recording's text, generated from the file by the build.
extern const char* const WHOLE_GAME_KEYS;

struct WholeGameFigures {
  std::uint64_t retraces = 0;
  double ms = 0;  // processor time where there is one (see nowMs)
  double retracesPerSecond() const { return ms > 0 ? retraces * 1000.0 / ms : 0; }
};

inline WholeGameFigures playWholeGame(Pictures pictures) {
  std::istringstream text(WHOLE_GAME_KEYS);
  replay::KeyPlayback keys(replay::parseKeyScript(text).events, pushKey);
  WholeGameFigures figures;
  HeadlessDisplay display(
      {
          .onOpen = [&] { keys.deliverUpTo(0); },
          .onRetrace =
              [&](std::uint64_t retrace) {
                figures.retraces = retrace;
                keys.deliverUpTo(retrace);
              },
          // A wait for a key the recording no longer has ends the run, as in kestal-replay.
          .onEmptyPoll =
              [&] {
                if (!keys.emptyPoll()) throw ProgramExit{0};
              },
      },
      pictures);
  setDisplayBackend(&display);
  const auto state = std::make_unique<GameState>();
  NoSound sound;
  const double start = nowMs();
  display.run([&] { runGame(*state, SOUND_EDITION, sound); });
  figures.ms = nowMs() - start;
  setDisplayBackend(nullptr);
  return figures;
}

// The median of `runs` whole games.
inline WholeGameFigures medianWholeGame(Pictures pictures, int runs) {
  std::vector<WholeGameFigures> all;
  for (int i = 0; i < runs; ++i) all.push_back(playWholeGame(pictures));
  std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.ms < b.ms; });
  return all[all.size() / 2];
}

}  // namespace kestal
