// The key queue: filled by the display back end (any thread), read by the game.
#include <array>

#include "screen/display_backend.h"
#include "screen/keyboard.h"
#include "screen/screen_access.h"

namespace kestal {
namespace {

struct KeyQueue {
  std::array<int, KEY_QUEUE_SLOTS> entries{};
  int write = 0;
  int read = 0;
};

// Guarded by screenLock().
KeyQueue theQueue;

int nextSlot(int index) {
  return (index + 1) % KEY_QUEUE_SLOTS;
}

constexpr int LARGEST_ENTRY = 0xFFFF;
constexpr char EXTENDED_PREFIX = '\xff';

}  // namespace

std::string readKey() {
  int entry = 0;
  {
    std::lock_guard lock(screenLock());
    if (theQueue.read != theQueue.write) {
      entry = theQueue.entries[static_cast<std::size_t>(theQueue.read)];
      theQueue.read = nextSlot(theQueue.read);
    } else {
      entry = -1;
    }
  }
  if (entry < 0) {
    // Outside the lock: a headless back end may put the next scripted key in from here.
    displayBackend().emptyPoll();
    return std::string();
  }
  if (entry < 256) return std::string(1, static_cast<char>(entry));
  const char scan = static_cast<char>(entry / 256);
  return std::string{EXTENDED_PREFIX, scan};
}

void pushKey(int entry) {
  if (entry < 0 || entry > LARGEST_ENTRY) return;
  std::lock_guard lock(screenLock());
  const int next = nextSlot(theQueue.write);
  if (next == theQueue.read) theQueue.read = nextSlot(theQueue.read);  // drop the oldest
  theQueue.entries[static_cast<std::size_t>(theQueue.write)] = entry;
  theQueue.write = next;
}

void clearKeyQueue() {
  std::lock_guard lock(screenLock());
  theQueue.read = theQueue.write = 0;
}

}  // namespace kestal
