// The page's gamepads and touch controls become key queue entries through the shared
// control mapping. kestal-page.js polls them once per animation frame and hands each over
// in the Gamepad API's standard layout, with the frame's time.
#include <emscripten.h>

#include <array>
#include <cstdint>

#include "platform/controls/control_key_mapper.h"
#include "platform/controls/standard_gamepad.h"
#include "platform/web/web_session.h"

namespace {

// The first four gamepads by their index, then the touch controls.
constexpr int CONTROL_SOURCES = 5;

std::array<kestal::ControlKeyMapper, CONTROL_SOURCES>& sources() {
  static std::array<kestal::ControlKeyMapper, CONTROL_SOURCES> mappers;
  return mappers;
}

}  // namespace

// `pressed`: bit i is standard button i; the stick's axes -1..1; `nowMs` the page's clock.
// A source that is gone is handed over with nothing pressed, which lets go of all it held.
extern "C" EMSCRIPTEN_KEEPALIVE void kestal_web_controls(int source, int pressed, double stickX,
                                                         double stickY, double nowMs) {
  if (source < 0 || source >= CONTROL_SOURCES) return;
  const kestal::ControlState state =
      kestal::standardGamepadState(static_cast<std::uint32_t>(pressed), stickX, stickY);
  const kestal::KeyEvents keys =
      sources()[static_cast<std::size_t>(source)].update(state, static_cast<std::int64_t>(nowMs));
  for (std::size_t i = 0; i < keys.count; ++i) kestal::queueKey(keys.entries[i]);
}
