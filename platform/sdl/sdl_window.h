// The screen window, served from the main thread: opening it, full screen and back, the
// keyboard and game controllers, and presenting the visible page once per refresh.
#pragma once

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/sdl/sdl_controllers.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_retrace.h"
#include "screen/screen_access.h"

namespace kestal {

class SdlWindow {
 public:
  // Starts SDL's video and opens the window (full screen where possible); the keys of the
  // keyboard, the controllers and the close button go to `keys`. Returns null and says why
  // in `failure` when no picture can be shown at all.
  static std::unique_ptr<SdlWindow> open(const std::string& title, KeySink keys,
                                         std::string& failure);
  // Leaves full screen, removes the window and stops SDL's video.
  ~SdlWindow();
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // One turn of the presenting loop: window events, keys and controllers, the page changes,
  // then a present (which marks a vertical blank) or a short wait for events. `idle` is set
  // while the loop waits for events, so a game entering waitRetrace knows to wake it.
  void serve(RetraceSignal& retrace, std::atomic<bool>& idle);

  void setPointer(int x, int y, int visible);

  bool vsyncObserved() const { return vsync_.observed(); }
  int periodMs() const { return periodMs_; }

 private:
  using Clock = std::chrono::steady_clock;

  SdlWindow() = default;  // only once SDL's video has started
  bool create(const std::string& title, std::string& failure);
  bool createTexture();

  void pumpEvents();
  void handleEvent(const SDL_Event& event);
  void deliver(const KeyEvents& keys);
  void handleWindowEvent(const SDL_WindowEvent& event);
  bool isFullScreen() const;
  void toggleFullScreen();
  void enterFullScreen();
  void leaveFullScreen();

  bool collect(RetraceSignal& retrace);
  bool awaitShownPage(RetraceSignal& retrace);
  void serveWithVsync(RetraceSignal& retrace, std::atomic<bool>& idle, bool changed);
  void serveByTimer(RetraceSignal& retrace, std::atomic<bool>& idle, bool changed);
  void waitForEvents(RetraceSignal& retrace, std::atomic<bool>& idle);
  void probeVsync();
  SDL_Rect currentPictureRect() const;
  void present();

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;

  std::unique_ptr<PresentedFrame> frame_ = std::make_unique<PresentedFrame>();
  PictureBuffer picture_;
  KeyTranslator keys_;
  KeySink keySink_;
  SdlControllers controllers_;
  bool redraw_ = true;
  bool fullScreenAvailable_ = true;

  int periodMs_ = 16;
  VsyncDetector vsync_{16};
  std::optional<Clock::time_point> lastPresent_;  // set while presents run back to back
  bool releasedWaiter_ = false;                   // the last vertical blank ended a wait
  Clock::time_point nextProbe_{};
};

}  // namespace kestal
