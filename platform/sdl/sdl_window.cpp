#include "platform/sdl/sdl_window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/sdl/sdl_layout.h"
#include "platform/sdl/sdl_window_manager.h"

namespace kestal {

namespace {

using namespace std::chrono_literals;

// A game released at a vertical blank shows its next page a moment later. Waiting this long
// for it puts each page on display exactly one refresh after showWorkPage, instead of
// racing the game for it (and showing one page twice and the next never).
constexpr auto SHOWN_PAGE_GRACE = 3ms;
constexpr auto SHOWN_PAGE_POLL = 200us;
// How often a display judged not to wait for the vertical blank is tried again (a window
// that was hidden may wait again once shown).
constexpr auto PROBE_INTERVAL = 2s;

double millisecondsBetween(std::chrono::steady_clock::time_point from,
                           std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string sdlError() {
  return SDL_GetError();
}

// SDL falls back to drivers that draw into memory when no window system answers.
bool driverShowsNothing(const char* driver) {
  return driver == nullptr || std::strcmp(driver, "offscreen") == 0 ||
         std::strcmp(driver, "dummy") == 0;
}

std::string noWindowSystemReason(const std::string& detail) {
  const char* display = std::getenv("DISPLAY");
  const std::string where = display == nullptr || *display == '\0'
                                ? std::string("DISPLAY is not set")
                                : "DISPLAY is " + std::string(display);
  return "no window system to show it on (" + where + "; " + detail + ")";
}

// Unless the user named a video driver, SDL may try only those that show something, so
// that no display at all is an error SDL reports rather than an invisible window. Wayland
// is left out where it cannot run: libwayland would print its own complaint on stderr.
void preferDriversThatShowSomething() {
  const char* named = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if (named != nullptr && *named != '\0') return;
  const char* runtimeDirectory = std::getenv("XDG_RUNTIME_DIR");
  const bool waylandPossible = runtimeDirectory != nullptr && *runtimeDirectory != '\0';
  std::string drivers;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const char* driver = SDL_GetVideoDriver(i);
    if (driverShowsNothing(driver)) continue;
    if (!waylandPossible && std::strcmp(driver, "wayland") == 0) continue;
    if (!drivers.empty()) drivers += ',';
    drivers += driver;
  }
  if (!drivers.empty()) SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
}

}  // namespace

std::unique_ptr<SdlWindow> SdlWindow::open(const std::string& title, KeySink keys,
                                           std::string& failure) {
  preferDriversThatShowSomething();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    failure = noWindowSystemReason("SDL: " + sdlError());
    return nullptr;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driverShowsNothing(driver)) {
    failure = noWindowSystemReason("SDL chose its \"" + std::string(driver ? driver : "") +
                                   "\" video driver, which shows nothing");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  std::unique_ptr<SdlWindow> window(new SdlWindow());
  window->keySink_ = std::move(keys);
  if (!window->create(title, failure)) return nullptr;
  return window;
}

SdlWindow::~SdlWindow() {
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) {
    if (isFullScreen()) SDL_SetWindowFullscreen(window_, 0);
    SDL_DestroyWindow(window_);
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlWindow::create(const std::string& title, std::string& failure) {
  // Resizable, so that the window system offers to maximise it (which means full screen).
  // Created full screen, so that the window manager maps it that way at once, but hidden
  // until it is known that there is a window manager to do so.
  window_ = SDL_CreateWindow(
      title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, SCREEN_WIDTH, SCREEN_HEIGHT,
      SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN | SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (!window_) {
    failure = "no window could be created: " + sdlError();
    return false;
  }
  fullScreenAvailable_ = windowManagerOffersFullScreen(window_);
  if (!fullScreenAvailable_) {
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowSize(window_, SCREEN_WIDTH, SCREEN_HEIGHT);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }
  SDL_ShowWindow(window_);
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    failure = "no renderer for the window: " + sdlError();
    return false;
  }
  if (!createTexture()) {
    failure = "no texture for the picture: " + sdlError();
    return false;
  }
  SDL_DisplayMode mode{};
  const int display = SDL_GetWindowDisplayIndex(window_);
  const int rate =
      display >= 0 && SDL_GetDesktopDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
  periodMs_ = refreshPeriodMs(rate);
  vsync_ = VsyncDetector(periodMs_);
  probeVsync();
  nextProbe_ = Clock::now() + PROBE_INTERVAL;
  return true;
}

bool SdlWindow::createTexture() {
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                               SCREEN_WIDTH, SCREEN_HEIGHT);
  if (!texture_) return false;
  // Each picture pixel becomes a block of whole output pixels: no smearing between them.
  SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
  picture_.markAllDirty();
  return true;
}

void SdlWindow::serve(RetraceSignal& retrace, std::atomic<bool>& idle) {
  pumpEvents();
  const bool changed = collect(retrace);
  if (vsync_.observed()) {
    serveWithVsync(retrace, idle, changed);
  } else {
    serveByTimer(retrace, idle, changed);
  }
}

void SdlWindow::pumpEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) handleEvent(event);
  deliver(keys_.flush());
  controllers_.tick(keySink_);
}

void SdlWindow::deliver(const KeyEvents& keys) {
  for (std::size_t i = 0; i < keys.count; ++i) keySink_(keys.entries[i]);
  if (keys.toggleFullScreen) toggleFullScreen();
}

