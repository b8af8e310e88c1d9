// A seeded player for the soaks: it flies with the test pilot, mashes random keys, bursts
// 30 keys into one frame, sits still, pauses, overheats on purpose, quits, and answers the
// prompts, while it records every key as a key script line. It watches the live state, so
// it is used in process; the script it writes then replays the very same game.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "tests/robustness/key_sets.h"
#include "replay/key_script.h"

namespace kestal::robustness {

struct SoakPlan {
  std::uint32_t seed = 1;
  std::uint64_t retraceBudget = 30000;  // after this many retraces it heads for the end
  std::string delayText = "1";          // what ends up typed at the Delay prompt
};

// What the driver saw the game do in its own run.
struct SoakTally {
  int warps = 0;        // levelIndex went up
  int gameOvers = 0;    // the ship was lost
  int prompts = 0;      // play-again prompts shown
  int pausesAsked = 0;  // "p" typed by a pause step
  std::uint64_t playFrames = 0;
};

class SoakDriver {
 public:
  explicit SoakDriver(const SoakPlan& plan);

  // Hooks for runHeadless.
  bool onRetrace(std::uint64_t retrace, const GameState& s);
  bool onStall(std::uint64_t retrace, const GameState& s);

  const std::vector<replay::KeyEvent>& events() const { return events_; }
  const SoakTally& tally() const { return tally_; }

 private:
  enum class Phase { DelayPrompt, Play, Frozen, GameOver, Warp, PlayAgain, FinalVictory };
  enum class Action {
    PilotToWarp,
    Pilot,
    Chaos,
    Burst,
    Silence,
    Pause,
    HoldThrust,
    Overheat,
    Quit
  };
  struct Step {
    Action action;
    int frames;  // frames of play it lasts (at most, for the open-ended ones)
    int key;     // the held key of HoldThrust
  };

  Phase phaseOf(const GameState& s) const;
  void noteChanges(const GameState& s);
  void type(int entry);

  void delayPromptRetrace();
  void playFrame(const GameState& s);
  void gameOverRetrace(bool entered);
  void playAgainRetrace(bool entered);
  void startNextStep();
  Step randomStep();
  void runStep(const GameState& s);
  int pilotKeyVariant(int key);

  Dice dice_;
  std::uint64_t budget_;
  std::vector<int> delayKeys_;
  std::size_t nextDelayKey_ = 0;
  std::uint64_t nextDelayKeyAt_ = 1;

  std::deque<Step> plan_;
  Step step_{Action::Silence, 0, 0};
  int stepFrame_ = 0;
  int warpsAtStepStart_ = 0;

  std::uint64_t retrace_ = 0;
  std::uint64_t stallRetrace_ = 0;  // keys typed at a stall belong to the next retrace
  bool atStall_ = false;
  bool finishing_ = false;
  std::uint64_t resumeAt_ = 0;
  std::uint64_t actAt_ = 0;  // when the game over or the prompt is answered
  std::uint64_t finishingQuitAt_ = 0;

  Phase lastPhase_ = Phase::DelayPrompt;
  double lastPulse_ = 0, lastWavePhase_ = 0, lastLevelIndex_ = 0, lastShipLost_ = 0;

  std::vector<replay::KeyEvent> events_;
  SoakTally tally_;
};

}  // namespace kestal::robustness
