// Game controllers on the desktop, through SDL's game-controller interface: its built-in
// mapping database (and any mappings the player gives SDL in SDL_GAMECONTROLLERCONFIG),
// controllers plugged in and out at any time, several at once, each feeding the key queue
// through the shared control mapping. Lives on the thread that serves the window.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

#include "platform/controls/control_key_mapper.h"

namespace kestal {

class SdlControllers {
 public:
  // Starts SDL's game-controller subsystem; where it cannot start no controller is seen
  // and the keyboard plays alone. Controllers already plugged in are announced by SDL as
  // events like any plugged in later.
  SdlControllers();
  ~SdlControllers();
  SdlControllers(const SdlControllers&) = delete;
  SdlControllers& operator=(const SdlControllers&) = delete;

  // Joystick and controller events belong here, not to the keyboard.
  static bool isControllerEvent(const SDL_Event& event);
  // Plugging in and out, buttons and axes, noted until the next tick.
  void handle(const SDL_Event& event);
  // The controls as the events since the last tick left them: their keys go to `keys`, and
  // held controls repeat. Call after each batch of events, and at least once
  // per refresh. A batch counts as one change, so a stick moved diagonally (one event per
  // axis) or two buttons pressed at once give no key for a position passed on the way.
  void tick(const KeySink& keys);

 private:
  struct Controller {
    SDL_GameController* device = nullptr;
    SDL_JoystickID id = -1;
    std::uint32_t buttons = 0;           // bit b: SDL_GameControllerButton b is down
    std::uint32_t pressedSinceTick = 0;  // so that a press and release in one batch count
    std::array<Sint16, SDL_CONTROLLER_AXIS_MAX> axes{};
    ControlKeyMapper keys;
  };
  static constexpr std::size_t MOST_CONTROLLERS = 8;

  void plugIn(int deviceIndex);
  void unplug(SDL_JoystickID id);
  Controller* find(SDL_JoystickID id);
  static ControlState controlState(const Controller& controller);

  std::array<Controller, MOST_CONTROLLERS> controllers_{};
  bool started_ = false;
};

}  // namespace kestal
