// The game's 640 x 400 picture found in a screenshot, and compared with the picture it
// should be.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "tests/e2e/rgb_image.h"
#include "tests/e2e/x_server.h"

namespace e2e {

inline constexpr int PICTURE_WIDTH = 640;
inline constexpr int PICTURE_HEIGHT = 400;

// The picture inside the window's area: pixel for pixel in a 640 x 400 window; stretched
// to fill a window of the 4:3 shape in full screen (each picture pixel read at the centre
// of the block it became). nullopt for any other window.
std::optional<RgbImage> pictureIn(const RgbImage& screen, const Rect& window);

// A rectangle of picture pixels, both corners included.
struct Area {
  int left, top, right, bottom;
  bool contains(int x, int y) const { return left <= x && x <= right && top <= y && y <= bottom; }
};

// Where the title, the Delay prompt and the typed number shimmer while the prompt waits,
// and where "Play again? (Y/N)" does: the colour wave repaints their non-black pixels.
inline constexpr Area DELAY_PROMPT_WAVE[] = {{0, 0, 248, 32}, {0, 46, 152, 62}, {160, 46, 224, 62}};
inline constexpr Area PLAY_AGAIN_WAVE[] = {{0, 0, 88, 15}, {96, 0, 136, 15}};

struct PictureDifference {
  int pixels = 0;       // how many differ
  std::string example;  // the first few, for the failure message
};

// Every pixel must be the expected colour, except inside `shimmering`, where a pixel need
// only be black exactly where the expected one is.
PictureDifference differences(const RgbImage& shown, const RgbImage& expected,
                              std::span<const Area> shimmering);

// Keeps a picture of a failing check under the test's artefact directory; returns its path.
std::string keepForInspection(const std::string& name, const RgbImage& image);

}  // namespace e2e
