// Typed text (UTF-8) to code page 437 bytes.
#include "platform/keys/cp437.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestal {
namespace {

std::vector<int> bytesOf(const char* utf8) {
  const auto text = cp437FromUtf8(utf8);
  return std::vector<int>(text.bytes.begin(), text.bytes.begin() + text.size);
}

TEST(Cp437, PrintableAsciiIsItself) {
  EXPECT_EQ(cp437FromUnicode(U' '), 32);
  EXPECT_EQ(cp437FromUnicode(U'0'), 48);
  EXPECT_EQ(cp437FromUnicode(U'A'), 65);
  EXPECT_EQ(cp437FromUnicode(U'q'), 113);
  EXPECT_EQ(cp437FromUnicode(U'~'), 126);
}

TEST(Cp437, UpperHalfComesFromTheCodePage) {
  EXPECT_EQ(cp437FromUnicode(U'\u00C7'), 0x80);  // C cedilla
  EXPECT_EQ(cp437FromUnicode(U'\u00FC'), 0x81);  // u diaeresis
  EXPECT_EQ(cp437FromUnicode(U'\u00E9'), 0x82);  // e acute
  EXPECT_EQ(cp437FromUnicode(U'\u00C4'), 0x8E);  // A diaeresis
  EXPECT_EQ(cp437FromUnicode(U'\u00FF'), 0x98);  // y diaeresis
  EXPECT_EQ(cp437FromUnicode(U'\u00A3'), 0x9C);  // pound
  EXPECT_EQ(cp437FromUnicode(U'\u20A7'), 0x9E);  // peseta
  EXPECT_EQ(cp437FromUnicode(U'\u00F1'), 0xA4);  // n tilde
  EXPECT_EQ(cp437FromUnicode(U'\u00BD'), 0xAB);  // one half
  EXPECT_EQ(cp437FromUnicode(U'\u2591'), 0xB0);  // light shade
  EXPECT_EQ(cp437FromUnicode(U'\u2500'), 0xC4);  // horizontal line
  EXPECT_EQ(cp437FromUnicode(U'\u2588'), 0xDB);  // full block
  EXPECT_EQ(cp437FromUnicode(U'\u03B1'), 0xE0);  // alpha
  EXPECT_EQ(cp437FromUnicode(U'\u00DF'), 0xE1);  // sharp s
  EXPECT_EQ(cp437FromUnicode(U'\u0393'), 0xE2);  // Gamma
  EXPECT_EQ(cp437FromUnicode(U'\u00B1'), 0xF1);  // plus-minus
  EXPECT_EQ(cp437FromUnicode(U'\u00B0'), 0xF8);  // degree
  EXPECT_EQ(cp437FromUnicode(U'\u00B2'), 0xFD);  // superscript two
  EXPECT_EQ(cp437FromUnicode(U'\u25A0'), 0xFE);  // black square
  EXPECT_EQ(cp437FromUnicode(U'\u00A0'), 0xFF);  // no-break space
}

TEST(Cp437, CharactersTheCodePageLacksAreDropped) {
  EXPECT_EQ(cp437FromUnicode(U'\u20AC'), -1);  // euro
  EXPECT_EQ(cp437FromUnicode(U'\u0151'), -1);  // o double acute
  EXPECT_EQ(cp437FromUnicode(U'\u00C0'), -1);  // A grave: not in 437
  EXPECT_EQ(cp437FromUnicode(U'\U0001F600'), -1);
  // Controls never come from typed text, and glyph look-alikes must not become controls.
  EXPECT_EQ(cp437FromUnicode(U'\t'), -1);
  EXPECT_EQ(cp437FromUnicode(U'\x7F'), -1);
  EXPECT_EQ(cp437FromUnicode(U'\x85'), -1);
  EXPECT_EQ(cp437FromUnicode(U'\u263A'), -1);
}

TEST(Cp437, Utf8TextKeepsOrderAndDropsWhatItCannotShow) {
  EXPECT_EQ(bytesOf("a\xC3\xA9\xE2\x82\xAC"
                    "b"),
            (std::vector<int>{'a', 0x82, 'b'}));
  EXPECT_EQ(bytesOf("\xE2\x94\x80\xCE\xB1"), (std::vector<int>{0xC4, 0xE0}));
  EXPECT_EQ(bytesOf("\xF0\x9F\x98\x80"), std::vector<int>{});
  EXPECT_EQ(bytesOf(""), std::vector<int>{});
  // Malformed input: a lead byte without its continuation, an overlong slash, a stray
  // continuation byte, an encoded surrogate.
  EXPECT_EQ(bytesOf("\xC3x"), std::vector<int>{'x'});
  EXPECT_EQ(bytesOf("\xC0\xAF"), std::vector<int>{});
  EXPECT_EQ(bytesOf("\xA9z"), std::vector<int>{'z'});
  EXPECT_EQ(bytesOf("\xED\xA0\x80y"), std::vector<int>{'y'});
}

}  // namespace
}  // namespace kestal
