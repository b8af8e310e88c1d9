// The key queue, the random sequence, number conversions, and the headless back end.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/headless/headless_display.h"
#include "screen/display_backend.h"
#include "screen/keyboard.h"
#include "screen/numbers.h"
#include "screen/program.h"
#include "screen/random.h"
#include "screen/screen.h"
#include "tests/screen/sample_doubles.h"

namespace kestal {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();

TEST(KeyQueueTest, CodesComeOutOldestFirstAsOneOrTwoBytes) {
  clearKeyQueue();
  for (int i = 0; i < 3; ++i) pushKey(extendedKey('H'));
  pushKey(13);
  pushKey(CLOSE_KEY);
  pushKey(CLOSE_KEY);
  pushKey(0);
  EXPECT_EQ(readKey(), KEY_UP);
  EXPECT_EQ(readKey(), "\xffH");
  EXPECT_EQ(readKey(), KEY_UP);
  EXPECT_EQ(readKey(), KEY_ENTER);
  EXPECT_EQ(readKey(), KEY_CLOSE);
  EXPECT_EQ(readKey(), KEY_CLOSE);
  EXPECT_EQ(readKey(), std::string(1, '\0'));
  EXPECT_EQ(readKey(), "");
  EXPECT_EQ(readKey(), "");
}

TEST(KeyQueueTest, OverflowDropsTheOldestAndFifteenWait) {
  clearKeyQueue();
  for (int code = 'a'; code < 'a' + 20; ++code) pushKey(code);
  for (int code = 'a' + 5; code < 'a' + 20; ++code) {
    EXPECT_EQ(readKey(), std::string(1, static_cast<char>(code)));
  }
  EXPECT_EQ(readKey(), "");

  // openScreen empties the queue.
  pushKey('q');
  openScreen();
  EXPECT_EQ(readKey(), "");
}

TEST(RandomTest, MicrosoftRandSequenceFromStateOne) {
  resetRandom();
  const std::vector<double> expected{0.001251220703125, 0.563568115234375, 0.19329833984375,
                                     0.8087158203125,   0.584991455078125, 0.4798583984375};
  for (double value : expected) EXPECT_EQ(randomUnit(), value);
  EXPECT_EQ(randomDrawCount(), 6u);
  resetRandom();
  EXPECT_EQ(randomDrawCount(), 0u);
  EXPECT_EQ(randomUnit(), 41.0 / 32768.0);
}

TEST(RandomTest, SkippingDrawsLandsWhereDrawingThemDoes) {
  for (std::uint64_t count : {0ull, 1ull, 2ull, 3ull, 1000ull, 65537ull}) {
    resetRandom();
    for (std::uint64_t i = 0; i < count; ++i) randomUnit();
    const double drawn = randomUnit();
    resetRandom();
    skipRandomDraws(count);
    EXPECT_EQ(randomUnit(), drawn) << count;
    EXPECT_EQ(randomDrawCount(), count + 1);
  }
  resetRandom();
}

TEST(NumbersTest, ParseNumberReadsTheLeadingNumber) {
  EXPECT_EQ(parseNumber(""), 0);
  EXPECT_EQ(parseNumber("   42"), 42);
  EXPECT_EQ(parseNumber("12-3"), 12);
  EXPECT_EQ(parseNumber("-7"), -7);
  EXPECT_EQ(parseNumber("--5"), 0);
  EXPECT_EQ(parseNumber("-"), 0);
  EXPECT_EQ(parseNumber("007"), 7);
  EXPECT_EQ(parseNumber("&H1F"), 31);
  EXPECT_EQ(parseNumber("&h1f"), 31);
  EXPECT_EQ(parseNumber("&O17"), 15);
  EXPECT_EQ(parseNumber("&b1012"), 5);  // stops at the first non-digit of the base
  EXPECT_EQ(parseNumber("&Z1"), 0);
  EXPECT_EQ(parseNumber("&"), 0);
  EXPECT_EQ(parseNumber("\t5"), 0);  // only blanks are skipped
  EXPECT_EQ(parseNumber("+2.5e2x"), 250);
  EXPECT_EQ(parseNumber(".5"), 0.5);
  EXPECT_EQ(parseNumber("5."), 5);
  EXPECT_EQ(parseNumber("3e"), 3);
  EXPECT_EQ(parseNumber("3e-"), 3);
  EXPECT_EQ(parseNumber("0.1"), 0.1);
  EXPECT_EQ(parseNumber("inf"), 0);
  EXPECT_EQ(parseNumber("0x10"), 0);
}

TEST(NumbersTest, ParseNumberSurvivesExtremes) {
  EXPECT_EQ(parseNumber("1e400"), INF);
  EXPECT_EQ(parseNumber("-1e400"), -INF);
  EXPECT_EQ(parseNumber("1e-400"), 0);
  EXPECT_EQ(parseNumber("1e99999999999999999999999"), INF);
  EXPECT_EQ(parseNumber("0.0001e-99999999999999999999"), 0);
  EXPECT_EQ(parseNumber("1" + std::string(400, '0')), INF);
  EXPECT_EQ(parseNumber("0." + std::string(400, '0') + "1"), 0);
  EXPECT_EQ(parseNumber(std::string(400, '0') + "1e-400"), 0);
  EXPECT_EQ(parseNumber("&H" + std::string(300, 'F')), INF);
  EXPECT_EQ(parseNumber("1" + std::string(20, '0')), 1e20);
}

TEST(NumbersTest, FormatNumberWritesWholeNumbersAsDigits) {
  EXPECT_EQ(formatNumber(0), "0");
  EXPECT_EQ(formatNumber(-0.0), "0");
  EXPECT_EQ(formatNumber(27), "27");
  EXPECT_EQ(formatNumber(-3), "-3");
  EXPECT_EQ(formatNumber(1e15), "1000000000000000");
  EXPECT_EQ(formatNumber(9999999999999998.0), "9999999999999998");
  EXPECT_EQ(formatNumber(-9999999999999998.0), "-9999999999999998");
  EXPECT_EQ(formatNumber(0.5), "0.5");
  EXPECT_EQ(formatNumber(1.0 / 3.0), "0.3333333333333333");
  const std::string big = formatNumber(1e16);
  EXPECT_NE(big, "10000000000000000");
  EXPECT_EQ(parseNumber(big), 1e16);
}

// The rounding nint replaced (floor, then fmod for halves) and the floor it saturates: the new
// two-addition rounding must agree with them on every double.
int floorAndFmodNint(double value) {
  if (std::isnan(value)) return 0;
  if (value >= INT_MAX) return INT_MAX;
  if (value <= INT_MIN) return INT_MIN;
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return static_cast<int>(whole);
}
int plainFloorToInt(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::clamp(std::floor(value), double{INT_MIN}, double{INT_MAX}));
}

