// kestal-e2e-measure: how the real programs run under a private Xvfb, for the record.
//
//   start-up time to the first shown frame and peak memory of both programs;
//   CPU use of kestal-silent idle in play at its default delay;
//   frame pacing at the Delay prompt: when each new picture reaches the screen, and whether
//     any of the prompt's frames was skipped or shown twice (the colour wave moves one step
//     per frame, so each picture tells which frame it is);
//   the latency from a key to the first picture that shows its echo.
//
// The screen is read with XGetImage of a few pixels at sub-millisecond intervals, keys are
// sent with XSendEvent from this process, so neither adds a process start to the timings.
// It prints a report and judges nothing.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "tests/e2e/game_colours.h"
#include "tests/e2e/game_picture.h"
#include "tests/e2e/running_game.h"
#include "tests/e2e/scratch_files.h"
#include "tests/e2e/x_server.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

bool anyInk(const RgbImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (!image.at(x, y).black()) return true;
    }
  }
  return false;
}

// The prompt's colour wave paints the title in the game's blue-violet ramp, which nothing
// else on the screen (a window frame, say) shows.
bool titleShimmers(const RgbImage& image) {
  static const std::vector<Rgb> wave = [] {
    std::vector<Rgb> colours;
    for (int entry = 80; entry <= 120; ++entry) colours.push_back(gamePaletteColour(entry));
    return colours;
  }();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (std::find(wave.begin(), wave.end(), image.at(x, y)) != wave.end()) return true;
    }
  }
  return false;
}

// Polls `area` until `wanted` holds; the time it first did, or nullopt at the timeout.
std::optional<Clock::time_point> watch(XServer& x, const Rect& area,
                                       const std::function<bool(const RgbImage&)>& wanted,
                                       std::chrono::milliseconds timeout = 10s) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    if (wanted(x.capture(area))) return Clock::now();
    std::this_thread::sleep_for(200us);
  }
  return std::nullopt;
}

struct ProcessUse {
  double cpuSeconds = 0;
  long peakKilobytes = 0;
  std::map<std::string, double> threadSeconds;  // by thread name and id
};

// utime + stime of a /proc stat file, in seconds.
double cpuSecondsIn(const std::filesystem::path& statFile) {
  const std::string stat = readFile(statFile);
  const std::size_t end = stat.rfind(')');
  if (end == std::string::npos) return 0;
  std::istringstream fields(stat.substr(end + 2));
  const std::vector<std::string> values{std::istream_iterator<std::string>(fields), {}};
  // Fields 14 and 15 of the whole line are 12 and 13 after the name.
  if (values.size() <= 12) return 0;
  return (std::stod(values[11]) + std::stod(values[12])) /
         static_cast<double>(sysconf(_SC_CLK_TCK));
}

ProcessUse processUse(pid_t pid) {
  ProcessUse use;
  const std::filesystem::path process = "/proc/" + std::to_string(pid);
  use.cpuSeconds = cpuSecondsIn(process / "stat");
  std::error_code error;
  for (const auto& task : std::filesystem::directory_iterator(process / "task", error)) {
    std::string name = readFile(task.path() / "comm");
    if (!name.empty() && name.back() == '\n') name.pop_back();
    use.threadSeconds[name + " " + task.path().filename().string()] =
        cpuSecondsIn(task.path() / "stat");
  }
  std::istringstream status(readFile(process / "status"));
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) use.peakKilobytes = std::stol(line.substr(6));
  }
  return use;
}

Environment audioFor(const Program& program, const std::filesystem::path& scratch) {
  if (program.edition != "sound") return {};
  writeFile(scratch / "alsoft.conf", silentAudioConfig());
  return {{"ALSOFT_CONF", (scratch / "alsoft.conf").string()}};
}

// The title's first row of text, full screen on 1024 x 768.
constexpr Rect TITLE_AREA{0, 0, 400, 32};

