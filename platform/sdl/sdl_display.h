// The display back end of the two programs: an SDL window on the main thread, the game on a
// thread of its own.
//
//   kestal::SdlDisplay display(argv[0]);
//   kestal::setDisplayBackend(&display);
//   return display.run([&] { ...game... });
//
// It also shows recorded games (Mode::Watch): the keys then steer the showing instead of
// reaching the game (see sdl_watch.h).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/sdl/sdl_retrace.h"
#include "screen/display_backend.h"

namespace kestal {

class SdlBeeper;
class SdlWindow;
class WatchControls;

class SdlDisplay final : public DisplayBackend {
 public:
  // Play: the window's keys go into the key queue. Watch: the window opens before the game
  // starts (so that a missing display ends the run before anything else is set up), and
  // its keys are the viewer's controls; the game sees only the keys its driver puts in.
  enum class Mode { Play, Watch };

  // `programPath` is argv[0]; the window is titled with its file name.
  explicit SdlDisplay(std::string_view programPath, Mode mode = Mode::Play);
  ~SdlDisplay() override;
  SdlDisplay(const SdlDisplay&) = delete;
  SdlDisplay& operator=(const SdlDisplay&) = delete;

  // Runs `game` on a new thread while the calling (main) thread serves the window; returns
  // exitProgram's code, or 0 when `game` returns (also when a viewer leaves).
  int run(const std::function<void()>& game) override;

  // Everything below is called on the game thread.
  void open() override;
  void waitRetrace() override;
  void setPointer(int x, int y, int visible) override;
  void beep() override;
  void emptyPoll() override;
  void close() override;

  // Whether waitRetrace follows presents that wait for the vertical blank (rather than
  // sleeping a refresh period): known once the window is open.
  bool vsyncObserved() const { return windowOpen_.load() && vsyncObserved_.load(); }

 private:
  // Work the game thread hands to the main thread.
  struct Requests {
    bool openWindow = false;
    bool closeWindow = false;
    bool movePointer = false;
    int pointerX = -1, pointerY = -1, pointerVisible = -1;  // -1: as setPointer's
    int beeps = 0;

    bool any() const { return openWindow || closeWindow || movePointer || beeps > 0; }
  };

  void runGame(const std::function<void()>& game);
  void serve();
  void carryOut(const Requests& work);
  void openWindow();
  void reportOpenFailure(const std::string& failure) const;
  void closeWindow();
  void shutDown();
  void request(const Requests& work);
  void wakePresenter();

  const std::string title_;
  const std::unique_ptr<WatchControls> watch_;  // null in play

  // Guards the requests, the answers to open() and the game's end.
  std::mutex mutex_;
  std::condition_variable requestsChanged_;
  std::condition_variable openAnswered_;
  Requests pending_;
  bool openPending_ = false;
  std::string openFailure_;
  bool gameDone_ = false;
  int exitCode_ = 0;
  std::exception_ptr gameFailure_;
  bool canPushEvents_ = false;  // SDL's event queue exists: the presenter can be woken
  std::uint32_t wakeEventType_ = 0;

  RetraceSignal retrace_;
  std::atomic<bool> windowOpen_{false};
  std::atomic<bool> vsyncObserved_{false};
  std::atomic<bool> presenterIdle_{false};
  std::atomic<int> periodMs_{16};
  int emptyPolls_ = 0;  // game thread only

  // Main thread only.
  std::unique_ptr<SdlWindow> window_;
  std::unique_ptr<SdlBeeper> beeper_;
};

}  // namespace kestal
