#include "tests/e2e/game_picture.h"

#include <algorithm>
#include <filesystem>

namespace e2e {

namespace {

bool fourByThree(const Rect& window) {
  return window.width * 3 == window.height * 4;
}

bool shimmers(std::span<const Area> areas, int x, int y) {
  return std::any_of(areas.begin(), areas.end(), [&](const Area& a) { return a.contains(x, y); });
}

}  // namespace

std::optional<RgbImage> pictureIn(const RgbImage& screen, const Rect& window) {
  const bool oneToOne = window.width == PICTURE_WIDTH && window.height == PICTURE_HEIGHT;
  if (!oneToOne && !fourByThree(window)) return std::nullopt;
  if (window.x < 0 || window.y < 0 || window.x + window.width > screen.width() ||
      window.y + window.height > screen.height()) {
    return std::nullopt;
  }
  RgbImage picture(PICTURE_WIDTH, PICTURE_HEIGHT);
  for (int y = 0; y < PICTURE_HEIGHT; ++y) {
    // Integer form of floor((y + 0.5) * height / 400): the centre of the row's block.
    const int sy = window.y + (2 * y + 1) * window.height / (2 * PICTURE_HEIGHT);
    for (int x = 0; x < PICTURE_WIDTH; ++x) {
      const int sx = window.x + (2 * x + 1) * window.width / (2 * PICTURE_WIDTH);
      picture.set(x, y, screen.at(sx, sy));
    }
  }
  return picture;
}

PictureDifference differences(const RgbImage& shown, const RgbImage& expected,
                              std::span<const Area> shimmering) {
  PictureDifference result;
  for (int y = 0; y < PICTURE_HEIGHT; ++y) {
    for (int x = 0; x < PICTURE_WIDTH; ++x) {
      const Rgb seen = shown.at(x, y);
      const Rgb wanted = expected.at(x, y);
      const bool same =
          shimmers(shimmering, x, y) ? seen.black() == wanted.black() : seen == wanted;
      if (same) continue;
      if (++result.pixels <= 5) {
        result.example += " (" + std::to_string(x) + ", " + std::to_string(y) + ") shows " +
                          describe(seen) + " for " + describe(wanted) + ";";
      }
    }
  }
  return result;
}

std::string keepForInspection(const std::string& name, const RgbImage& image) {
  const std::filesystem::path directory = E2E_ARTEFACTS_DIR;
  std::filesystem::create_directories(directory);
  const std::filesystem::path path = directory / (name + ".png");
  savePng(path, image);
  return path.string();
}

}  // namespace e2e