void measureStartUp(XServer& x, const Program& program, const std::filesystem::path& scratch) {
  // The window of the program measured before must be gone first.
  watch(x, TITLE_AREA, [](const RgbImage& image) { return !anyInk(image); });
  const Clock::time_point launched = Clock::now();
  RunningGame game(x, program, audioFor(program, scratch), buildDirectory());
  const std::optional<Clock::time_point> shown = watch(x, TITLE_AREA, titleShimmers);
  const ProcessUse atPrompt = processUse(game.process().pid());
  game.press({"Return"});
  std::this_thread::sleep_for(3s);
  const ProcessUse inPlay = processUse(game.process().pid());
  std::printf(
      "%s: first frame shown %.0f ms after the start; peak memory %.1f MB at the "
      "prompt, %.1f MB after 3 s of play\n",
      program.title().c_str(), shown ? millisecondsBetween(launched, *shown) : -1.0,
      atPrompt.peakKilobytes / 1024.0, inPlay.peakKilobytes / 1024.0);
}

void measureIdlePlay(XServer& x) {
  RunningGame game(x, silentEdition(), {}, buildDirectory());
  watch(x, TITLE_AREA, titleShimmers);
  game.press({"Return"});
  std::this_thread::sleep_for(1s);
  const pid_t server = x.serverProcess();
  const ProcessUse gameBefore = processUse(game.process().pid());
  const ProcessUse serverBefore = processUse(server);
  const Clock::time_point from = Clock::now();
  std::this_thread::sleep_for(10s);
  const double seconds = millisecondsBetween(from, Clock::now()) / 1000;
  const ProcessUse gameAfter = processUse(game.process().pid());
  const ProcessUse serverAfter = processUse(server);
  std::printf(
      "kestal-silent idle in play at its default delay for %.1f s: %.1f%% of one core "
      "(the X server: %.1f%%)\n",
      seconds, 100 * (gameAfter.cpuSeconds - gameBefore.cpuSeconds) / seconds,
      100 * (serverAfter.cpuSeconds - serverBefore.cpuSeconds) / seconds);
  std::printf("  by thread:");
  for (const auto& [thread, after] : gameAfter.threadSeconds) {
    const auto before = gameBefore.threadSeconds.find(thread);
    const double used = after - (before == gameBefore.threadSeconds.end() ? 0 : before->second);
    std::printf(" %s %.1f%%;", thread.c_str(), 100 * used / seconds);
  }
  std::printf("\n");
}

// The prompt's colour wave on title row y = 11 (sin 11 is almost -1): each title pixel shows
// nint(20 sin(11) cos(phase + x) + 100), the phase moving 0.12 per frame.
class WaveReader {
 public:
  explicit WaveReader(const RgbImage& row) {
    for (int entry = 64; entry < 128; ++entry) {
      const Rgb c = gamePaletteColour(entry);
      index_[{c.r, c.g, c.b}] = entry;
    }
    for (int x = 0; x < row.width(); ++x) {
      if (!row.at(x, 0).black()) ink_.push_back(x);
    }
  }

  // The step k (phase 0.12 k) whose wave fits the row best.
  int step(const RgbImage& row) const {
    int best = -1, bestScore = -1;
    for (int k = 0; k <= 210; ++k) {
      int score = 0;
      for (int x : ink_) {
        const Rgb c = row.at(x, 0);
        const auto found = index_.find({c.r, c.g, c.b});
        const double wave = 20 * std::sin(11.0) * std::cos(0.12 * k + x) + 100;
        if (found != index_.end() && found->second == static_cast<int>(std::nearbyint(wave))) {
          ++score;
        }
      }
      if (score > bestScore) {
        bestScore = score;
        best = k;
      }
    }
    return best;
  }

 private:
  std::map<std::tuple<int, int, int>, int> index_;
  std::vector<int> ink_;
};

struct Statistics {
  double mean = 0, minimum = 0, median = 0, maximum = 0;
};

Statistics statisticsOf(std::vector<double> values) {
  Statistics s;
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  s.mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
  s.minimum = values.front();
  s.median = values[values.size() / 2];
  s.maximum = values.back();
  return s;
}

