// A small program on the SDL back end for the display tests. It draws a known picture with
// a few palette entries of its own, then reports on stdout every key it reads:
//   ready vsync=<0|1> retrace-ms=<mean waitRetrace time>
//   key <byte> [<byte>]
// The key "p" recolours entry 40 (answered by "recoloured"), "x" ends the program through
// exitProgram(5).
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/sdl/sdl_display.h"
#include "screen/display_backend.h"
#include "screen/keyboard.h"
#include "screen/program.h"
#include "screen/screen.h"

namespace {

using namespace kestal;

// 65536 * blue + 256 * green + red, components 0..63.
constexpr std::int64_t paletteValue(int red, int green, int blue) {
  return 65536LL * blue + 256LL * green + red;
}

void drawPicture() {
  setPaletteEntry(40, paletteValue(63, 32, 0));
  setPaletteEntry(41, paletteValue(0, 63, 21));
  setPaletteEntry(42, paletteValue(10, 20, 30));
  drawLine(0, 0, 319, 199, 40, LineKind::FilledBox);
  drawLine(320, 0, 639, 199, 41, LineKind::FilledBox);
  drawLine(0, 200, 319, 399, 1, LineKind::FilledBox);  // a default palette colour
  drawLine(400, 300, 479, 349, 42, LineKind::FilledBox);
}

double meanRetraceMilliseconds(int count) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) waitRetrace();
  const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / count;
}

void reportKey(const std::string& key) {
  std::printf("key");
  for (const char byte : key) std::printf(" %d", static_cast<unsigned char>(byte));
  std::printf("\n");
  std::fflush(stdout);
}

void probe(const SdlDisplay& display) {
  openScreen();
  setPointer(1, 1, 0);
  clearScreen();
  setPages(1, 0);
  drawPicture();
  waitRetrace();
  showWorkPage();
  const double retraceMs = meanRetraceMilliseconds(20);
  std::printf("ready vsync=%d retrace-ms=%.1f\n", display.vsyncObserved() ? 1 : 0, retraceMs);
  std::fflush(stdout);
  for (;;) {
    const std::string key = readKey();
    if (!key.empty()) reportKey(key);
    if (key == "x") exitProgram(5);
    if (key == "p") {
      setPaletteEntry(40, paletteValue(0, 0, 63));
      waitRetrace();
      waitRetrace();
      std::printf("recoloured\n");
      std::fflush(stdout);
    }
    waitRetrace();
  }
}

}  // namespace

int main(int, char** argv) {
  SdlDisplay display(argv[0]);
  setDisplayBackend(&display);
  return display.run([&] { probe(display); });
}
