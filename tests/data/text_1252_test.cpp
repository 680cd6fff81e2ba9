// The office code page against UTF-8.
#include "data/text_1252.h"

#include <gtest/gtest.h>

namespace {

TEST(Text1252Test, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += char(b);
  std::string back;
  ASSERT_TRUE(Utf8To1252(Utf8From1252(all), &back));
  EXPECT_EQ(back, all);
}

TEST(Text1252Test, EuroSignAndAccentsMapBothWays) {
  EXPECT_EQ(Utf8From1252("\x80 caf\xE9"), "\u20AC caf\u00E9");
  std::string out;
  ASSERT_TRUE(Utf8To1252("Z\u00FCrich \u2013 \u0153", &out));
  EXPECT_EQ(out, "Z\xFCrich \x96 \x9C");
}

TEST(Text1252Test, CharactersOutsideTheCodePageAreNamed) {
  std::string out, bad;
  EXPECT_FALSE(Utf8To1252("Tokyo \u6771\u4EAC", &out, &bad));
  EXPECT_EQ(bad, "U+6771");
  EXPECT_FALSE(Utf8To1252("\xF0\x9F\x98\x80", &out, &bad));
  EXPECT_EQ(bad, "U+1F600");
}

TEST(Text1252Test, MalformedUtf8IsRefused) {
  std::string out, bad;
  EXPECT_FALSE(Utf8To1252("caf\xE9", &out, &bad));  // a Latin-1 byte, not UTF-8
  EXPECT_EQ(bad, "malformed UTF-8");
  EXPECT_FALSE(Utf8To1252("\xC3", &out, &bad));      // cut short
  EXPECT_FALSE(Utf8To1252("\xC0\xAF", &out, &bad));  // overlong
}

TEST(Text1252Test, LetterCaseCoversTheAccentedLetters) {
  EXPECT_EQ(ToUpper1252(0xE9), 0xC9);
  EXPECT_EQ(ToLower1252(0x8A), 0x9A);
  EXPECT_EQ(ToUpper1252(0xFF), 0x9F);
  EXPECT_EQ(ToUpper1252(0xDF), 0xDF);
  EXPECT_TRUE(IsLower1252(0xDF));
  EXPECT_FALSE(IsUpper1252(0xD7));  // the multiplication sign
}

}  // namespace
