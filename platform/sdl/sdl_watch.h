// Watching a recorded game in the window: the viewer's keys steer the showing and never
// reach the game. Space pauses and resumes, 1, 2, 4 and 8 run that many retraces of the game
// per refresh, Escape and the close button leave.
#pragma once

#include <condition_variable>
#include <mutex>

namespace kestal {

class WatchControls {
 public:
  enum class Retrace { AwaitBlank, GoOn, Leave };

  // Presenting thread: a key queue entry from the keyboard, a controller or the window.
  // Entries that are no control are dropped.
  void press(int entry);

  // Game thread, at every retrace: holds the game while the showing is paused, then says
  // whether this retrace waits for the vertical blank (the last of each run of `speed`),
  // goes on at once, or the viewer has asked to leave.
  Retrace atRetrace();
  // Game thread, when the game found no key: holds it while paused (so that a game waiting
  // for a key waits no less); false once the viewer has asked to leave.
  bool atEmptyPoll();

 private:
  void holdWhilePaused(std::unique_lock<std::mutex>& lock);

  std::mutex mutex_;
  std::condition_variable changed_;
  bool paused_ = false;
  bool leaving_ = false;
  int speed_ = 1;
  int retracesSinceBlank_ = 0;  // game thread only
};

}  // namespace kestal
