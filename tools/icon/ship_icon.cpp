// kestal-icon [--maskable] DIR SIZE...: the game's ship, drawn by the game's own routine in
// its own palette, saved as DIR/SIZExSIZE/kestal.png for each size (a multiple of 32: the
// 32-pixel picture scaled up in whole pixels). Black is transparent. With --maskable the
// files are kestal-maskable.png: black throughout, the ship smaller in the middle, inside the
// circle that an app launcher's mask keeps.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
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
#include "tools/replay/png_file.h"

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

// Launchers cut maskable icons to a circle of 80 % of the width: the ship, in whole pixels,
// stays within five eighths of it.
constexpr int MASKABLE_EIGHTHS = 5;
constexpr Rgba OPAQUE_BLACK{0, 0, 0, 255};

// The icon scaled to `size` pixels; a maskable one on black, smaller and centred.
std::vector<std::uint8_t> scaledIcon(const std::vector<Rgba>& icon, int size, bool maskable) {
  const int scale = maskable ? size * MASKABLE_EIGHTHS / 8 / ICON_PIXELS : size / ICON_PIXELS;
  const int offset = (size - ICON_PIXELS * scale) / 2;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(size) * size * 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int ix = (x - offset) / scale;
      const int iy = (y - offset) / scale;
      const bool inside = x >= offset && y >= offset && ix < ICON_PIXELS && iy < ICON_PIXELS;
      Rgba pixel = inside ? icon[static_cast<std::size_t>(iy) * ICON_PIXELS + ix] : Rgba{};
      if (maskable && pixel.a == 0) pixel = OPAQUE_BLACK;
      bytes.insert(bytes.end(), {pixel.r, pixel.g, pixel.b, pixel.a});
    }
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  const bool maskable = argc > 1 && std::string_view(argv[1]) == "--maskable";
  const int first = maskable ? 2 : 1;
  if (argc < first + 2) {
    std::fprintf(stderr, "usage: %s [--maskable] DIR SIZE...\n", argv[0]);
    return 2;
  }
  kestal::HeadlessDisplay display;
  kestal::setDisplayBackend(&display);
  display.run(drawShip);
  const std::vector<Rgba> icon = iconPixels();
  const char* fileName = maskable ? "kestal-maskable.png" : "kestal.png";
  for (int i = first + 1; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < ICON_PIXELS || size % ICON_PIXELS != 0) {
      std::fprintf(stderr, "%s: %s is not a multiple of %d\n", argv[0], argv[i], ICON_PIXELS);
      return 2;
    }
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    const std::filesystem::path directory = std::filesystem::path(argv[first]) / name;
    std::filesystem::create_directories(directory);
    const std::string problem = kestal::replay::writeRgbaPng(
        (directory / fileName).string(), scaledIcon(icon, size, maskable), size, size);
    if (!problem.empty()) {
      std::fprintf(stderr, "%s: %s\n", argv[0], problem.c_str());
      return 1;
    }
  }
  return 0;
}
