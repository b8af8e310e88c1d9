#include "game_harness.h"

#include "platform/headless/headless_display.h"
#include "screen/display_backend.h"
#include "screen/keyboard.h"
#include "screen/program.h"

namespace kestal::testing {

namespace {

struct StopRun {};

}  // namespace

void GameRun::type(std::uint64_t retrace, const std::string& text) {
  for (unsigned char c : text) keys[retrace].push_back(c);
}

void GameRun::press(std::uint64_t retrace, int entry) {
  keys[retrace].push_back(entry);
}

void GameRun::run() {
  state = std::make_unique<GameState>();
  RecordingSound sound(&retraces);
  auto deliver = [this](std::uint64_t retrace) {
    auto it = keys.find(retrace);
    if (it == keys.end()) return;
    for (int entry : it->second) pushKey(entry);
  };
  std::uint64_t emptyPolls = 0;
  HeadlessDisplay::Hooks hooks;
  hooks.onOpen = [&] { deliver(0); };
  hooks.onRetrace = [&](std::uint64_t retrace) {
    retraces = retrace;
    emptyPolls = 0;
    if (onRetrace && !onRetrace(retrace, *state)) throw StopRun{};
    if (retrace >= maxRetraces) throw StopRun{};
    deliver(retrace);
  };
  // A pause polls without retraces: hand over the next scripted key, or stop.
  hooks.onEmptyPoll = [&] {
    if (++emptyPolls < 1000) return;
    emptyPolls = 0;
    auto next = keys.upper_bound(retraces);
    if (next == keys.end()) throw StopRun{};
    for (int entry : next->second) pushKey(entry);
    keys.erase(next);
  };
  HeadlessDisplay display(hooks);
  setDisplayBackend(&display);
  try {
    exitCode = display.run([&] { runGame(*state, *edition, sound); });
    endedByGame = true;
  } catch (const StopRun&) {
  }
  setDisplayBackend(nullptr);
  sounds = sound.calls;
}

std::uint64_t answerDelay(GameRun& run, const std::string& delay) {
  std::uint64_t retrace = 1;
  for (char c : delay) run.type(retrace++, std::string(1, c));
  run.press(retrace, '\r');
  return retrace;
}

}  // namespace kestal::testing
