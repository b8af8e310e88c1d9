#include "hall/verify/recording_run.h"

#include <cmath>
#include <cstdint>
#include <memory>

#include "game/game.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "game/run_settings.h"
#include "platform/headless/headless_display.h"
#include "replay/key_playback.h"
#include "replay/recording_limits.h"
#include "screen/display_backend.h"
#include "screen/keyboard.h"
#include "screen/program.h"

namespace kestal::hall {
namespace {

GameOutcome outcomeOf(const GameState& s, std::uint64_t retraces) {
  GameOutcome outcome;
  // Scores are whole numbers of mines times three, far inside 64 bits; anything else is no
  // score this game can make.
  outcome.score =
      std::isfinite(s.score) && std::abs(s.score) < 1e15 ? static_cast<std::int64_t>(s.score) : 0;
  outcome.victory = s.finalVictory == 1;
  const double level = outcome.victory ? LEVEL_COUNT : s.levelIndex + 1;
  outcome.level = level >= 1 && level <= LEVEL_COUNT ? static_cast<int>(level) : LEVEL_COUNT;
  outcome.minesKilled =
      s.minesKilled >= 0 && s.minesKilled <= MAX_MINES ? static_cast<int>(s.minesKilled) : 0;
  outcome.retraces = retraces;
  return outcome;
}

class Run final : public GameObserver {
 public:
  explicit Run(const std::vector<replay::KeyEvent>& events) : keys_(events, pushKey) {}

  void gameStarted(const GameState&) override {
    gameStart_ = retrace_;
    result_.gameUnfinished = true;
  }
  void gameEnded(const GameState& state) override {
    result_.games.push_back(outcomeOf(state, retrace_ - gameStart_));
    result_.gameUnfinished = false;
  }

  void onOpen() { keys_.deliverUpTo(0); }
  void onRetrace(std::uint64_t retrace) {
    retrace_ = retrace;
    if (retrace >= replay::RECORDING_MAX_RETRACE) {
      result_.reachedRetraceLimit = true;
      throw ProgramExit{0};
    }
    keys_.deliverUpTo(retrace);
  }
  // An empty queue with no key left to come: nothing can change any more.
  void onEmptyPoll() {
    if (!keys_.keysLeft()) throw ProgramExit{0};
    keys_.emptyPoll();
  }

  RecordingRun result() const { return result_; }

 private:
  replay::KeyPlayback keys_;
  std::uint64_t retrace_ = 0;
  std::uint64_t gameStart_ = 0;
  RecordingRun result_;
};

}  // namespace

RecordingRun playRecording(const Edition& edition, const std::vector<replay::KeyEvent>& events,
                           bool busyWaits) {
  Run run(events);
  const HeadlessDisplay::Hooks hooks{
      .onOpen = [&] { run.onOpen(); },
      .onRetrace = [&](std::uint64_t retrace) { run.onRetrace(retrace); },
      .onEmptyPoll = [&] { run.onEmptyPoll(); },
  };
  // Nothing a game keeps depends on its pictures, so none are drawn.
  HeadlessDisplay display(hooks, HeadlessDisplay::Pictures::Skipped);
  struct Installed {
    explicit Installed(DisplayBackend* backend) { setDisplayBackend(backend); }
    ~Installed() { setDisplayBackend(nullptr); }
  } installed(&display);
  const auto state = std::make_unique<GameState>();
  NoSound sound;
  const RunSettings settings{.busyWaits = busyWaits, .observer = &run};
  display.run([&] { runGame(*state, edition, sound, settings); });
  return run.result();
}

}  // namespace kestal::hall
