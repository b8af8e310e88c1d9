// The screen instance, its lock, and the page-level operations: opening, page selection,
// showing the work page, and what a display back end reads.
#include "screen/screen_state.h"

#include <algorithm>
#include <cstring>

#include "screen/display_backend.h"
#include "screen/keyboard.h"

namespace kestal {
namespace detail {

std::array<Page, 2> thePages;
ScreenState theScreen;
std::uint8_t* directWorkPage = nullptr;

void refreshDirectWorkPage() {
  const ScreenState& s = theScreen;
  directWorkPage = s.picturesKept && s.workPage != s.visiblePage
                       ? s.pages[static_cast<std::size_t>(s.workPage)].data()
                       : nullptr;
}

namespace {
std::mutex theLock;
}  // namespace

}  // namespace detail

using detail::screenState;

std::mutex& screenLock() {
  return detail::theLock;
}

void openScreen() {
  auto& s = screenState();
  {
    std::lock_guard lock(screenLock());
    for (auto& page : s.pages) page.fill(0);
    s.palette = DEFAULT_PALETTE;
    s.changedRows.set();
    s.paletteChanged = true;
    s.workPage = 0;
    s.visiblePage = 0;
    s.picturesKept = displayBackend().keepsPictures();
  }
  detail::refreshDirectWorkPage();
  s.foregroundColour = 15;
  s.backgroundColour = 0;
  s.cursorRow = 1;
  s.cursorColumn = 1;
  s.pendingScroll = false;
  clearKeyQueue();
  // Outside the lock: the back end's hooks may put keys in.
  displayBackend().open();
}

void setPointer(int x, int y, int visible) {
  if (x >= 0) {
    x = std::min(x, SCREEN_WIDTH - 1);
    y = std::clamp(y, 0, SCREEN_HEIGHT - 1);
  }
  displayBackend().setPointer(x, y, visible);
}

void setPages(int workPage, int visiblePage) {
  const auto valid = [](int page) { return page >= -1 && page <= 1; };
  if (!valid(workPage) || !valid(visiblePage)) return;
  auto& s = screenState();
  std::lock_guard lock(screenLock());
  if (workPage != -1) s.workPage = workPage;
  if (visiblePage != -1 && visiblePage != s.visiblePage) {
    s.visiblePage = visiblePage;
    s.changedRows.set();
  }
  detail::refreshDirectWorkPage();
}

void showWorkPage() {
  auto& s = screenState();
  if (s.workPage == s.visiblePage || !s.picturesKept) return;
  std::lock_guard lock(screenLock());
  s.pages[static_cast<std::size_t>(s.visiblePage)] = s.pages[static_cast<std::size_t>(s.workPage)];
  s.changedRows.set();
}

void waitRetrace() {
  displayBackend().waitRetrace();
}

bool collectChanges(PresentedFrame& frame) {
  auto& s = screenState();
  std::lock_guard lock(screenLock());
  const auto& page = s.pages[static_cast<std::size_t>(s.visiblePage)];
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    if (!s.changedRows.test(static_cast<std::size_t>(y))) continue;
    std::memcpy(frame.pixels.data() + y * SCREEN_WIDTH, page.data() + y * SCREEN_WIDTH,
                SCREEN_WIDTH);
  }
  frame.changedRows = s.changedRows;
  frame.paletteChanged = s.paletteChanged;
  if (s.paletteChanged) frame.palette = s.palette;
  const bool anything = s.changedRows.any() || s.paletteChanged;
  s.changedRows.reset();
  s.paletteChanged = false;
  return anything;
}

std::span<const std::uint8_t, PAGE_BYTES> visiblePagePixels() {
  auto& s = screenState();
  return std::span<const std::uint8_t, PAGE_BYTES>(
      s.pages[static_cast<std::size_t>(s.visiblePage)]);
}

const Palette& displayPalette() {
  return screenState().palette;
}

std::span<const std::uint8_t, PAGE_BYTES> workPagePixels() {
  auto& s = screenState();
  return std::span<const std::uint8_t, PAGE_BYTES>(s.pages[static_cast<std::size_t>(s.workPage)]);
}

bool pendingScroll() {
  return screenState().pendingScroll;
}

bool picturesKept() {
  return detail::drawing();
}

}  // namespace kestal
