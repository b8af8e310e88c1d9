// What the browser back end keeps of a program run, beside the picture: every key the game
// is given (from the keyboard, the gamepads, the touch controls and the number pad alike),
// recorded as a key script; on request the trace of every retrace; and, when the page
// watches a replay, the script's keys played into the queue at the display's pace or faster.
#pragma once

#include <cstdint>

namespace kestal {

// Puts `entry` into the game's key queue, records it, and tells the page what it needs to
// know of it.
void queueKey(int entry);

// The screen is open: a replay's keys for retrace 0 go in.
void openedScreen();
// The display's side of a retrace: beginRetrace when the game calls waitRetrace (returns
// whether the page should show this retrace and wait for an animation frame), endRetrace
// when the wait is over.
bool beginRetrace();
void endRetrace();
// readKey found the queue empty; returns whether the back end may yield to the page.
bool emptyPollMayYield();
// While watching, the visitor has paused the replay.
bool watchPaused();

}  // namespace kestal
