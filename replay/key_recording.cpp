#include "replay/key_recording.h"

#include <charconv>

#include "replay/key_script.h"

namespace kestal::replay {

void KeyRecording::add(int entry) {
  const std::uint64_t retrace = retraces_ + (pollingWithoutRetraces_ ? 1 : 0);
  char number[24];
  lines_.append(number, std::to_chars(number, number + sizeof number, retrace).ptr);
  lines_ += ' ';
  lines_ += keyName(entry);
  lines_ += '\n';
}

}  // namespace kestal::replay
