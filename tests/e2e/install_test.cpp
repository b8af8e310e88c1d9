// `cmake --install` into a fresh prefix: both programs, the sounds, a desktop entry and an
// icon where desktops look for them; and `kestal`, the launcher the entry names too, starts
// the game so that it finds its sounds, from wherever and however it is started.
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/installed_game.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
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
  EXPECT_TRUE(executable(prefix_ / "libexec/kestal/kestal"));
  EXPECT_EQ(fs::read_symlink(prefix_ / "bin/kestal-launcher"), "kestal");
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
  EXPECT_EQ(entry["Desktop Entry/Exec"], quoted(prefix_ / "bin/kestal"));
  EXPECT_EQ(entry["Desktop Action silent/Exec"], quoted(prefix_ / "bin/kestal-silent"));
  if (onPath("desktop-file-validate")) {
    const CommandResult valid = runCommand(Launch({"desktop-file-validate", entryFile.string()}));
    EXPECT_EQ(valid.status, 0) << valid.output << valid.errors;
  }
}

TEST_F(InstallTest, PutsManualPagesMetadataAndLicenceWhereTheyAreLookedFor) {
  if (!soundEditionBuilt()) GTEST_SKIP() << "the sound edition is not built";
  // The pages name the data directory of this very installation, blanks and all.
  for (const char* page : {"kestal.6.gz", "kestal-silent.6.gz", "kestal-launcher.6.gz"}) {
    const fs::path file = prefix_ / "share/man/man6" / page;
    const CommandResult source = runCommand(Launch({"zcat", file.string()}));
    ASSERT_EQ(source.status, 0) << page << source.errors;
    if (std::string(page) != "kestal-silent.6.gz") {
      EXPECT_NE(source.output.find("\"" + (prefix_ / "share/kestal").string() + "\""),
                std::string::npos)
          << page;
    }
    if (onPath("man")) {
      const CommandResult shown = runCommand(Launch({"man", "--warnings", "-l", file.string()}));
      EXPECT_EQ(shown.status, 0) << page << shown.errors;
      EXPECT_EQ(shown.errors, "") << page;
    }
  }
  EXPECT_EQ(fs::read_symlink(prefix_ / "share/man/man6/kestal-launcher.6.gz"), "kestal.6.gz");
  EXPECT_TRUE(fs::is_regular_file(prefix_ / "share/doc/kestal/copyright"));
  EXPECT_TRUE(fs::is_regular_file(prefix_ / "share/doc/kestal/changelog.gz"));
  bool metainfo = false;
  for (const auto& file : fs::directory_iterator(prefix_ / "share/metainfo")) {
    metainfo = metainfo || file.path().string().ends_with(".metainfo.xml");
  }
  EXPECT_TRUE(metainfo);
}

TEST_F(InstallTest, KestalTypedElsewhereThroughALinkPlaysTheInstalledSounds) {
  if (!soundEditionBuilt()) GTEST_SKIP() << "the sound edition is not built";
  // Typed by name, found as a link in a user's own bin directory (env looks it up on the
  // PATH it is given), in a directory without sounds.
  const fs::path link = scratch() / "bin" / "kestal";
  fs::create_directories(link.parent_path());
  fs::create_symlink(prefix_ / "bin/kestal", link);

  Launch launch({"env", "kestal"}, {{"PATH", link.parent_path().string() + ":/usr/bin:/bin"}});
  launch.workingDirectory = "/";
  expectStartsWithTheWarp(x(), launch, prefix_ / "share/kestal/sound/Warp.wav", scratch());
}

TEST_F(InstallTest, LauncherPassesArgumentsAndStatusOnOrSaysItsDataDirectoryIsMissing) {
  if (!soundEditionBuilt()) GTEST_SKIP() << "the sound edition is not built";
  // A stand-in for the game that shows where and how it was started.
  const fs::path program = prefix_ / "libexec/kestal/kestal";
  writeFile(program, "#!/bin/sh\npwd -P\nprintf '[%s]\\n' \"$@\"\nexit 7\n");
  Launch launch({(prefix_ / "bin/kestal-launcher").string(), "two words", "", "*", "$HOME"});
  launch.workingDirectory = "/";

  const CommandResult started = runCommand(launch);
  EXPECT_EQ(started.status, 7) << started.errors;
  EXPECT_EQ(started.output,
            fs::canonical(prefix_ / "share/kestal").string() + "\n[two words]\n[]\n[*]\n[$HOME]\n");
  EXPECT_EQ(started.errors, "");

  fs::rename(prefix_ / "share/kestal", prefix_ / "share/kestal-moved");
  const CommandResult missing = runCommand(launch);
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.output, "") << "the program was started";
  EXPECT_EQ(std::count(missing.errors.begin(), missing.errors.end(), '\n'), 1) << missing.errors;
  EXPECT_NE(missing.errors.find((prefix_ / "share/kestal").string()), std::string::npos)
      << missing.errors;
}

}  // namespace
}  // namespace e2e
