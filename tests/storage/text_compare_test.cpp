#include "storage/text_compare.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const uint8_t* U(const char* s) {
  return reinterpret_cast<const uint8_t*>(s);
}

int NoCase(const char* a, const char* b, size_t width) {
  return CompareTextNoCase(U(a), U(b), width);
}

TEST(TextCompare, LettersMatchInAnyCase) {
  EXPECT_EQ(NoCase("Bob Smith", "BOB SMITH", 20), 0);
  EXPECT_EQ(StrICmp("dpmail server", "DPMAIL SERVER"), 0);
}

TEST(TextCompare, CapitalsFoldToLowerCaseSoPunctuationBetweenSortsBeforeLetters) {
  // '_' lies between 'Z' and 'a': folding to lower case puts it before every
  // letter, as the C runtime's stricmp does.
  EXPECT_LT(NoCase("_X", "Ab", 20), 0);
  EXPECT_LT(StrICmp("[", "a"), 0);
  EXPECT_LT(StrICmp("^", "Z"), 0);
}

TEST(TextCompare, BytesFrom128UpAreNeitherFoldedNorSigned) {
  // Latin-1 capital and small A-umlaut stay different.
  EXPECT_NE(NoCase("\xC4", "\xE4", 4), 0);
  // Compared unsigned: 0x80 sorts after every ASCII letter.
  EXPECT_GT(NoCase("\x80", "z", 4), 0);
  EXPECT_GT(StrICmp("\xFF", "Z"), 0);
  EXPECT_GT(CompareText(U("\xE9"), U("e"), 4), 0);
}

TEST(TextCompare, FixedWidthFieldsStopAtTheirWidthOrTheirNul) {
  EXPECT_EQ(NoCase("ABCD", "abcdX", 4), 0);
  EXPECT_EQ(NoCase("ab\0x", "AB\0y", 4), 0);
  EXPECT_EQ(CompareText(U("ab\0x"), U("ab\0y"), 4), 0);
  EXPECT_NE(NoCase("ABCD", "abcdX", 5), 0);
}

TEST(TextCompare, AShorterTextSortsFirst) {
  EXPECT_LT(NoCase("ab", "ABC", 20), 0);
  EXPECT_GT(NoCase("ABC", "ab", 20), 0);
  EXPECT_LT(CompareText(U("1"), U("10"), 4), 0);
}

TEST(TextCompare, ByteWiseComparisonKeepsCase) {
  EXPECT_LT(CompareText(U("Zebra"), U("apple"), 20), 0);
  EXPECT_NE(CompareText(U("bob"), U("BOB"), 20), 0);
}

TEST(TextCompare, PutTextCutsToTheFieldAndClearsTheRest) {
  uint8_t field[6];
  std::memset(field, 'z', sizeof field);
  PutText(field, 5, "HELLO WORLD");
  EXPECT_EQ(std::memcmp(field, "HELL\0", 5), 0);
  EXPECT_EQ(field[5], 'z');  // beyond the field: untouched

  PutText(field, 5, "A");
  EXPECT_EQ(std::memcmp(field, "A\0\0\0\0", 5), 0);
  PutText(field, 5, nullptr);
  EXPECT_EQ(field[0], 0);
}

}  // namespace
