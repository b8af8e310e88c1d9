// The keys a game is given, kept as the lines of a key script: each key with the retrace
// after which the game can first read it, so that the replay of the script repeats the game.
//
// A key that arrives while the game waits for retrace R can be read once that wait returns:
// it is an event for R. A key that arrives while the game polls its empty queue without
// retraces (the pause) is an event for R + 1: the replay then hands it over in the same
// wait for a key, by the rule that gives a polling game the next event at once, and never
// before the pause began.
#pragma once

#include <cstdint>
#include <string>

namespace kestal::replay {

class KeyRecording {
 public:
  // Room for a long game's lines; more grows the text as needed.
  explicit KeyRecording(std::size_t expectedBytes = 64 * 1024) { lines_.reserve(expectedBytes); }

  // The game waits for its next retrace.
  void waitingForRetrace() {
    ++retraces_;
    pollingWithoutRetraces_ = false;
  }
  // The game polls its empty key queue again and again without waiting for a retrace.
  void pollingWithoutRetraces() { pollingWithoutRetraces_ = true; }
  // `entry` has just entered the key queue.
  void add(int entry);

  // The retraces the game has waited for so far (the last one's number).
  std::uint64_t retraces() const { return retraces_; }
  // "<retrace> <key>\n" for every key so far.
  const std::string& lines() const { return lines_; }

 private:
  std::uint64_t retraces_ = 0;
  bool pollingWithoutRetraces_ = false;
  std::string lines_;
};

}  // namespace kestal::replay
