#include "replay/key_playback.h"

namespace kestal::replay {

void KeyPlayback::deliverUpTo(std::uint64_t retrace) {
  emptyPolls_ = 0;
  while (next_ < events_.size() && events_[next_].retrace <= retrace) {
    deliver_(events_[next_++].entry);
  }
}

bool KeyPlayback::emptyPoll() {
  if (++emptyPolls_ < EMPTY_POLLS_BEFORE_NEXT_KEY) return true;
  if (!keysLeft()) return false;
  emptyPolls_ = 0;
  deliver_(events_[next_++].entry);
  return true;
}

}  // namespace kestal::replay
