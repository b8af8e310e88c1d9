#include "platform/web/web_display.h"

#include <emscripten.h>

#include <cstdio>

#include "platform/web/web_picture.h"
#include "platform/web/web_session.h"
#include "screen/program.h"

// The page's side of the seam is window.kestalPage (page/kestal-page.js); each call below
// names the promise it relies on.
namespace {

// Shows rows first..last of the RGBA picture on the canvas. The canvas is repainted by the
// browser at its next rendering opportunity.
EM_JS(void, pagePresent, (const void* rgba, int first, int last),
      { kestalPage.present(HEAPU8, rgba, first, last); });

// Resolves at the browser's next animation frame: the display's vertical blank.
EM_ASYNC_JS(void, pageNextFrame, (), { await kestalPage.nextFrame(); });

// Whether the page could show a picture at all (a 2-D canvas context).
EM_JS(int, pageOpen, (), { return kestalPage.open() ? 1 : 0; });

EM_JS(void, pageHidePointer, (int hidden), { kestalPage.hidePointer(Boolean(hidden)); });

// A 1000 Hz tone for 250 ms through Web Audio; nothing where the page has no audio.
EM_JS(void, pageBeep, (), { kestalPage.beep(); });

// Leaves browser full screen and takes the picture away.
EM_JS(void, pageClose, (), { kestalPage.close(); });

// readKey polled empty this many times in a row without a frame in between: the game is
// waiting for a key (the pause), and each further poll may wait a frame for the browser.
constexpr int BUSY_POLLS_BEFORE_YIELDING = 64;

kestal::WebPicture& picture() {
  static kestal::WebPicture instance;  // 1.3 MB: kept out of the game's stack and heap
  return instance;
}

}  // namespace

namespace kestal {

WebDisplay::WebDisplay(std::string_view /*programPath*/) {}

int WebDisplay::run(const std::function<void()>& game) {
  try {
    game();
  } catch (const ProgramExit& exit) {
    return exit.code;
  }
  return 0;
}

void WebDisplay::open() {
  if (pageOpen() == 0) {
    std::fprintf(stderr, "cannot open the screen: this browser gives the page no 2-D canvas\n");
    exitProgram(1);
  }
  present();
  openedScreen();
}

void WebDisplay::present() {
  const WebPicture::ChangedRows rows = picture().update();
  if (!rows.empty()) pagePresent(picture().rgba(), rows.first, rows.last);
}

void WebDisplay::waitRetrace() {
  emptyPolls_ = 0;
  // A replay watched faster than the display shows only every few retraces.
  if (beginRetrace()) {
    present();
    pageNextFrame();
    while (watchPaused()) pageNextFrame();
  }
  endRetrace();
}

void WebDisplay::emptyPoll() {
  if (!emptyPollMayYield()) return;
  if (++emptyPolls_ < BUSY_POLLS_BEFORE_YIELDING) return;
  // A waiting game still shows palette changes and lets the page answer its events.
  present();
  pageNextFrame();
}

void WebDisplay::setPointer(int /*x*/, int /*y*/, int visible) {
  // A page cannot move the pointer; it can hide it over the picture.
  if (visible >= 0) pageHidePointer(visible == 0 ? 1 : 0);
}

void WebDisplay::beep() {
  pageBeep();
}

void WebDisplay::close() {
  present();
  pageClose();
}

}  // namespace kestal
