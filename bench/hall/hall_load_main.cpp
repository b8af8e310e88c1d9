// kestal-hall-load: what kestal-hall sustains with real whole-game recordings, how fast it
// answers at half and at full load, and what one verification costs in time and memory.
//
//   kestal-hall-load [--hall PATH] [--replay PATH] [--keys FILE] [--seconds N]
//
// It starts its own kestal-hall on a free loopback port with a temporary SQLite database.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "bench/hall/timed_run.h"
#include "hall/load/hall_process.h"
#include "hall/load/load_client.h"
#include "hall/load/load_figures.h"
#include "hall/load/load_recordings.h"

namespace {

using namespace kestal::hall::load;
namespace fs = std::filesystem;

constexpr int TIMED_RUNS = 5;
// Open-loop clients: enough that a submission never waits for a free one at full load.
constexpr std::size_t OPEN_LOOP_CLIENTS = 48;

struct Options {
  std::string hall = KESTAL_HALL_BINARY;
  std::string replay = KESTAL_REPLAY_BINARY;
  std::string keys = KESTAL_WHOLE_GAME;
  double seconds = 25;  // each load phase
};

Options parseOptions(int argc, char** argv) {
  Options options;
  std::map<std::string, std::string*> paths = {
      {"--hall", &options.hall}, {"--replay", &options.replay}, {"--keys", &options.keys}};
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--seconds") {
      options.seconds = std::atof(argv[i + 1]);
    } else if (paths.count(option) != 0) {
      *paths[option] = argv[i + 1];
    } else {
      throw std::invalid_argument("unknown option " + option);
    }
  }
  if (argc % 2 == 0) throw std::invalid_argument(std::string(argv[argc - 1]) + " needs a value");
  if (!(options.seconds >= 1 && options.seconds <= 600)) {
    throw std::invalid_argument("--seconds is 1 to 600");
  }
  return options;
}

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The retrace of the script's last key: how far both tools replay it.
double lastRetrace(const std::string& script) {
  std::istringstream lines(script);
  double last = 0;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line[0] >= '0' && line[0] <= '9') last = std::stod(line);
  }
  return last;
}

// Distinct whole games numbered from `first`, so no phase meets a recording already kept.
std::function<Submission(std::size_t)> wholeGames(const std::string& wholeGame, std::size_t first,
                                                  double perSecond, Clock::time_point start) {
  return [&wholeGame, first, perSecond, start](std::size_t index) {
    Submission submission{
        "load " + std::to_string(first + index), wholeGameVariant(wholeGame, first + index), {}};
    if (perSecond > 0) {
      submission.due = start + std::chrono::duration_cast<Clock::duration>(
                                   std::chrono::duration<double>(index / perSecond));
    }
    return submission;
  };
}

struct Load {
  const std::string& wholeGame;
  Endpoints endpoints;
  std::size_t used = 0;  // whole-game variants submitted so far
};

// Closed loop: every client submits its next game as soon as the last is answered.
double sustained(Load& load, std::size_t clients, double seconds) {
  const Clock::time_point start = Clock::now();
  const auto stopAt =
      start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  LoadRun run(load.endpoints, 100000, wholeGames(load.wholeGame, load.used, 0, start),
              {.clients = clients, .longestWait = std::chrono::seconds(1), .stopAt = stopAt});
  const std::vector<Answer>& answers = run.wait();
  load.used += phaseFigures(answers).taken;
  return sustainedPerSecond(answers, start, stopAt);
}

// Open loop: submissions at a steady offered rate whatever the answers, timed from when each
// was due.
PhaseFigures offered(Load& load, double perSecond, double seconds) {
  const auto count =
      static_cast<std::size_t>(std::clamp(std::round(perSecond * seconds), 1.0, 100000.0));
  const Clock::time_point start = Clock::now() + std::chrono::milliseconds(100);
  LoadRun run(load.endpoints, count, wholeGames(load.wholeGame, load.used, perSecond, start),
              {.clients = OPEN_LOOP_CLIENTS, .longestWait = std::chrono::seconds(1)});
  const PhaseFigures figures = phaseFigures(run.wait());
  load.used += count;
  return figures;
}

void printPhase(const char* label, double perSecond, const PhaseFigures& f) {
  std::printf(
      "%-34s median %.3f s   p99 %.3f s   (%.2f/s offered; %zu of %zu acknowledged, "
      "%zu busy answers retried)\n",
      label, f.medianSeconds, f.p99Seconds, perSecond, f.acknowledged, f.taken, f.refusals);
}

int run(const Options& options) {
  const std::string wholeGame = readText(options.keys);
  const double retraces = lastRetrace(wholeGame);
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  // On a shared machine the figures mean little without what else was running.
  double loadAverage = -1;
  getloadavg(&loadAverage, 1);

  const TimedRun hallVerify = medianRun({options.hall, "--verify", options.keys}, TIMED_RUNS);
  const TimedRun replay = medianRun({options.replay, "--keys", options.keys}, TIMED_RUNS);
  const TimedRun stateOnly =
      medianRun({options.replay, "--keys", options.keys, "--state", "/dev/null"}, TIMED_RUNS);
  if (hallVerify.status != 0 || replay.status != 0 || stateOnly.status != 0) {
    std::fprintf(stderr, "kestal-hall-load: --verify exited %d, kestal-replay %d\n",
                 hallVerify.status, replay.status);
    return 1;
  }

  char pattern[] = "/tmp/kestal-hall-load-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a temporary directory");
  const fs::path directory = pattern;
  double perSecond = 0;
  PhaseFigures half;
  PhaseFigures full;
  {
    HallProcess hall(
        {options.hall,
         {"--database", "sqlite:" + (directory / "hall.sqlite").string(), "--rate", "1000000"},
         directory / "hall.log"});
    Load load{wholeGame, Endpoints({hall.port()})};
    perSecond = sustained(load, 2 * cores, options.seconds);
    if (perSecond <= 0) throw std::runtime_error("no whole game was acknowledged");
    half = offered(load, perSecond / 2, options.seconds);
    full = offered(load, perSecond, options.seconds);
  }
  fs::remove_all(directory);

  std::printf(
      "kestal-hall under load: %u cores, default workers, SQLite, whole-game recordings "
      "(%.0f retraces each); load average %.1f at the start\n",
      cores, retraces, loadAverage);
  std::printf("%-34s %.2f per second (%u clients back to back, %.0f s)\n", "sustained submissions",
              perSecond, 2 * cores, options.seconds);
  printPhase("answer time at half load", perSecond / 2, half);
  printPhase("answer time at full load", perSecond, full);
  std::printf("%-34s %.1f MiB peak RSS (kestal-hall --verify, median of %d)\n",
              "memory per verification", static_cast<double>(hallVerify.peakKiB) / 1024,
              TIMED_RUNS);
  std::printf("%-34s %.0f retraces/s (%.3f s, median of %d)\n", "kestal-hall --verify",
              retraces / hallVerify.seconds, hallVerify.seconds, TIMED_RUNS);
  std::printf("%-34s %.0f retraces/s (%.3f s, median of %d)\n", "kestal-replay --keys",
              retraces / replay.seconds, replay.seconds, TIMED_RUNS);
  std::printf("%-34s %.0f retraces/s (%.3f s, median of %d)\n",
              "kestal-replay --state (no pictures)", retraces / stateOnly.seconds,
              stateOnly.seconds, TIMED_RUNS);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(parseOptions(argc, argv));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kestal-hall-load: %s\n", error.what());
    return 1;
  }
}
