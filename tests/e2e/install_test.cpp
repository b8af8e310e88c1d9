// `cmake --install` into a fresh prefix: both programs, the sounds, a desktop entry and an
// icon where desktops look for them; and the launcher the entry names starts kestal so that
// it finds its sounds, from wherever it is started.
#include <sys/stat.h>

#include <chrono>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/wav_file.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using DesktopEntry = std::map<std::string, std::string>;  // "Group/Key" to value

DesktopEntry readDesktopEntry(const fs::path& path) {
  DesktopEntry entry;
  std::istringstream lines(readFile(path));
  std::string line, group;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      group = line.substr(1, line.size() - 2);
    } else if (const std::size_t equals = line.find('='); equals != std::string::npos) {
      entry[group + "/" + line.substr(0, equals)] = line.substr(equals + 1);
    }
  }
  return entry;
}

bool executable(const fs::path& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IXUSR) != 0;
}

std::string quoted(const fs::path& path) {
  return "\"" + path.string() + "\"";
}

class InstallTest : public EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    prefix_ = scratch() / "prefix with blank";
    const CommandResult install =
        runCommand(Launch({CMAKE_COMMAND, "--install", buildDirectory().string(), "--prefix",
                           prefix_.string()}),
                   60s);
    ASSERT_EQ(install.status, 0) << install.output << install.errors;
  }

  fs::path prefix_;
};

TEST_F(InstallTest, PutsProgramsSoundsEntryAndIconWhereADesktopLooks) {
  EXPECT_TRUE(executable(prefix_ / "bin/kestal-silent"));
  if (!soundEditionBuilt()) GTEST_SKIP() << "the sound edition is not built";
  EXPECT_TRUE(executable(prefix_ / "bin/kestal"));
  EXPECT_TRUE(executable(prefix_ / "bin/kestal-launcher"));
  for (const char* effect : {"Warp", "Shield", "Laser", "Hit", "Explosion"}) {
    const fs::path installed = prefix_ / "share/kestal/sound" / (std::string(effect) + ".wav");
    EXPECT_EQ(readFile(installed), readFile(buildDirectory() / "sound" / installed.filename()))
        << installed;
  }

  for (int size : {32, 64, 128, 256}) {
    const std::string square = std::to_string(size) + "x" + std::to_string(size);
    const std::optional<RgbImage> icon =
        loadPng(prefix_ / "share/icons/hicolor" / square / "apps/kestal.png");
    ASSERT_TRUE(icon) << square;
    EXPECT_EQ(icon->width(), size);
    EXPECT_EQ(icon->height(), size);
    // The ship, not an empty square: its centre is drawn.
    EXPECT_FALSE(icon->at(size / 2, size / 2).black()) << square;
  }

  const fs::path entryFile = prefix_ / "share/applications/kestal.desktop";
  DesktopEntry entry = readDesktopEntry(entryFile);
  EXPECT_EQ(entry["Desktop Entry/Type"], "Application");
  EXPECT_EQ(entry["Desktop Entry/Name"], "KESTAL 2");
  EXPECT_EQ(entry["Desktop Entry/Icon"], "kestal");
  EXPECT_EQ(entry["Desktop Entry/Exec"], quoted(prefix_ / "bin/kestal-launcher"));
  EXPECT_EQ(entry["Desktop Entry/Path"], (prefix_ / "share/kestal").string());
  EXPECT_EQ(entry["Desktop Action silent/Exec"], quoted(prefix_ / "bin/kestal-silent"));
  if (onPath("desktop-file-validate")) {
    const CommandResult valid = runCommand(Launch({"desktop-file-validate", entryFile.string()}));
    EXPECT_EQ(valid.status, 0) << valid.output << valid.errors;
  }
}

TEST_F(InstallTest, LauncherStartsKestalWithItsSoundsFromAnywhere) {
  if (!soundEditionBuilt()) GTEST_SKIP() << "the sound edition is not built";
  // Through a link, as a desktop or a user's bin directory might hold it.
  const fs::path link = scratch() / "elsewhere" / "kestal-launcher";
  fs::create_directories(link.parent_path());
  fs::create_symlink(prefix_ / "bin/kestal-launcher", link);

  const fs::path config = scratch() / "alsoft.conf";
  const fs::path mixFile = scratch() / "mix.wav";
  writeFile(config, recordingAudioConfig(mixFile));
  Launch launch({link.string()}, x().environment());
  launch.environment["ALSOFT_CONF"] = config.string();
  launch.workingDirectory = "/";
  ChildProcess process(launch);

  const std::optional<WindowId> window = x().waitForWindow("kestal", 15s);
  ASSERT_TRUE(window) << process.errors();
  std::this_thread::sleep_for(1200ms);  // the warp, played from the installed sound file
  const std::optional<WindowId> current = x().findWindow("kestal");
  ASSERT_TRUE(current);
  runCommand(Launch({"xdotool", "key", "--window", std::to_string(*current), "Escape"},
                    x().environment()));
  ASSERT_EQ(process.waitForExit(5s), 0) << process.errors();

  const std::optional<Sound> mix = readWav(mixFile);
  const std::optional<Sound> warp = readWav(prefix_ / "share/kestal/sound/Warp.wav");
  ASSERT_TRUE(mix && warp);
  ASSERT_GE(mix->samples.size(), 4096u);
  EXPECT_GT(likeness(std::span(mix->samples).subspan(2048, 1024), warp->samples, false), 0.9);
}

}  // namespace
}  // namespace e2e
