#include "tools/replay/frame_lines.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "replay/fnv1a.h"

namespace {
std::atomic<long> allocationCount{0};
}  // namespace

// Counts every allocation of this test program, to show that recording a frame makes none.
// Kept out of line, like the deletes below: g++ 12 otherwise sees malloc meet delete in
// the callers and stops the build with -Wmismatched-new-delete.
[[gnu::noinline]] void* operator new(std::size_t size) {
  ++allocationCount;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* memory) noexcept {
  std::free(memory);
}
[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}

namespace {

using namespace kestal::replay;

std::uint64_t fnvOf(std::string_view text) {
  return fnv1a64({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

TEST(Fnv1a64, PublishedVectors) {
  EXPECT_EQ(fnvOf(""), 0xcbf29ce484222325ULL);
  EXPECT_EQ(fnvOf("a"), 0xaf63dc4c8601ec8cULL);
  EXPECT_EQ(fnvOf("foobar"), 0x85944171f73967e8ULL);
}

TEST(TraceLine, RetraceAndTwoZeroPaddedLowerCaseHashes) {
  std::array<char, TRACE_LINE_MAX_CHARS> buffer;
  char* end = appendTraceLine(buffer.data(), 7, 0x1, 0xABCDEF0123456789ULL);
  EXPECT_EQ(std::string(buffer.data(), end), "7 0000000000000001 abcdef0123456789\n");
  end = appendTraceLine(buffer.data(), UINT64_MAX, UINT64_MAX, 0);
  EXPECT_EQ(std::string(buffer.data(), end),
            "18446744073709551615 ffffffffffffffff 0000000000000000\n");
}

TEST(StateLine, FieldsInTheirFixedOrder) {
  auto state = std::make_unique<kestal::GameState>();
  state->levelIndex = 2;
  state->score = 9;
  state->mineCount = 5;
  state->minesKilled = 3;
  state->shipX = 200.5;
  state->shipY = -0.0;
  state->shipVx = 1.5e-05;
  state->shipVy = -1;
  state->shieldEnergy = 100;
  state->engineHeat = 0.1 + 0.2;
  state->laserTimer = -1;
  state->delayCount = 1e16;
  std::array<char, STATE_LINE_MAX_CHARS> buffer;
  char* end = appendStateLine(buffer.data(), 42, *state, 123456);
  EXPECT_EQ(std::string(buffer.data(), end),
            "{\"retrace\":42,\"levelIndex\":2,\"score\":9,\"mineCount\":5,\"minesKilled\":3,"
            "\"shipX\":200.5,\"shipY\":-0,\"shipVx\":1.5e-05,\"shipVy\":-1,"
            "\"shieldEnergy\":100,\"engineHeat\":0.30000000000000004,\"laserTimer\":-1,"
            "\"delayCount\":10000000000000000,\"randomDraws\":123456}\n");
}

TEST(FrameLines, WritingTheLinesAllocatesNothing) {
  auto state = std::make_unique<kestal::GameState>();
  std::array<char, STATE_LINE_MAX_CHARS> buffer;
  const double values[] = {0.0,
                           -0.0,
                           1e300,
                           -std::numeric_limits<double>::max(),
                           1.5e-05,
                           0.1 + 0.2,
                           std::numeric_limits<double>::quiet_NaN(),
                           123456.75};
  const long before = allocationCount;
  std::size_t written = 0;
  for (double value : values) {
    state->shipX = state->shipVy = state->delayCount = value;
    written +=
        static_cast<std::size_t>(appendStateLine(buffer.data(), 1, *state, 2) - buffer.data());
    written += static_cast<std::size_t>(appendTraceLine(buffer.data(), 3, 4, 5) - buffer.data());
  }
  EXPECT_EQ(allocationCount - before, 0);
  EXPECT_GT(written, 0u);
}

}  // namespace
