// Converting between UTF-8 at the edges and Windows-1252 in the files.
#include "data/cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, EveryByteSurvivesARoundTripAndTypographicCharactersMapToTheirBytes) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(char(b));
  std::string back;
  ASSERT_TRUE(Utf8ToCp1252(Cp1252ToUtf8(all), &back));
  EXPECT_EQ(back, all);
  // Typographic characters map to their bytes.
  std::string out;
  ASSERT_TRUE(
      Utf8ToCp1252("M\xC3\xBCller \xE2\x82\xAC"
                   "5 \xE2\x80\x9Cok\xE2\x80\x9D",
                   &out));
  EXPECT_EQ(out,
            "M\xFCller \x80"
            "5 \x93ok\x94");
}

TEST(Cp1252, CharacterWithoutAByteOrMalformedTextIsRefusedAndNamed) {
  std::string out = "stale";
  std::string bad;
  EXPECT_FALSE(Utf8ToCp1252("caf\xC3\xA9 \xE6\x97\xA5", &out, &bad));
  EXPECT_EQ(bad, "\xE6\x97\xA5");
  EXPECT_EQ(out, "");
  // Malformed UTF-8 is refused too.
  EXPECT_FALSE(Utf8ToCp1252("ab\xFF", &out, &bad));
  EXPECT_EQ(bad, "\\xFF");
  EXPECT_FALSE(Utf8ToCp1252("\xC3", &out));          // cut short
  EXPECT_FALSE(Utf8ToCp1252("\xC0\x80", &out));      // overlong NUL
  EXPECT_FALSE(Utf8ToCp1252("\xED\xA0\x80", &out));  // surrogate
  EXPECT_FALSE(Utf8ToCp1252("\xE2\x82", &out));      // cut in the middle
}

TEST(Cp1252, LossyConversionShowsEachCharacterItCannotHoldAsOneQuestionMark) {
  struct Case {
    const char* utf8;
    const char* cp1252;
    size_t replaced;
  };
  const Case cases[] = {
      {"M\xC3\xBCller \xE2\x82\xAC", "M\xFCller \x80", 0},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "??", 2},  // two characters, two marks
      {"a\xF0\x9F\x98\x80"
       "b",
       "a?b", 1},  // four-byte character
      {"ab\xFF"
       "cd",
       "ab?cd", 1},  // stray byte
      {"\xC3"
       "x",
       "?x", 1},              // cut short, next kept
      {"\xE2\x82", "??", 2},  // cut at the end
      {"\xC0\x80"
       "z",
       "??z", 2},  // overlong NUL
      {"", "", 0},
  };
  for (const Case& c : cases) {
    size_t replaced = 99;
    EXPECT_EQ(Utf8ToCp1252Lossy(c.utf8, &replaced), c.cp1252) << c.utf8;
    EXPECT_EQ(replaced, c.replaced) << c.utf8;
  }
}
