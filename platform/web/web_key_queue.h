// Every key the browser back end gives the game goes through here: the keyboard, the
// gamepads, the touch controls and the number pad alike.
#pragma once

namespace kestal {

// Puts `entry` into the game's key queue and tells the page what it needs to know of it.
void queueKey(int entry);

}  // namespace kestal
