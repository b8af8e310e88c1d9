#include "tests/robustness/headless_run.h"

#include "game/game.h"
#include "screen/display_backend.h"

namespace kestal::robustness {
namespace {

struct StopRun {};

// The screen service must not keep pointing at a display that is gone, however the run
// ends.
class InstalledBackend {
 public:
  explicit InstalledBackend(DisplayBackend* backend) { setDisplayBackend(backend); }
  ~InstalledBackend() { setDisplayBackend(nullptr); }
  InstalledBackend(const InstalledBackend&) = delete;
  InstalledBackend& operator=(const InstalledBackend&) = delete;
};

}  // namespace

RunOutcome runHeadless(GameState& state, const Edition& edition, GameSound& sound,
                       const RunHooks& hooks, std::uint64_t maxRetraces,
                       HeadlessDisplay::Pictures pictures) {
  RunOutcome outcome;
  int emptyPolls = 0;
  HeadlessDisplay::Hooks displayHooks;
  displayHooks.onRetrace = [&](std::uint64_t retrace) {
    outcome.retraces = retrace;
    emptyPolls = 0;
    if (hooks.onRetrace && !hooks.onRetrace(retrace, state)) throw StopRun{};
    if (retrace >= maxRetraces) throw StopRun{};
  };
  displayHooks.onEmptyPoll = [&] {
    if (++emptyPolls < EMPTY_POLLS_BEFORE_STALL) return;
    emptyPolls = 0;
    if (!hooks.onStall || !hooks.onStall(outcome.retraces, state)) throw StopRun{};
  };
  HeadlessDisplay display(displayHooks, pictures);
  InstalledBackend installed(&display);
  try {
    outcome.exitCode = display.run([&] { runGame(state, edition, sound); });
    outcome.endedByGame = true;
  } catch (const StopRun&) {
  }
  return outcome;
}

}  // namespace kestal::robustness
