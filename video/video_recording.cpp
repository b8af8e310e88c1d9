#include "video/video_recording.h"

namespace kestal::video {

std::string VideoRecording::soundOf(std::uint64_t retrace) {
  if (mixer_ == nullptr) return {};
  mixer_->mix(samples_);
  if (!filmed(retrace)) return {};
  soundPending_ = false;
  return sink_.addSound(samples_);
}

std::string VideoRecording::atRetrace(std::uint64_t retrace,
                                      std::span<const std::uint8_t, PAGE_BYTES> pixels,
                                      const Palette& palette) {
  lastRetrace_ = retrace;
  // What played since the last wait is the previous frame's sound (from the screen's
  // opening, retrace 0, on).
  if (std::string problem = soundOf(retrace - 1); !problem.empty()) return problem;
  if (!filmed(retrace)) return {};
  picture_.draw(pixels, palette);
  ++frames_;
  lastFilmed_ = retrace;
  soundPending_ = mixer_ != nullptr;
  return sink_.addPicture(picture_);
}

std::string VideoRecording::finish() {
  if (!soundPending_) return {};
  return soundOf(lastFilmed_);
}

}  // namespace kestal::video
