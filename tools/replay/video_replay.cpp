#include "tools/replay/video_replay.h"

#include <cstdio>
#include <optional>
#include <string>

#include "game/game_sound.h"
#include "platform/headless/headless_display.h"
#include "tools/replay/video_file.h"
#include "video/effect_mixer.h"
#include "video/video_recording.h"

namespace kestal::replay {

ReplayResult runReplayToVideo(const ReplayOptions& options, const std::vector<KeyEvent>& events) {
  // The sound edition's video is heard through its own effects, the build's sound/*.wav.
  std::optional<video::EffectMixer> mixer;
  if (options.edition == EditionChoice::Sound) {
    mixer.emplace(KESTAL_REPLAY_DATA_DIR);
    for (const std::string& problem : mixer->problems()) {
      std::fprintf(stderr, "kestal-replay: %s\n", problem.c_str());
    }
  }
  VideoFile file;
  if (std::string problem = file.open(options.videoPath, mixer.has_value()); !problem.empty()) {
    file.discard();
    return {EXIT_BAD_ARGUMENTS, problem};
  }
  video::VideoRecording recording(file, {options.videoFrom, options.videoTo},
                                  mixer ? &*mixer : nullptr);
  HeadlessDisplay display;
  NoSound silence;
  GameSound& sound = mixer ? static_cast<GameSound&>(*mixer) : silence;
  ReplayResult result = runReplay(options, events, display, sound, &recording);
  if (result.error.empty() && recording.frames() == 0) {
    result = {EXIT_BAD_ARGUMENTS, "the run ended at retrace " +
                                      std::to_string(recording.lastRetrace()) + ", before --from " +
                                      std::to_string(options.videoFrom) +
                                      ": the video would have no frame"};
  }
  if (result.error.empty()) {
    if (std::string problem = file.finish(); !problem.empty()) result = {EXIT_WRITE_FAILED, problem};
  }
  if (!result.error.empty()) file.discard();
  return result;
}

}  // namespace kestal::replay
