// The seam between the screen service and whatever shows the picture and delivers keys.
// The screen service owns pages, palette, cursor and key queue; a back end only presents
// them (see screen_access.h) and feeds keys in (keyboard.h).
#pragma once

#include <functional>

namespace kestal {

class DisplayBackend {
 public:
  virtual ~DisplayBackend() = default;

  // Runs `game` (the whole program after its own set-up) and returns the exit code that
  // exitProgram was given, or 0 when `game` returns. A windowed back end runs the game on
  // a thread of its own and presents from the calling (main) thread.
  virtual int run(const std::function<void()>& game) = 0;

  // Called by openScreen on the game thread, after the screen state is reset. A back end
  // that cannot show a picture at all reports why on stderr and calls exitProgram(1).
  virtual void open() = 0;
  // Blocks until the display's next vertical blank (or sleeps a refresh period).
  virtual void waitRetrace() = 0;
  // Moves, hides or shows the pointer, as setPointer describes.
  virtual void setPointer(int x, int y, int visible) = 0;
  // A short beep (1000 Hz, 250 ms); silently nothing where there is no audio device.
  virtual void beep() = 0;
  // readKey found the queue empty (the game is polling without waiting).
  virtual void emptyPoll() {}
  // Whether the screen keeps pictures, asked when it opens. A back end for runs that need
  // only the game's state (verifying a recording) says no: drawing then changes no pixel.
  virtual bool keepsPictures() const { return true; }
  // Leaves full screen and removes the window; the last call before the process ends.
  virtual void close() = 0;
};

// The back end the screen service uses; set once by the program's entry point.
void setDisplayBackend(DisplayBackend* backend);
DisplayBackend& displayBackend();
// The back end used while none is set. The screen service does not define it: the program
// chooses by what it links (platform/headless provides the headless one).
DisplayBackend& fallbackDisplayBackend();

}  // namespace kestal
