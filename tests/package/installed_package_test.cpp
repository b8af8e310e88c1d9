// The installed package, started the way a desktop starts it (the menu entry's commands)
// and the way a player types it (`kestal`, in whatever directory). The silent action shows
// the game's start-up screen, as the replay tool draws it; the sound edition finds its
// sounds however it is started.
#include <filesystem>
#include <string>

#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/installed_game.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const fs::path MENU_ENTRY = "/usr/share/applications/kestal.desktop";
const fs::path INSTALLED_WARP = "/usr/share/games/kestal/sound/Warp.wav";

class InstalledPackageTest : public EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(fs::exists(MENU_ENTRY)) << "install the package first (tests/package/run.sh)";
    entry_ = readDesktopEntry(MENU_ENTRY);
  }

  // The command under `execKey`, run as a desktop runs an entry without a Path: in the
  // user's own directory.
  Launch commandOf(const std::string& execKey) {
    Launch launch(execArguments(entry_[execKey]));
    launch.workingDirectory = scratch();
    return launch;
  }

  DesktopEntry entry_;
};

TEST_F(InstalledPackageTest, PlayWithoutSoundShowsTheGame) {
  const Launch command = commandOf("Desktop Action silent/Exec");
  ASSERT_EQ(command.argv.size(), 1u) << "the game takes no arguments";
  RunningGame game(x(), Program{command.argv[0], "silent"}, {}, command.workingDirectory);
  ASSERT_TRUE(game.started()) << game.errors();
  expectShows(game, startUpScreen("silent"), DELAY_PROMPT_WAVE, "installed-silent-prompt");
  game.press({"Escape"});
  EXPECT_EQ(game.waitForExit(), 0) << game.errors();
}

TEST_F(InstalledPackageTest, MenuEntryStartsKestalWithItsSounds) {
  expectStartsWithTheWarp(x(), commandOf("Desktop Entry/Exec"), INSTALLED_WARP, scratch());
}

TEST_F(InstalledPackageTest, KestalTypedInAnotherDirectoryFindsItsSounds) {
  // A user's PATH on Debian (root's lacks /usr/games); env looks the name up on it. The
  // earlier name still serves menu entries copied from an older version.
  for (const char* name : {"kestal", "kestal-launcher"}) {
    SCOPED_TRACE(name);
    Launch launch({"env", name},
                  {{"PATH", "/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games"}});
    launch.workingDirectory = scratch();
    expectFindsItsSounds(x(), launch);
  }
}

}  // namespace
}  // namespace e2e
