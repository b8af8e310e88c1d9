// The pictures against the screen they were taken of, in the same process.
#include "tools/replay/replay_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "screen/screen_access.h"
#include "tests/replay/png_test_support.h"
#include "replay/fnv1a.h"

namespace {

namespace fs = std::filesystem;
using namespace kestal;
using namespace kestal::replay;

std::string lastLine(const std::string& file) {
  std::ifstream in(file);
  std::string line, last;
  while (std::getline(in, line)) last = line;
  return last;
}

std::string hex16(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

TEST(ReplaySession, PicturesAndTraceShowTheVisiblePage) {
  const fs::path dir = fs::path(::testing::TempDir()) / ("replay-png-" + std::to_string(getpid()));
  fs::remove_all(dir);
  ReplayOptions options;
  options.frames = 40;
  options.pngAt = {0, 40};
  options.outDir = (dir / "new" / "pictures").string();  // two levels created
  options.tracePath = (dir / "trace.txt").string();
  fs::create_directories(dir);
  const ReplayResult result = runReplay(options, {{1, 13}});
  ASSERT_EQ(result.exitStatus, 0) << result.error;

  // The run stopped inside retrace 40, so the screen still shows that frame.
  const auto page = visiblePagePixels();
  const Palette& palette = displayPalette();
  const test_support::DecodedPng last =
      test_support::decodePng(options.outDir + "/frame-000040.png");
  ASSERT_EQ(last.width, 640u);
  ASSERT_EQ(last.height, 400u);
  ASSERT_EQ(last.rgb.size(), 640u * 400u * 3u);
  int mismatches = 0;
  bool severalColours = false;
  for (std::size_t i = 0; i < page.size(); ++i) {
    const Rgb colour = palette[page[i]];
    mismatches += last.rgb[3 * i] != colour.r || last.rgb[3 * i + 1] != colour.g ||
                  last.rgb[3 * i + 2] != colour.b;
    severalColours = severalColours || page[i] != page[0];
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_TRUE(severalColours);

  std::uint8_t paletteBytes[768];
  for (int i = 0; i < 256; ++i) {
    paletteBytes[3 * i] = palette[i].r;
    paletteBytes[3 * i + 1] = palette[i].g;
    paletteBytes[3 * i + 2] = palette[i].b;
  }
  EXPECT_EQ(lastLine(options.tracePath),
            "40 " + hex16(fnv1a64(page)) + " " + hex16(fnv1a64(paletteBytes)));

  // Right after the screen opens both pages are zero and entry 0 is black.
  const test_support::DecodedPng first =
      test_support::decodePng(options.outDir + "/frame-000000.png");
  ASSERT_EQ(first.rgb.size(), 640u * 400u * 3u);
  EXPECT_EQ(std::count(first.rgb.begin(), first.rgb.end(), 0), 640 * 400 * 3);
  fs::remove_all(dir);
}

}  // namespace