double measurePacing(XServer& x, const Rect& window) {
  const Rect row{window.x, window.y + 11, 249, 1};
  const WaveReader reader(x.capture(row));
  std::vector<std::pair<Clock::time_point, int>> frames;
  RgbImage last = x.capture(row);
  const Clock::time_point end = Clock::now() + 3s;
  while (Clock::now() < end) {
    RgbImage now = x.capture(row);
    if (!(now == last)) {
      frames.emplace_back(Clock::now(), reader.step(now));
      last = std::move(now);
    }
    std::this_thread::sleep_for(200us);
  }
  std::vector<double> intervals;
  int single = 0, skipped = 0, repeated = 0;
  for (std::size_t i = 1; i < frames.size(); ++i) {
    intervals.push_back(millisecondsBetween(frames[i - 1].first, frames[i].first));
    const int step = std::abs(frames[i].second - frames[i - 1].second);
    if (step == 1) ++single;
    if (step > 1) skipped += step - 1;
    if (step == 0) ++repeated;
  }
  const Statistics s = statisticsOf(intervals);
  // A picture held for two refreshes is a frame shown twice; one replaced within half a
  // refresh was barely shown at all.
  int held = 0, brief = 0;
  for (double interval : intervals) {
    held += interval > 1.5 * s.median ? 1 : 0;
    brief += interval < 0.5 * s.median ? 1 : 0;
  }
  std::printf(
      "Delay prompt in a 640 x 400 window, 3 s: %zu pictures; interval mean %.2f ms, "
      "median %.2f, min %.2f, max %.2f; wave steps of one frame: %d, frames skipped: "
      "%d, repeated: %d; pictures held over a refresh: %d, shown under half a refresh: "
      "%d\n",
      frames.size(), s.mean, s.median, s.minimum, s.maximum, single, skipped, repeated, held,
      brief);
  return s.median;
}

void measureKeyLatency(XServer& x, RunningGame& game, const Rect& window, double refreshMs) {
  // The echo cell: row 4, column 21.
  const Rect cell{window.x + 160, window.y + 48, 8, 16};
  std::mt19937 spread(1);
  std::vector<double> latencies;
  for (int press = 0; press < 30; ++press) {
    std::this_thread::sleep_for(std::chrono::microseconds(spread() % 17000));
    const Clock::time_point sent = Clock::now();
    x.sendKey(*game.window(), "7");
    const auto shown = watch(x, cell, anyInk, 2s);
    if (shown) latencies.push_back(millisecondsBetween(sent, *shown));
    x.sendKey(*game.window(), "BackSpace");
    watch(
        x, cell, [](const RgbImage& image) { return !anyInk(image); }, 2s);
    std::this_thread::sleep_for(50ms);
  }
  const Statistics s = statisticsOf(latencies);
  const auto late = std::count_if(latencies.begin(), latencies.end(),
                                  [&](double latency) { return latency > 2 * refreshMs; });
  std::printf(
      "Key to picture, %zu presses of \"7\" at the prompt: min %.1f ms, median %.1f, "
      "max %.1f (%.2f refresh periods of %.2f ms); %td took over two periods\n",
      latencies.size(), s.minimum, s.median, s.maximum, s.maximum / refreshMs, refreshMs, late);
}

void measurePresentation(XServer& x) {
  RunningGame game(x, silentEdition(), {}, buildDirectory());
  watch(x, TITLE_AREA, titleShimmers);
  game.press({"alt+Return"});
  std::optional<Rect> window;
  for (int attempt = 0; attempt < 100; ++attempt) {
    window = game.windowRect();
    if (window && window->width == PICTURE_WIDTH && window->height == PICTURE_HEIGHT) break;
    std::this_thread::sleep_for(50ms);
  }
  if (!window || window->width != PICTURE_WIDTH) {
    std::printf("no 640 x 400 window after Alt+Enter\n");
    return;
  }
  std::this_thread::sleep_for(500ms);
  const double refreshMs = measurePacing(x, *window);
  measureKeyLatency(x, game, *window, refreshMs);
}

}  // namespace
}  // namespace e2e

int main() {
  using namespace e2e;
  if (!XServer::toolsInstalled()) {
    std::fprintf(stderr, "Xvfb, openbox and xdotool are needed\n");
    return 1;
  }
  ScratchDirectory scratch("measure");
  XServer x(1024, 768);
  if (!x.ready()) {
    std::fprintf(stderr, "the private X server did not start\n");
    return 1;
  }
  measureStartUp(x, silentEdition(), scratch.path());
  if (soundEditionBuilt()) measureStartUp(x, soundEdition(), scratch.path());
  measureIdlePlay(x);
  measurePresentation(x);
  return 0;
}
