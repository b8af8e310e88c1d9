// kestal-icon DIR SIZE...: the game's ship, drawn by the game's own routine in its own
// palette, saved as DIR/SIZExSIZE/kestal.png for each size (a multiple of 32: the 32-pixel
// picture scaled up in whole pixels). Black is transparent.
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/edition.h"
#include "game/game_context.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "game/palettes.h"
#include "game/phases.h"
#include "platform/headless/headless_display.h"
#include "screen/numbers.h"
#include "screen/screen.h"
#include "screen/screen_access.h"

namespace {

constexpr int ICON_PIXELS = 32;
// The ship with its exhaust and shield ring spans x - 13 .. x + 10 and y - 10 .. y + 10.
constexpr int SHIP_X = 320;
constexpr int SHIP_Y = 200;
constexpr int LEFT = SHIP_X - 17;
constexpr int TOP = SHIP_Y - 16;
// Half way through its breath: a ring of radius 6 in the blue-violet ramp.
constexpr double PULSE = 20;

struct Rgba {
  std::uint8_t r, g, b, a;
};

void drawShip() {
  kestal::openScreen();
  kestal::installPalette(kestal::GamePalette::Game);
  auto state = std::make_unique<kestal::GameState>();
  for (int i = 1; i <= 20; ++i) state->flameTable[i] = kestal::nint(std::abs(5 * std::cos(i)));
  state->shipX = state->shipPrevX = SHIP_X;
  state->shipY = state->shipPrevY = SHIP_Y;
  state->shieldEnergy = 100;
  state->pulse = PULSE;
  state->laserTimer = -1;
  kestal::NoSound sound;
  kestal::GameContext game{*state, kestal::SOUND_EDITION, sound};
  kestal::redrawShip(game);
}

std::vector<Rgba> iconPixels() {
  const auto page = kestal::visiblePagePixels();
  const kestal::Palette& palette = kestal::displayPalette();
  std::vector<Rgba> pixels;
  for (int y = TOP; y < TOP + ICON_PIXELS; ++y) {
    for (int x = LEFT; x < LEFT + ICON_PIXELS; ++x) {
      const std::uint8_t index = page[static_cast<std::size_t>(y) * kestal::SCREEN_WIDTH + x];
      const kestal::Rgb c = palette[index];
      pixels.push_back({c.r, c.g, c.b, static_cast<std::uint8_t>(index == 0 ? 0 : 255)});
    }
  }
  return pixels;
}

bool writeIcon(const std::filesystem::path& path, const std::vector<Rgba>& icon, int scale) {
  const int size = ICON_PIXELS * scale;
  std::vector<Rgba> pixels;
  pixels.reserve(static_cast<std::size_t>(size) * size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      pixels.push_back(icon[static_cast<std::size_t>(y / scale) * ICON_PIXELS + x / scale]);
    }
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(size);
  png.height = static_cast<png_uint_32>(size);
  png.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&png, path.c_str(), 0, pixels.data(), 0, nullptr) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s DIR SIZE...\n", argv[0]);
    return 2;
  }
  kestal::HeadlessDisplay display;
  kestal::setDisplayBackend(&display);
  display.run(drawShip);
  const std::vector<Rgba> icon = iconPixels();
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < ICON_PIXELS || size % ICON_PIXELS != 0) {
      std::fprintf(stderr, "%s: %s is not a multiple of %d\n", argv[0], argv[i], ICON_PIXELS);
      return 2;
    }
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    const std::filesystem::path directory = std::filesystem::path(argv[1]) / name;
    std::filesystem::create_directories(directory);
    if (!writeIcon(directory / "kestal.png", icon, size / ICON_PIXELS)) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], (directory / "kestal.png").c_str());
      return 1;
    }
  }
  return 0;
}
