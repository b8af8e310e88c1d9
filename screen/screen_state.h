// The one screen instance and the small helpers every drawing file shares. Internal to
// the screen service.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <mutex>

#include "screen/screen.h"
#include "screen/screen_access.h"

namespace kestal::detail {

using Page = std::array<std::uint8_t, PAGE_BYTES>;
// Static, zero-filled storage: both pages exist from program start (opening the screen
// never allocates) and, apart from the rest of the state, cost no space in the executable.
extern std::array<Page, 2> thePages;

struct ScreenState {
  std::array<Page, 2>& pages = thePages;
  Palette palette{};
  // Rows of the visible page the display has not yet been given, and whether it still
  // shows an old palette. Guarded by screenLock().
  std::bitset<SCREEN_HEIGHT> changedRows;
  bool paletteChanged = false;
  // Written only by the game thread; setPages writes them under the lock so a presenting
  // thread may read visiblePage while holding it.
  int workPage = 0;
  int visiblePage = 0;
  // Chosen by the display back end when the screen opens (DisplayBackend::keepsPictures).
  bool picturesKept = true;
  // Text state: game thread only.
  std::uint8_t foregroundColour = 15;
  std::uint8_t backgroundColour = 0;
  int cursorRow = 1;
  int cursorColumn = 1;
  bool pendingScroll = false;
};

extern ScreenState theScreen;
inline ScreenState& screenState() {
  return theScreen;
}

// Points directWorkPage at the work page, or at nothing, after the pages or the mode change.
void refreshDirectWorkPage();

// Whether drawing operations change pixels at all.
inline bool drawing() {
  return theScreen.picturesKept;
}

// Colours wrap modulo 256 (two's complement: -1 is 255).
inline std::uint8_t wrapColour(std::int64_t colour) {
  return static_cast<std::uint8_t>(colour);
}

inline bool onScreen(std::int64_t x, std::int64_t y) {
  return static_cast<std::uint64_t>(x) < SCREEN_WIDTH &&
         static_cast<std::uint64_t>(y) < SCREEN_HEIGHT;
}

// Writes pixels of the work page. The page memory of a hidden work page is touched by the
// game thread alone, so only when the work page is also the visible page (which the
// presenting thread copies from) is the screen lock taken, and the changed rows marked.
// That keeps the 16 000 star-field plots of a frame free of any locking.
class PageWriter {
 public:
  PageWriter()
      : state_(screenState()),
        page_(state_.pages[static_cast<std::size_t>(state_.workPage)].data()),
        shown_(state_.workPage == state_.visiblePage),
        lock_(screenLock(), std::defer_lock) {
    if (shown_) lock_.lock();
  }

  void set(int x, int y, std::uint8_t colour) {
    page_[y * SCREEN_WIDTH + x] = colour;
    if (shown_) state_.changedRows.set(static_cast<std::size_t>(y));
  }
  void setIfOnScreen(std::int64_t x, std::int64_t y, std::uint8_t colour) {
    if (onScreen(x, y)) set(static_cast<int>(x), static_cast<int>(y), colour);
  }
  std::uint8_t* row(int y) { return page_ + y * SCREEN_WIDTH; }
  // For callers that changed rows through row().
  void markRows(int firstRow, int lastRow) {
    if (!shown_) return;
    for (int y = firstRow; y <= lastRow; ++y) state_.changedRows.set(static_cast<std::size_t>(y));
  }

 private:
  ScreenState& state_;
  std::uint8_t* page_;
  bool shown_;
  std::unique_lock<std::mutex> lock_;
};

}  // namespace kestal::detail
