// The desktop game played with game controllers only: SDL's virtual joysticks, attached in
// this process to the SDL back end running the game under a private Xvfb (no outside
// program can fake a device on a machine without /dev/uinput).
#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "game/edition.h"
#include "game/game.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "platform/sdl/sdl_display.h"
#include "screen/keyboard.h"
#include "screen/screen_access.h"
#include "tests/support/x_session.h"

namespace sdltest {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int SCREEN_W = 640;
// A pixel of the play field's border: black on the start-up screen and the play-again
// prompt, grey in play.
constexpr int BORDER_X = 300, BORDER_Y = 24;
// The last palette entry the pause dims (with the other ramps' last ones).
constexpr int LAST_DIMMED_ENTRY = 63;

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (!condition()) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

// What the display shows, read under the screen lock: whatever the game did before it
// drew or set this is visible to the reading thread.
std::uint8_t shownPixel(int x, int y) {
  std::lock_guard lock(kestal::screenLock());
  return kestal::visiblePagePixels()[static_cast<std::size_t>(y * SCREEN_W + x)];
}
bool anythingShown() {
  std::lock_guard lock(kestal::screenLock());
  for (std::uint8_t pixel : kestal::visiblePagePixels()) {
    if (pixel != 0) return true;
  }
  return false;
}
kestal::Rgb shownColour(int entry) {
  std::lock_guard lock(kestal::screenLock());
  return kestal::displayPalette()[static_cast<std::size_t>(entry)];
}

// A controller plugged in by software. Its buttons and axes are those of SDL's game
// controller layout, in order, so SDL maps it like a real pad.
class VirtualPad {
 public:
  VirtualPad() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Test Pad";
    const int device = SDL_JoystickAttachVirtualEx(&desc);
    if (device >= 0) id_ = SDL_JoystickGetDeviceInstanceID(device);
  }

  // Whether the game's back end has taken the controller on.
  bool openedByTheGame() {
    if (id_ < 0) return false;
    return waitUntil([&] { return (joystick_ = SDL_JoystickFromInstanceID(id_)) != nullptr; }, 5s);
  }

  void set(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
  }
  // Several buttons down in one go: the back end sees them in one update.
  void pressTogether(std::initializer_list<SDL_GameControllerButton> buttons) {
    SDL_LockJoysticks();
    for (SDL_GameControllerButton button : buttons) set(button, true);
    SDL_UnlockJoysticks();
  }
  // Down long enough for the back end to see it, then up, then a pause as long.
  void tap(SDL_GameControllerButton button) {
    set(button, true);
    std::this_thread::sleep_for(80ms);
    set(button, false);
    std::this_thread::sleep_for(80ms);
  }
  // The left stick out to (x, y) and back, each move in one update.
  void flick(Sint16 x, Sint16 y) {
    moveStick(x, y);
    std::this_thread::sleep_for(80ms);
    moveStick(0, 0);
    std::this_thread::sleep_for(80ms);
  }
  void moveStick(Sint16 x, Sint16 y) {
    SDL_LockJoysticks();
    SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_LEFTX, x);
    SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_LEFTY, y);
    SDL_UnlockJoysticks();
  }
  void unplug() {
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == id_) SDL_JoystickDetachVirtual(i);
    }
  }

 private:
  SDL_JoystickID id_ = -1;
  SDL_Joystick* joystick_ = nullptr;
};

struct Observed {
  double shipVx = -99, shipVy = -99, engineHeat = -99;
};

// The short game, pressed on two pads, one of them pulled out while a direction is held.
// Returns at the first step that fails, with `completed` false.
void playShortGame(const kestal::GameState& state, Observed& observed, bool& completed) {
  ASSERT_TRUE(waitUntil(anythingShown, 20s)) << "the start-up screen never showed";
  VirtualPad first;
  ASSERT_TRUE(first.openedByTheGame()) << "a controller plugged in at the Delay prompt";
  first.tap(SDL_CONTROLLER_BUTTON_X);  // Enter: the default delay
  ASSERT_TRUE(waitUntil([] { return shownPixel(BORDER_X, BORDER_Y) != 0; }, 10s))
      << "play did not start";
  const kestal::Rgb playColour = shownColour(LAST_DIMMED_ENTRY);

  first.tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);  // right: (1, 0)
  VirtualPad second;
  ASSERT_TRUE(second.openedByTheGame()) << "a second controller plugged in during play";
  second.flick(-25000, 25000);  // down-left: (0, 1)
  // Up-right on the first pad's d-pad: (1, 0); pulled out while held, before the first
  // repeat, which must then never come.
  first.pressTogether({SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_RIGHT});
  std::this_thread::sleep_for(150ms);
  first.unplug();
  std::this_thread::sleep_for(700ms);
  // The laser and the pause in one update: the laser's frame, then the pause's.
  second.pressTogether({SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_START});
  std::this_thread::sleep_for(80ms);
  second.set(SDL_CONTROLLER_BUTTON_A, false);
  second.set(SDL_CONTROLLER_BUTTON_START, false);
  ASSERT_TRUE(waitUntil([&] { return shownColour(LAST_DIMMED_ENTRY) != playColour; }, 10s))
      << "the pause did not dim the picture";
  // The game waits in the pause now and changes none of these.
  observed = {state.shipVx, state.shipVy, state.engineHeat};

  second.tap(SDL_CONTROLLER_BUTTON_B);  // resumes (the brake is not applied)
  ASSERT_TRUE(waitUntil([&] { return shownColour(LAST_DIMMED_ENTRY) == playColour; }, 10s))
      << "the game did not resume";
  second.tap(SDL_CONTROLLER_BUTTON_BACK);  // leaves the game
  ASSERT_TRUE(waitUntil([] { return shownPixel(BORDER_X, BORDER_Y) == 0; }, 10s))
      << "no \"Play again? (Y/N)\"";
  // "No": the program ends, and SDL with it, so the button is never let go.
  second.set(SDL_CONTROLLER_BUTTON_BACK, true);
  completed = true;
}

TEST(ControllerPlay, TwoPadsPlayAShortGameAndComeAndGoWithoutDisturbingIt) {
  for (const char* program : {"Xvfb", "openbox"}) {
    if (!testsupport::onPath(program)) GTEST_SKIP() << program << " is not installed";
  }
  testsupport::XSession x(1024, 768);
  ASSERT_TRUE(x.ready()) << "the private X server did not start";
  for (const auto& [name, value] : x.environment()) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }

  auto state = std::make_unique<kestal::GameState>();
  kestal::NoSound sound;
  kestal::SdlDisplay display("kestal-silent");
  kestal::setDisplayBackend(&display);
  Observed observed;
  std::atomic<bool> gameEnded{false};
  bool completed = false;
  std::thread player([&] {
    playShortGame(*state, observed, completed);
    if (completed && waitUntil([&] { return gameEnded.load(); }, 10s)) return;
    // Whatever happened, the game must end: Escape leaves a game or the program, "n"
    // answers the prompt.
    while (!gameEnded.load()) {
      kestal::pushKey(27);
      kestal::pushKey('n');
      std::this_thread::sleep_for(200ms);
    }
  });
  const int status = display.run([&] { kestal::runGame(*state, kestal::SILENT_EDITION, sound); });
  gameEnded.store(true);
  player.join();

  EXPECT_TRUE(completed);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(observed.shipVx, 1);
  EXPECT_EQ(observed.shipVy, 0) << "a stuck repeat of the unplugged pad's up-right";
  EXPECT_EQ(observed.engineHeat, 5 - 0.25) << "the laser fired one frame before the pause";
}

}  // namespace
}  // namespace sdltest
