#include "tools/replay/replay_session.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "game/edition.h"
#include "game/game.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "platform/headless/headless_display.h"
#include "replay/display_trace.h"
#include "replay/key_playback.h"
#include "screen/display_backend.h"
#include "screen/keyboard.h"
#include "screen/program.h"
#include "screen/random.h"
#include "screen/screen_access.h"
#include "tools/replay/frame_lines.h"
#include "tools/replay/output_file.h"
#include "tools/replay/png_frame.h"
#include "tools/replay/scripted_display.h"

namespace kestal::replay {
namespace {

class ReplayRun {
 public:
  ReplayRun(const ReplayOptions& options, const std::vector<KeyEvent>& events,
            video::VideoRecording* video)
      : options_(options), keys_(events, pushKey), video_(video) {}

  std::string openOutputs();
  // Runs the game on `shown`; returns what went wrong while it ran ("" if nothing) and sets
  // `code` to the status the game or the back end ended with.
  std::string run(DisplayBackend& shown, GameSound& sound, int& code);
  std::string finish();

 private:
  void onOpen();
  void onRetrace(std::uint64_t retrace);
  void onEmptyPoll();

  void record(std::uint64_t retrace);
  void takePictureIfAsked(std::uint64_t retrace);
  void film(std::uint64_t retrace);
  // Leaves the game the way exitProgram does; the display's run() returns the code.
  [[noreturn]] static void endRun(int code) { throw ProgramExit{code}; }

  const ReplayOptions& options_;
  KeyPlayback keys_;
  video::VideoRecording* video_;
  std::size_t nextPicture_ = 0;

  std::unique_ptr<GameState> game_ = std::make_unique<GameState>();
  OutputFile trace_;
  OutputFile state_;
  std::optional<PngFrameWriter> png_;
  std::string runError_;
  std::array<char, STATE_LINE_MAX_CHARS> line_{};
};

std::string ReplayRun::openOutputs() {
  if (!options_.outDir.empty()) {
    std::error_code error;
    std::filesystem::create_directories(options_.outDir, error);
    if (error || !std::filesystem::is_directory(options_.outDir)) {
      return "cannot create directory '" + options_.outDir + "'";
    }
  }
  if (!options_.tracePath.empty()) {
    if (std::string problem = trace_.open(options_.tracePath); !problem.empty()) return problem;
  }
  if (!options_.statePath.empty()) {
    if (std::string problem = state_.open(options_.statePath); !problem.empty()) return problem;
  }
  if (!options_.pngAt.empty()) png_.emplace();
  return {};
}

std::string ReplayRun::run(DisplayBackend& shown, GameSound& sound, int& code) {
  ScriptedDisplay display(shown,
                          {
                              .onOpen = [this] { onOpen(); },
                              .onRetrace = [this](std::uint64_t retrace) { onRetrace(retrace); },
                              .onEmptyPoll = [this] { onEmptyPoll(); },
                          });
  // The screen service must not keep pointing at this display once it is gone.
  struct BackendInstalled {
    explicit BackendInstalled(DisplayBackend* backend) { setDisplayBackend(backend); }
    ~BackendInstalled() { setDisplayBackend(nullptr); }
  } installed(&display);
  const Edition& edition =
      options_.edition == EditionChoice::Silent ? SILENT_EDITION : SOUND_EDITION;
  code = display.run([&] { runGame(*game_, edition, sound); });
  return runError_;
}

std::string ReplayRun::finish() {
  std::string traceProblem = trace_.finish();
  std::string stateProblem = state_.finish();
  std::string videoProblem = video_ != nullptr ? video_->finish() : std::string();
  if (!traceProblem.empty()) return traceProblem;
  return stateProblem.empty() ? videoProblem : stateProblem;
}

void ReplayRun::onOpen() {
  takePictureIfAsked(0);
  if (options_.frames == 0) endRun(0);
  keys_.deliverUpTo(0);
}

void ReplayRun::onRetrace(std::uint64_t retrace) {
  record(retrace);
  takePictureIfAsked(retrace);
  film(retrace);
  if (retrace >= options_.frames) endRun(0);
  keys_.deliverUpTo(retrace);
}

// The game waits for a key without retraces only where it cannot go on without one (the
// pause): it gets the next key early rather than hang, or the run stops when the script is
// done.
void ReplayRun::onEmptyPoll() {
  if (!keys_.emptyPoll()) endRun(0);
}

void ReplayRun::record(std::uint64_t retrace) {
  if (trace_.isOpen()) {
    const char* end = appendDisplayTraceLine(line_.data(), retrace);
    trace_.write(line_.data(), end);
  }
  if (state_.isOpen()) {
    const char* end = appendStateLine(line_.data(), retrace, *game_, randomDrawCount());
    state_.write(line_.data(), end);
  }
}

void ReplayRun::takePictureIfAsked(std::uint64_t retrace) {
  const std::vector<std::uint64_t>& wanted = options_.pngAt;
  while (nextPicture_ < wanted.size() && wanted[nextPicture_] < retrace) ++nextPicture_;
  if (nextPicture_ == wanted.size() || wanted[nextPicture_] != retrace) return;
  runError_ =
      png_->write(pngFramePath(options_.outDir, retrace), visiblePagePixels(), displayPalette());
  if (!runError_.empty()) endRun(EXIT_WRITE_FAILED);
}

// The frame goes to the encoder as it is drawn; the run need not outlast the video.
void ReplayRun::film(std::uint64_t retrace) {
  if (video_ == nullptr) return;
  runError_ = video_->atRetrace(retrace, visiblePagePixels(), displayPalette());
  if (!runError_.empty()) endRun(EXIT_WRITE_FAILED);
  if (video_->isLast(retrace)) endRun(0);
}

}  // namespace

ReplayResult runReplay(const ReplayOptions& options, const std::vector<KeyEvent>& events) {
  HeadlessDisplay display({}, needsPictures(options) ? HeadlessDisplay::Pictures::Kept
                                                     : HeadlessDisplay::Pictures::Skipped);
  NoSound sound;
  return runReplay(options, events, display, sound);
}

ReplayResult runReplay(const ReplayOptions& options, const std::vector<KeyEvent>& events,
                       DisplayBackend& shown, GameSound& sound, video::VideoRecording* video) {
  ReplayRun replay(options, events, video);
  if (std::string problem = replay.openOutputs(); !problem.empty()) {
    return {EXIT_BAD_ARGUMENTS, problem};
  }
  int code = EXIT_FINISHED;
  std::string problem = replay.run(shown, sound, code);
  std::string closeProblem = replay.finish();
  if (problem.empty()) problem = closeProblem;
  if (!problem.empty()) return {EXIT_WRITE_FAILED, problem};
  // Only a back end that could not show the game ends it with a status of its own.
  return {code, {}};
}

}  // namespace kestal::replay
