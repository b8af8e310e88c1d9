#include "platform/controls/control_key_mapper.h"

namespace kestal {
namespace {

void give(const ControlKeys& keys, KeyEvents& out) {
  for (int entry : keys.entries) {
    if (entry >= 0) out.add(entry);
  }
}

}  // namespace

KeyEvents ControlKeyMapper::update(const ControlState& state, std::int64_t nowMs) {
  KeyEvents out;
  steering_ = steering(state, steering_);
  follow(controls_[0], directionKeys(steering_), nowMs, out);
  for (std::size_t i = 1; i < CONTROLS; ++i) {
    const auto button = static_cast<ControlButton>(i - 1);
    follow(controls_[i], state.held(button) ? buttonKeys(button) : ControlKeys{}, nowMs, out);
  }
  repeatLatest(nowMs, out);
  return out;
}

// A control that now gives other keys (a new direction) counts as pressed anew.
void ControlKeyMapper::follow(Held& control, const ControlKeys& keys, std::int64_t nowMs,
                              KeyEvents& out) {
  if (keys == control.keys) return;
  control.keys = keys;
  if (!keys.any()) return;
  give(keys, out);
  control.pressOrder = ++presses_;
  control.nextRepeatMs = nowMs + FIRST_REPEAT_MS;
  control.mayRepeat = keys.repeats;
  if (!keys.repeats) {
    for (Held& other : controls_) other.mayRepeat = false;
  }
}

void ControlKeyMapper::repeatLatest(std::int64_t nowMs, KeyEvents& out) {
  Held* latest = nullptr;
  for (Held& control : controls_) {
    if (!control.keys.any() || !control.mayRepeat) continue;
    if (latest == nullptr || control.pressOrder > latest->pressOrder) latest = &control;
  }
  if (latest == nullptr || nowMs < latest->nextRepeatMs) return;
  give(latest->keys, out);
  latest->nextRepeatMs += REPEAT_INTERVAL_MS;
  // After a long gap between updates the rate starts afresh rather than catching up.
  if (latest->nextRepeatMs <= nowMs) latest->nextRepeatMs = nowMs + REPEAT_INTERVAL_MS;
}

}  // namespace kestal