TEST(NumbersTest, IntegerConversionsRoundHalvesToEvenAndSaturate) {
  constexpr double MAX = std::numeric_limits<double>::max();
  constexpr double TINY = std::numeric_limits<double>::denorm_min();
  struct Case {
    double value;
    int nint, floor;
  } const cases[] = {
      {0.5, 0, 0},
      {1.5, 2, 1},
      {2.5, 2, 2},
      {-0.5, 0, -1},
      {-1.5, -2, -2},
      {-2.5, -2, -3},
      {-0.0, 0, 0},
      {2.5000001, 3, 2},
      {-2.4999999, -2, -3},
      {TINY, 0, 0},
      {-TINY, 0, -1},
      {0.49999999999999994, 0, 0},
      {230.5, 230, 230},
      {1e9 + 1.5, 1000000002, 1000000001},
      {2147483646.5, 2147483646, 2147483646},
      {std::nextafter(2147483647.0, 0), INT_MAX, INT_MAX - 1},
      {2147483647.0, INT_MAX, INT_MAX},
      {-2147483647.5, INT_MIN, INT_MIN},
      {-2147483648.5, INT_MIN, INT_MIN},
      {6755399441055744.0, INT_MAX, INT_MAX},
      {MAX, INT_MAX, INT_MAX},
      {-MAX, INT_MIN, INT_MIN},
      {INF, INT_MAX, INT_MAX},
      {-INF, INT_MIN, INT_MIN},
      {NaN, 0, 0},
      {-NaN, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(floorAndFmodNint(c.value), c.nint) << c.value;
    EXPECT_EQ(nint(c.value), c.nint) << c.value;
    EXPECT_EQ(plainFloorToInt(c.value), c.floor) << c.value;
    EXPECT_EQ(floorToInt(c.value), c.floor) << c.value;
  }
  std::vector<double> values = testing::sampleDoubles();  // random bits, edges, game values
  for (double middle : {0.0, 1e6, 2147483647.0, -2147483648.0}) {
    for (int quarters = -40; quarters <= 40; ++quarters) {
      testing::addWithNeighbours(values, middle + quarters / 4.0);
    }
  }
  for (double v : values) {
    ASSERT_EQ(nint(v), floorAndFmodNint(v)) << v;
    ASSERT_EQ(floorToInt(v), plainFloorToInt(v)) << v;
  }
}

TEST(HeadlessDisplayTest, RunHooksAndProgramEnd) {
  std::vector<std::string> events;
  std::vector<std::string> keysAtOpen;
  HeadlessDisplay display(HeadlessDisplay::Hooks{
      [&] {
        events.push_back("open");
        pushKey('k');  // scripted keys for retrace 0 go in here and must survive
      },
      [&](std::uint64_t retrace) { events.push_back("retrace " + std::to_string(retrace)); },
      [&] { events.push_back("empty"); }});
  setDisplayBackend(&display);

  randomUnit();
  const int code = display.run([&] {
    EXPECT_EQ(randomUnit(), 41.0 / 32768.0);  // a run starts like a fresh program
    pushKey('x');
    openScreen();
    EXPECT_EQ(readKey(), "k");
    EXPECT_EQ(readKey(), "");
    waitRetrace();
    waitRetrace();
    exitProgram(7);
  });
  EXPECT_EQ(code, 7);
  EXPECT_EQ(display.retraces(), 2u);
  EXPECT_EQ(events, (std::vector<std::string>{"open", "empty", "retrace 1", "retrace 2"}));

  EXPECT_EQ(display.run([] {}), 0);
  setDisplayBackend(nullptr);
  EXPECT_NE(dynamic_cast<HeadlessDisplay*>(&displayBackend()), nullptr);
  EXPECT_NE(&displayBackend(), &display);
}

TEST(HeadlessDisplayTest, ExitProgramClosesTheDisplayFirst) {
  struct ClosingDisplay final : DisplayBackend {
    int run(const std::function<void()>& game) override {
      try {
        game();
      } catch (const ProgramExit& exit) {
        return exit.code;
      }
      return 0;
    }
    void open() override {}
    void waitRetrace() override {}
    void setPointer(int x, int y, int visible) override { pointer = {x, y, visible}; }
    void beep() override {}
    void close() override { ++closes; }
    int closes = 0;
    std::vector<int> pointer;
  } display;
  setDisplayBackend(&display);
  const int code = display.run([&] {
    setPointer(1000, -5, 0);
    exitProgram(0);
  });
  setDisplayBackend(nullptr);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(display.closes, 1);
  EXPECT_EQ(display.pointer, (std::vector<int>{639, 0, 0}));
}

}  // namespace
}  // namespace kestal
