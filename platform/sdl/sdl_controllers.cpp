#include "platform/sdl/sdl_controllers.h"

#include <algorithm>
#include <utility>

namespace kestal {
namespace {

// SDL's buttons and the controls they are; the stick clicks and the guide button (which
// the system often keeps for itself) have no command.
constexpr std::pair<SDL_GameControllerButton, ControlButton> BUTTONS[] = {
    {SDL_CONTROLLER_BUTTON_A, ControlButton::South},
    {SDL_CONTROLLER_BUTTON_B, ControlButton::East},
    {SDL_CONTROLLER_BUTTON_X, ControlButton::West},
    {SDL_CONTROLLER_BUTTON_Y, ControlButton::North},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, ControlButton::LeftShoulder},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, ControlButton::RightShoulder},
    {SDL_CONTROLLER_BUTTON_BACK, ControlButton::Back},
    {SDL_CONTROLLER_BUTTON_START, ControlButton::Start},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, ControlButton::DpadUp},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, ControlButton::DpadDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, ControlButton::DpadLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, ControlButton::DpadRight},
};

// A trigger pulled halfway counts as its shoulder button.
constexpr Sint16 TRIGGER_PULLED = SDL_JOYSTICK_AXIS_MAX / 2;

float stickAxis(Sint16 value) {
  return std::max(-1.0f, static_cast<float>(value) / SDL_JOYSTICK_AXIS_MAX);
}

std::int64_t nowMs() {
  return static_cast<std::int64_t>(SDL_GetTicks64());
}

}  // namespace

SdlControllers::SdlControllers() {
  started_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

SdlControllers::~SdlControllers() {
  for (Controller& controller : controllers_) {
    if (controller.device) SDL_GameControllerClose(controller.device);
  }
  if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool SdlControllers::isControllerEvent(const SDL_Event& event) {
  return event.type >= SDL_JOYAXISMOTION && event.type < SDL_FINGERDOWN;
}

void SdlControllers::handle(const SDL_Event& event) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
      plugIn(event.cdevice.which);
      break;
    case SDL_CONTROLLERDEVICEREMOVED:
      unplug(event.cdevice.which);
      break;
    case SDL_CONTROLLERBUTTONDOWN:
      if (Controller* controller = find(event.cbutton.which);
          controller && event.cbutton.button < 32) {
        const std::uint32_t bit = 1u << event.cbutton.button;
        controller->buttons |= bit;
        controller->pressedSinceTick |= bit;
      }
      break;
    case SDL_CONTROLLERBUTTONUP:
      if (Controller* controller = find(event.cbutton.which);
          controller && event.cbutton.button < 32) {
        controller->buttons &= ~(1u << event.cbutton.button);
      }
      break;
    case SDL_CONTROLLERAXISMOTION:
      if (Controller* controller = find(event.caxis.which);
          controller && event.caxis.axis < SDL_CONTROLLER_AXIS_MAX) {
        controller->axes[event.caxis.axis] = event.caxis.value;
      }
      break;
    default:
      break;
  }
}

void SdlControllers::tick(const KeySink& keys) {
  const std::int64_t now = nowMs();
  for (Controller& controller : controllers_) {
    if (!controller.device) continue;
    const KeyEvents given = controller.keys.update(controlState(controller), now);
    for (std::size_t i = 0; i < given.count; ++i) keys(given.entries[i]);
    controller.pressedSinceTick = 0;
  }
}

void SdlControllers::plugIn(int deviceIndex) {
  // SDL may announce a controller twice (once at start-up, once as it finds it).
  if (find(SDL_JoystickGetDeviceInstanceID(deviceIndex))) return;
  const auto free = std::find_if(controllers_.begin(), controllers_.end(),
                                 [](const Controller& c) { return c.device == nullptr; });
  if (free == controllers_.end()) return;
  SDL_GameController* device = SDL_GameControllerOpen(deviceIndex);
  if (!device) return;
  *free = Controller{};
  free->device = device;
  free->id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(device));
}

// Whatever the controller held is let go without a key: a stick pushed as the cable came
// out must not keep the ship thrusting.
void SdlControllers::unplug(SDL_JoystickID id) {
  Controller* controller = find(id);
  if (!controller) return;
  SDL_GameControllerClose(controller->device);
  *controller = Controller{};
}

SdlControllers::Controller* SdlControllers::find(SDL_JoystickID id) {
  for (Controller& controller : controllers_) {
    if (controller.device && controller.id == id) return &controller;
  }
  return nullptr;
}

ControlState SdlControllers::controlState(const Controller& controller) {
  ControlState state;
  const std::uint32_t down = controller.buttons | controller.pressedSinceTick;
  for (const auto& [sdl, control] : BUTTONS) {
    if ((down >> sdl) & 1u) state.press(control);
  }
  if (controller.axes[SDL_CONTROLLER_AXIS_TRIGGERLEFT] >= TRIGGER_PULLED) {
    state.press(ControlButton::LeftShoulder);
  }
  if (controller.axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT] >= TRIGGER_PULLED) {
    state.press(ControlButton::RightShoulder);
  }
  state.stickX = stickAxis(controller.axes[SDL_CONTROLLER_AXIS_LEFTX]);
  state.stickY = stickAxis(controller.axes[SDL_CONTROLLER_AXIS_LEFTY]);
  return state;
}

}  // namespace kestal
