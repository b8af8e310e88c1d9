#include "platform/sdl/sdl_display.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

#include "platform/sdl/sdl_beeper.h"
#include "platform/sdl/sdl_layout.h"
#include "platform/sdl/sdl_watch.h"
#include "platform/sdl/sdl_window.h"
#include "screen/keyboard.h"
#include "screen/program.h"

namespace kestal {

namespace {
using namespace std::chrono_literals;

// A presenter stalled by the window system (a full-screen switch, a window being moved)
// must not freeze the game for longer than this.
constexpr auto LONGEST_RETRACE_WAIT = 100ms;
// readKey polled empty this many times in a row without a frame in between: the game is
// waiting for a key, and a millisecond's sleep per poll costs it nothing.
constexpr int BUSY_POLLS_BEFORE_SLEEPING = 64;
}  // namespace

SdlDisplay::SdlDisplay(std::string_view programPath, Mode mode)
    : title_(windowTitleFromPath(programPath)),
      watch_(mode == Mode::Watch ? std::make_unique<WatchControls>() : nullptr) {}

SdlDisplay::~SdlDisplay() = default;

int SdlDisplay::run(const std::function<void()>& game) {
  // Ctrl+C and SIGTERM keep their default meaning: end the process at once.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The close button is a key for the game, not a reason to quit.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  if (watch_) {
    openWindow();
    if (!window_) {
      reportOpenFailure(openFailure_);
      shutDown();
      return 1;
    }
  }
  std::thread gameThread([this, &game] { runGame(game); });
  serve();
  gameThread.join();
  shutDown();
  if (gameFailure_) std::rethrow_exception(gameFailure_);
  return exitCode_;
}

void SdlDisplay::runGame(const std::function<void()>& game) {
  int code = 0;
  std::exception_ptr failure;
  try {
    game();
  } catch (const ProgramExit& exit) {
    code = exit.code;
  } catch (...) {
    failure = std::current_exception();
  }
  {
    std::lock_guard lock(mutex_);
    gameDone_ = true;
    exitCode_ = code;
    gameFailure_ = failure;
  }
  wakePresenter();
}

void SdlDisplay::serve() {
  for (;;) {
    Requests work;
    bool done = false;
    {
      std::unique_lock lock(mutex_);
      // Without a window there is nothing to present: sleep until asked for something.
      if (!window_) requestsChanged_.wait(lock, [&] { return pending_.any() || gameDone_; });
      work = std::exchange(pending_, Requests{});
      done = gameDone_;
    }
    carryOut(work);
    if (done) return;
    if (window_) {
      window_->serve(retrace_, presenterIdle_);
      vsyncObserved_.store(window_->vsyncObserved());
    }
  }
}

void SdlDisplay::carryOut(const Requests& work) {
  if (work.openWindow) openWindow();
  if (work.movePointer && window_) {
    window_->setPointer(work.pointerX, work.pointerY, work.pointerVisible);
  }
  for (int i = 0; i < work.beeps; ++i) {
    if (!beeper_) beeper_ = std::make_unique<SdlBeeper>();
    beeper_->beep();
  }
  if (work.closeWindow) closeWindow();
}

void SdlDisplay::openWindow() {
  std::string failure;
  if (!window_) {
    KeySink keys = pushKey;
    if (watch_) keys = [watch = watch_.get()](int entry) { watch->press(entry); };
    window_ = SdlWindow::open(title_, std::move(keys), failure);
  }
  if (window_) {
    if (wakeEventType_ == 0) wakeEventType_ = SDL_RegisterEvents(1);
    periodMs_.store(window_->periodMs());
    vsyncObserved_.store(window_->vsyncObserved());
    windowOpen_.store(true);
  }
  {
    std::lock_guard lock(mutex_);
    canPushEvents_ = window_ != nullptr && wakeEventType_ != static_cast<std::uint32_t>(-1);
    openFailure_ = failure;
    openPending_ = false;
  }
  openAnswered_.notify_all();
}

void SdlDisplay::closeWindow() {
  {
    std::lock_guard lock(mutex_);
    canPushEvents_ = false;
  }
  windowOpen_.store(false);
  retrace_.stop();
  window_.reset();
}

void SdlDisplay::shutDown() {
  closeWindow();
  beeper_.reset();
  SDL_Quit();
}

void SdlDisplay::request(const Requests& work) {
  {
    std::lock_guard lock(mutex_);
    pending_.openWindow |= work.openWindow;
    pending_.closeWindow |= work.closeWindow;
    if (work.movePointer) {
      // Two calls before the main thread looks: the later one wins where it says something.
      pending_.movePointer = true;
      if (work.pointerX >= 0) {
        pending_.pointerX = work.pointerX;
        pending_.pointerY = work.pointerY;
      }
      if (work.pointerVisible >= 0) pending_.pointerVisible = work.pointerVisible;
    }
    pending_.beeps += work.beeps;
  }
  wakePresenter();
}

void SdlDisplay::wakePresenter() {
  std::lock_guard lock(mutex_);
  requestsChanged_.notify_one();
  if (canPushEvents_) {
    SDL_Event wake{};
    wake.type = wakeEventType_;
    SDL_PushEvent(&wake);
  }
}

void SdlDisplay::open() {
  if (windowOpen_.load()) return;
  {
    std::lock_guard lock(mutex_);
    openPending_ = true;
    pending_.openWindow = true;
  }
  wakePresenter();
  std::string failure;
  {
    std::unique_lock lock(mutex_);
    openAnswered_.wait(lock, [&] { return !openPending_; });
    failure = openFailure_;
  }
  if (!failure.empty()) {
    reportOpenFailure(failure);
    exitProgram(1);
  }
}

void SdlDisplay::reportOpenFailure(const std::string& failure) const {
  std::fprintf(stderr, "%s: cannot show the screen: %s\n", title_.c_str(), failure.c_str());
}

void SdlDisplay::waitRetrace() {
  emptyPolls_ = 0;
  if (watch_) {
    const WatchControls::Retrace step = watch_->atRetrace();
    if (step == WatchControls::Retrace::Leave) exitProgram(0);
    if (step == WatchControls::Retrace::GoOn) return;
  }
  if (windowOpen_.load() && vsyncObserved_.load()) {
    const std::uint64_t target = retrace_.enterWait();
    if (presenterIdle_.load()) wakePresenter();
    retrace_.awaitVblank(target, LONGEST_RETRACE_WAIT);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(periodMs_.load()));
}

void SdlDisplay::setPointer(int x, int y, int visible) {
  Requests work;
  work.movePointer = true;
  work.pointerX = x;
  work.pointerY = y;
  work.pointerVisible = visible;
  request(work);
}

void SdlDisplay::beep() {
  Requests work;
  work.beeps = 1;
  request(work);
}

void SdlDisplay::emptyPoll() {
  if (watch_ && !watch_->atEmptyPoll()) exitProgram(0);
  if (++emptyPolls_ > BUSY_POLLS_BEFORE_SLEEPING) std::this_thread::sleep_for(1ms);
}

void SdlDisplay::close() {
  // The game thread ends right after this; the main thread removes the window before run()
  // returns, so nothing here needs to wait.
  Requests work;
  work.closeWindow = true;
  request(work);
}

}  // namespace kestal
