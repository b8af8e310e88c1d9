// kestal-replay --video (desktop build only): the filmed run encoded and written with
// FFmpeg's libraries, H.264 and AAC in .mp4, VP9 and Opus in .webm.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "video/video_recording.h"

namespace kestal::replay {

class VideoFile final : public video::VideoSink {
 public:
  VideoFile();
  VideoFile(const VideoFile&) = delete;
  VideoFile& operator=(const VideoFile&) = delete;
  ~VideoFile() override;

  // Sets up the encoders for the container `path` names and creates the file; returns the
  // problem in one sentence, or "". Without sound the file has no audio stream.
  std::string open(const std::string& path, bool withSound);
  std::string addPicture(const video::YuvPicture& picture) override;
  std::string addSound(std::span<const float> samples) override;
  // Drains the encoders and completes the file; returns the problem, or "".
  std::string finish();
  // Closes and deletes an unfinished file (a run that failed makes no video).
  void discard();

 private:
  struct Encoding;
  std::unique_ptr<Encoding> encoding_;
  std::string path_;
};

}  // namespace kestal::replay