void SdlWindow::handleEvent(const SDL_Event& event) {
  // Controller events never come between a key-down and its text.
  if (SdlControllers::isControllerEvent(event)) {
    controllers_.handle(event);
    return;
  }
  deliver(keys_.translate(event));
  switch (event.type) {
    case SDL_WINDOWEVENT:
      handleWindowEvent(event.window);
      break;
    case SDL_RENDER_DEVICE_RESET:
      // The renderer dropped its textures; the picture still lives in picture_.
      createTexture();
      redraw_ = true;
      break;
    case SDL_RENDER_TARGETS_RESET:
      picture_.markAllDirty();
      redraw_ = true;
      break;
    default:
      break;
  }
}

void SdlWindow::handleWindowEvent(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_MAXIMIZED:
      if (!isFullScreen()) enterFullScreen();
      redraw_ = true;
      break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
      redraw_ = true;
      break;
    default:
      break;
  }
}

bool SdlWindow::isFullScreen() const {
  return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
}

void SdlWindow::toggleFullScreen() {
  if (isFullScreen()) {
    leaveFullScreen();
  } else {
    enterFullScreen();
  }
  redraw_ = true;
}

void SdlWindow::enterFullScreen() {
  // Where full screen is not to be had, the window simply stays.
  if (fullScreenAvailable_) SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void SdlWindow::leaveFullScreen() {
  SDL_SetWindowFullscreen(window_, 0);
  // Back to the plain 640 x 400 window, not to a maximised one (which would mean full
  // screen again).
  SDL_RestoreWindow(window_);
  SDL_SetWindowSize(window_, SCREEN_WIDTH, SCREEN_HEIGHT);
}

bool SdlWindow::collect(RetraceSignal& retrace) {
  bool changed = collectChanges(*frame_);
  if (!changed && releasedWaiter_) changed = awaitShownPage(retrace);
  releasedWaiter_ = false;
  if (changed) picture_.apply(*frame_);
  return changed;
}

bool SdlWindow::awaitShownPage(RetraceSignal& retrace) {
  const Clock::time_point deadline = Clock::now() + SHOWN_PAGE_GRACE;
  while (Clock::now() < deadline) {
    std::this_thread::sleep_for(SHOWN_PAGE_POLL);
    if (collectChanges(*frame_)) return true;
    // A game already waiting again has shown all it will for this refresh.
    if (retrace.hasWaiter()) return collectChanges(*frame_);
  }
  return false;
}

void SdlWindow::serveWithVsync(RetraceSignal& retrace, std::atomic<bool>& idle, bool changed) {
  if (!changed && !redraw_ && !retrace.hasWaiter()) {
    lastPresent_.reset();
    waitForEvents(retrace, idle);
    return;
  }
  present();
  const Clock::time_point now = Clock::now();
  if (lastPresent_) vsync_.addInterval(millisecondsBetween(*lastPresent_, now));
  lastPresent_ = now;
  releasedWaiter_ = retrace.markVblank();
  if (!vsync_.observed()) nextProbe_ = now + PROBE_INTERVAL;
}

void SdlWindow::serveByTimer(RetraceSignal& retrace, std::atomic<bool>& idle, bool changed) {
  if (changed || redraw_) present();
  // The game sleeps its refresh period by itself now; this only ends a wait begun while the
  // vertical blank still seemed observable.
  retrace.markVblank();
  if (Clock::now() >= nextProbe_) {
    probeVsync();
    nextProbe_ = Clock::now() + PROBE_INTERVAL;
    if (vsync_.observed()) return;
  }
  waitForEvents(retrace, idle);
}

void SdlWindow::waitForEvents(RetraceSignal& retrace, std::atomic<bool>& idle) {
  // Raise the flag before looking for a waiter: a game that registers just after the look
  // then sees the flag and wakes the loop.
  idle.store(true);
  if (!retrace.hasWaiter()) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, periodMs_)) {
      handleEvent(event);
      pumpEvents();
    }
  }
  idle.store(false);
}

void SdlWindow::probeVsync() {
  Clock::time_point previous = Clock::now();
  for (int i = 0; i <= VsyncDetector::CONFIRMING_SAMPLES; ++i) {
    present();
    const Clock::time_point now = Clock::now();
    if (i > 0) vsync_.addInterval(millisecondsBetween(previous, now));
    previous = now;
  }
  lastPresent_ = previous;
}

SDL_Rect SdlWindow::currentPictureRect() const {
  int width = SCREEN_WIDTH;
  int height = SCREEN_HEIGHT;
  SDL_GetRendererOutputSize(renderer_, &width, &height);
  return pictureRect(width, height, isFullScreen());
}

void SdlWindow::present() {
  picture_.uploadDirtyRows([this](int firstRow, int rowCount, const std::uint32_t* pixels) {
    const SDL_Rect rows{0, firstRow, SCREEN_WIDTH, rowCount};
    SDL_UpdateTexture(texture_, &rows, pixels, SCREEN_WIDTH * sizeof(std::uint32_t));
  });
  const SDL_Rect target = currentPictureRect();
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, SDL_ALPHA_OPAQUE);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, &target);
  SDL_RenderPresent(renderer_);
  redraw_ = false;
}

void SdlWindow::setPointer(int x, int y, int visible) {
  if (x >= 0) {
    const SDL_Point at = outputPointOfPixel(currentPictureRect(), std::min(x, SCREEN_WIDTH - 1),
                                            std::clamp(y, 0, SCREEN_HEIGHT - 1));
    SDL_WarpMouseInWindow(window_, at.x, at.y);
  }
  if (visible == 0) SDL_ShowCursor(SDL_DISABLE);
  if (visible > 0) SDL_ShowCursor(SDL_ENABLE);
}

}  // namespace kestal
