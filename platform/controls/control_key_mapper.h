// One controller's controls turned into key queue entries as time passes: a key when a
// control is pressed, and repeats while it is held, the way a desktop keyboard repeats a
// held key. The back end passes the time in, so the timing is its own and testable.
//
//   ControlKeyMapper pad;  // one per controller
//   KeyEvents keys = pad.update(state, nowMs);  // on every change, and every refresh
#pragma once

#include <array>
#include <cstdint>

#include "platform/controls/control_mapping.h"
#include "platform/controls/control_state.h"
#include "platform/controls/steering.h"
#include "platform/keys/key_events.h"

namespace kestal {

// Windows' default keyboard repeat: half a second, then thirty a second.
inline constexpr std::int64_t FIRST_REPEAT_MS = 500;
inline constexpr std::int64_t REPEAT_INTERVAL_MS = 33;

class ControlKeyMapper {
 public:
  // The keys for the controls as they are at `nowMs` (any steady millisecond clock). Pressed
  // together, the steering comes first, then the buttons South to Start. Only the control
  // pressed last repeats; when it is let go, the one held before it takes over, unless a
  // control that does not repeat was pressed since: a pause or a new game must not be
  // undone by a stick that happens to be held through it.
  KeyEvents update(const ControlState& state, std::int64_t nowMs);

 private:
  struct Held {
    ControlKeys keys;              // none while the control is up
    std::uint32_t pressOrder = 0;  // later presses have higher numbers
    std::int64_t nextRepeatMs = 0;
    bool mayRepeat = false;
  };
  // The steering, then the buttons that give keys.
  static constexpr std::size_t CONTROLS = 1 + 8;

  void follow(Held& control, const ControlKeys& keys, std::int64_t nowMs, KeyEvents& out);
  void repeatLatest(std::int64_t nowMs, KeyEvents& out);

  std::array<Held, CONTROLS> controls_{};
  Direction steering_ = Direction::None;
  std::uint32_t presses_ = 0;
};

}  // namespace kestal
