// The page's video maker, run in a Web Worker (video-worker.js): a recording replayed
// headless exactly as kestal-replay runs it, each frame handed to the browser's encoders as
// it is drawn, and the sound edition's effects mixed from the files the worker put in
// sound/. The worker's script encodes and muxes; this side waits for it whenever the
// encoder falls behind, so memory stays bounded however long the recording.
#include <emscripten.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <sstream>
#include <string>

#include "game/game_sound.h"
#include "platform/headless/headless_display.h"
#include "replay/key_script.h"
#include "tools/replay/replay_options.h"
#include "tools/replay/replay_session.h"
#include "video/effect_mixer.h"
#include "video/video_recording.h"
#include "video/yuv_picture.h"

namespace {

using namespace kestal;

// The worker's hooks, on the module object it made the program with. videoPicture returns
// whether the encoders have fallen behind.
EM_JS(int, workerPicture, (const std::uint8_t* planes, int bytes),
      { return Module.videoPicture(planes, bytes) ? 1 : 0; });
EM_JS(void, workerSound, (const float* samples, int count),
      { Module.videoSound(samples, count); });
EM_ASYNC_JS(void, workerCatchUp, (), { await Module.videoCatchUp(); });

class WorkerSink final : public video::VideoSink {
 public:
  std::string addPicture(const video::YuvPicture& picture) override {
    const std::span<const std::uint8_t> planes = picture.planes();
    if (workerPicture(planes.data(), static_cast<int>(planes.size())) != 0) workerCatchUp();
    return {};
  }
  std::string addSound(std::span<const float> samples) override {
    workerSound(samples.data(), static_cast<int>(samples.size()));
    return {};
  }
};

std::string problem;

}  // namespace

extern "C" {

// Films `script` from retrace 1 to `lastRetrace` (or to where the run ends, when negative),
// silent or with the sound edition's effects. Returns "" or the problem in words.
EMSCRIPTEN_KEEPALIVE const char* kestal_video_make(const char* script, int silent,
                                                   double lastRetrace) {
  std::istringstream in(script);
  const replay::KeyScript parsed = replay::parseKeyScript(in);
  problem = parsed.error;
  if (!problem.empty()) return problem.c_str();

  replay::ReplayOptions options;
  options.edition = silent != 0 ? replay::EditionChoice::Silent : replay::EditionChoice::Sound;
  if (lastRetrace >= 1 && lastRetrace < 1e18) {
    options.videoTo = static_cast<std::uint64_t>(lastRetrace);
    options.frames = options.videoTo;
  }
  std::optional<video::EffectMixer> mixer;
  if (silent == 0) mixer.emplace("");
  WorkerSink sink;
  video::VideoRecording recording(sink, {options.videoFrom, options.videoTo},
                                  mixer ? &*mixer : nullptr);
  HeadlessDisplay display;
  NoSound silence;
  GameSound& sound = mixer ? static_cast<GameSound&>(*mixer) : silence;
  problem = replay::runReplay(options, parsed.events, display, sound, &recording).error;
  if (problem.empty() && recording.frames() == 0) problem = "the recording has no retrace to film";
  return problem.c_str();
}

}  // extern "C"
