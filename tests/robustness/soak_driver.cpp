#include "tests/robustness/soak_driver.h"

#include <algorithm>
#include <array>

#include "bot.h"
#include "screen/keyboard.h"

namespace kestal::robustness {
namespace {

constexpr int BURST_KEYS = 30;  // twice what the queue holds
constexpr int PILOT_TO_WARP_FRAMES = 12000;

bool isQuitKey(int key) {
  return key == KEY_ESCAPE_ENTRY || key == 'q';
}

bool isAnswerKey(int key) {
  return key == 'y' || key == 'Y' || key == 'n' || key == 'N' || key == KEY_ESCAPE_ENTRY;
}

// Keys the Delay prompt ignores: anything but digits, the minus, Backspace, Enter and the
// three that end the program there.
bool ignoredAtDelayPrompt(int key) {
  const bool edits = (key >= '0' && key <= '9') || key == '-' || key == KEY_BACKSPACE_ENTRY ||
                     key == KEY_ENTER_ENTRY;
  return !edits && key != KEY_ESCAPE_ENTRY && key != 'q' && key != CLOSE_KEY;
}

constexpr std::array THRUST_KEYS{KEY_UP_ENTRY, KEY_DOWN_ENTRY, KEY_LEFT_ENTRY, KEY_RIGHT_ENTRY,
                                 int{'e'},     int{'r'},       int{'t'},       int{'d'},
                                 int{'g'},     int{'c'},       int{'v'},       int{'b'}};

}  // namespace

SoakDriver::SoakDriver(const SoakPlan& plan) : dice_(plan.seed), budget_(plan.retraceBudget) {
  auto junk = [&](int count) {
    for (int i = 0; i < count; ++i) delayKeys_.push_back(dice_.pickAny(ignoredAtDelayPrompt));
  };
  junk(dice_.between(2, 8));
  // A number typed and taken back again; a ninth digit is not taken at all.
  const int throwaway = dice_.between(0, 9);
  for (int i = 0; i < throwaway; ++i) delayKeys_.push_back('0' + dice_.below(10));
  junk(dice_.between(0, 3));
  const int erase = std::min(throwaway, DELAY_MAX_CHARS) + dice_.between(0, 2);
  for (int i = 0; i < erase; ++i) delayKeys_.push_back(KEY_BACKSPACE_ENTRY);
  for (char c : plan.delayText) delayKeys_.push_back(static_cast<unsigned char>(c));
  junk(dice_.between(0, 3));
  delayKeys_.push_back(KEY_ENTER_ENTRY);

  // Every seed wins and leaves a level, pauses and overheats in its first game; the rest
  // is chance.
  plan_.push_back({Action::PilotToWarp, PILOT_TO_WARP_FRAMES, 0});
  for (int i = 0; i < 3; ++i) plan_.push_back(randomStep());
  plan_.push_back({Action::Pause, 1, 0});
  for (int i = 0; i < 2; ++i) plan_.push_back(randomStep());
  plan_.push_back({Action::Overheat, 400, 0});
}

void SoakDriver::type(int entry) {
  pushKey(entry);
  events_.push_back({atStall_ ? stallRetrace_ : retrace_, entry});
}

SoakDriver::Phase SoakDriver::phaseOf(const GameState& s) const {
  if (s.flameTable[1] == 0) return Phase::DelayPrompt;  // made once the delay is answered
  if (s.wavePhase != lastWavePhase_) return Phase::PlayAgain;
  if (s.levelIndex == LEVEL_COUNT) return Phase::FinalVictory;
  if (s.levelComplete == 1) return Phase::Warp;
  if (s.shipLost == 1) return Phase::GameOver;
  if (s.pulse != lastPulse_) return Phase::Play;
  return Phase::Frozen;  // paused, or between two stages
}

void SoakDriver::noteChanges(const GameState& s) {
  if (s.levelIndex > lastLevelIndex_) ++tally_.warps;
  if (s.shipLost == 1 && lastShipLost_ == 0) {
    ++tally_.gameOvers;
    stepFrame_ = step_.frames;  // whatever it was doing ends with the ship
  }
  lastPulse_ = s.pulse;
  lastWavePhase_ = s.wavePhase;
  lastLevelIndex_ = s.levelIndex;
  lastShipLost_ = s.shipLost;
}

bool SoakDriver::onRetrace(std::uint64_t retrace, const GameState& s) {
  retrace_ = retrace;
  if (retrace >= budget_) finishing_ = true;
  const Phase phase = phaseOf(s);
  const bool entered = phase != lastPhase_;
  noteChanges(s);
  if (resumeAt_ != 0 && retrace >= resumeAt_) {
    type(dice_.pick(allKeys()));  // Escape or "q" here only resume
    resumeAt_ = 0;
  }
  switch (phase) {
    case Phase::DelayPrompt:
      delayPromptRetrace();
      break;
    case Phase::Play:
      ++tally_.playFrames;
      playFrame(s);
      break;
    case Phase::GameOver:
      gameOverRetrace(entered);
      break;
    case Phase::PlayAgain:
      playAgainRetrace(entered);
      break;
    case Phase::FinalVictory:
      if (entered || retrace % 200 == 0) type('q');
      break;
    case Phase::Warp:
    case Phase::Frozen:
      break;
  }
  lastPhase_ = phase;
  return true;
}

// A pause waits for its key: any key ends it.
bool SoakDriver::onStall(std::uint64_t retrace, const GameState&) {
  atStall_ = true;
  stallRetrace_ = retrace + 1;
  type(dice_.pick(allKeys()));
  atStall_ = false;
  resumeAt_ = 0;
  return true;
}

void SoakDriver::delayPromptRetrace() {
  if (nextDelayKey_ == delayKeys_.size() || retrace_ < nextDelayKeyAt_) return;
  const int count = dice_.chance(0.2) ? 2 : 1;
  for (int i = 0; i < count && nextDelayKey_ < delayKeys_.size(); ++i) {
    type(delayKeys_[nextDelayKey_++]);
  }
  nextDelayKeyAt_ = retrace_ + static_cast<std::uint64_t>(dice_.between(1, 3));
}

void SoakDriver::gameOverRetrace(bool entered) {
  if (entered) actAt_ = retrace_ + static_cast<std::uint64_t>(dice_.between(30, 400));
  if (retrace_ >= actAt_) {
    type(dice_.chance(0.5) ? 'q' : KEY_ESCAPE_ENTRY);
    actAt_ = retrace_ + 100;  // again, should a full queue have eaten it
  } else if (dice_.chance(0.05)) {
    type(dice_.pickAny([](int key) { return !isQuitKey(key); }));
  }
}

void SoakDriver::playAgainRetrace(bool entered) {
  if (entered) {
    ++tally_.prompts;
    stepFrame_ = step_.frames;
    actAt_ = retrace_ + static_cast<std::uint64_t>(dice_.between(5, 150));
  }
  if (retrace_ >= actAt_) {
    static constexpr std::array YES{int{'y'}, int{'Y'}};
    static constexpr std::array NO{int{'n'}, int{'N'}, KEY_ESCAPE_ENTRY};
    type(finishing_ ? dice_.pick(NO) : dice_.pick(YES));
    actAt_ = retrace_ + 60;
    // A new game that has not yet seen a warp tries for one first.
    if (!finishing_ && tally_.warps == 0) {
      plan_.push_front({Action::PilotToWarp, PILOT_TO_WARP_FRAMES, 0});
    }
  } else if (dice_.chance(0.08)) {
    type(dice_.pickAny([](int key) { return !isAnswerKey(key); }));
  }
}

void SoakDriver::playFrame(const GameState& s) {
  if (finishing_) {
    if (retrace_ >= finishingQuitAt_) {
      type(dice_.chance(0.5) ? 'q' : KEY_ESCAPE_ENTRY);
      finishingQuitAt_ = retrace_ + 50;
    }
    return;
  }
  if (stepFrame_ >= step_.frames) startNextStep();
  runStep(s);
  ++stepFrame_;
}

void SoakDriver::startNextStep() {
  if (plan_.empty()) plan_.push_back(randomStep());
  step_ = plan_.front();
  plan_.pop_front();
  stepFrame_ = 0;
  warpsAtStepStart_ = tally_.warps;
  if (step_.action == Action::Burst) plan_.push_front({Action::Silence, 20, 0});  // drain
}

SoakDriver::Step SoakDriver::randomStep() {
  const int roll = dice_.below(100);
  if (roll < 30) return {Action::Pilot, dice_.between(200, 2500), 0};
  if (roll < 50) return {Action::Chaos, dice_.between(100, 1500), 0};
  if (roll < 60) return {Action::Burst, 1, 0};
  if (roll < 70) return {Action::Silence, dice_.between(300, 3000), 0};
  if (roll < 78) return {Action::Pause, 1, 0};
  if (roll < 88) return {Action::HoldThrust, dice_.between(100, 800), dice_.pick(THRUST_KEYS)};
  if (roll < 94) return {Action::Overheat, 400, 0};
  return {Action::Quit, 1, 0};
}

// The pilot's key, or the other key bound to the same command.
int SoakDriver::pilotKeyVariant(int key) {
  if (!dice_.chance(0.5)) return key;
  switch (key) {
    case KEY_LEFT_ENTRY:
      return 'd';
    case KEY_RIGHT_ENTRY:
      return 'g';
    case KEY_UP_ENTRY:
      return 'r';
    case KEY_DOWN_ENTRY:
      return 'v';
    case ' ':
      return 'j';
    case KEY_ENTER_ENTRY:
      return 'k';
    case '=':
      return 'h';
    case KEY_BACKSPACE_ENTRY:
      return 'l';
    default:
      return key;
  }
}

void SoakDriver::runStep(const GameState& s) {
  switch (step_.action) {
    case Action::PilotToWarp:
      if (tally_.warps > warpsAtStepStart_) {
        stepFrame_ = step_.frames;  // done
        return;
      }
      [[fallthrough]];
    case Action::Pilot:
      if (const auto key = testing::pilotKey(s)) type(pilotKeyVariant(*key));
      return;
    case Action::Chaos:
      if (dice_.chance(0.35)) {
        type(dice_.chance(0.6) ? dice_.pick(playCommandKeys()) : dice_.pick(unboundKeys()));
      }
      return;
    case Action::Burst:
      for (int i = 0; i < BURST_KEYS; ++i) {
        type(dice_.pickAny([](int key) { return !isQuitKey(key); }));
      }
      return;
    case Action::Silence:
      return;
    case Action::Pause:
      type('p');
      ++tally_.pausesAsked;
      // Sometimes the key comes during the dimming, sometimes the game has to wait for it.
      resumeAt_ = retrace_ + static_cast<std::uint64_t>(dice_.between(5, 300));
      return;
    case Action::HoldThrust:
      type(step_.key);
      return;
    case Action::Overheat:
      if (s.shieldEnergy < SHIELD_CHARGE_LIMIT) {
        type(dice_.chance(0.5) ? KEY_ENTER_ENTRY : 'k');
      } else {
        type(dice_.chance(0.5) ? ' ' : 'j');
      }
      return;
    case Action::Quit:
      type(dice_.chance(0.5) ? 'q' : KEY_ESCAPE_ENTRY);
      plan_.push_front({Action::Silence, 5, 0});
      return;
  }
}

}  // namespace kestal::robustness
