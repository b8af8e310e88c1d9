// A run of the game filmed: from the first retrace of the range to its last, each retrace's
// picture is drawn and handed on at once (nothing is kept), and in the sound edition the
// effects' samples for the time until the next retrace. Sounds the game starts after a
// retrace's wait start at that retrace's time, the frame's first sample.
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "screen/screen.h"
#include "screen/screen_access.h"
#include "video/effect_mixer.h"
#include "video/yuv_picture.h"

namespace kestal::video {

// Where the frames and samples go: an encoder. Each call returns the problem, or "".
class VideoSink {
 public:
  virtual ~VideoSink() = default;
  virtual std::string addPicture(const YuvPicture& picture) = 0;
  virtual std::string addSound(std::span<const float> samples) = 0;
};

// The retraces filmed, both included; retraces are counted from 1.
struct RetraceRange {
  std::uint64_t first = 1;
  std::uint64_t last = std::numeric_limits<std::uint64_t>::max();
};

class VideoRecording {
 public:
  // `mixer` is the game's sound for the run, or null for a video without sound.
  VideoRecording(VideoSink& sink, RetraceRange range, EffectMixer* mixer)
      : sink_(sink), range_(range), mixer_(mixer), samples_(SAMPLES_PER_RETRACE) {}

  // Retrace `retrace`'s wait is over and the display shows `pixels` through `palette`.
  std::string atRetrace(std::uint64_t retrace, std::span<const std::uint8_t, PAGE_BYTES> pixels,
                        const Palette& palette);
  // The run is over: the last frame's sound.
  std::string finish();

  std::uint64_t frames() const { return frames_; }
  // The last retrace the run reached, filmed or not.
  std::uint64_t lastRetrace() const { return lastRetrace_; }
  // Whether `retrace` is the last one filmed: the run need not go further.
  bool isLast(std::uint64_t retrace) const { return retrace >= range_.last; }

 private:
  bool filmed(std::uint64_t retrace) const {
    return retrace >= range_.first && retrace <= range_.last;
  }
  // The sound from retrace `retrace` to the next, kept if that frame is filmed.
  std::string soundOf(std::uint64_t retrace);

  VideoSink& sink_;
  RetraceRange range_;
  EffectMixer* mixer_;
  YuvPicture picture_;
  std::vector<float> samples_;
  std::uint64_t frames_ = 0;
  std::uint64_t lastFilmed_ = 0;
  std::uint64_t lastRetrace_ = 0;
  bool soundPending_ = false;  // the last filmed frame has no sound yet
};

}  // namespace kestal::video
