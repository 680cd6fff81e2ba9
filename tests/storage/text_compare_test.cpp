#include "storage/text_compare.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const uint8_t* U(const char* s) {
  return reinterpret_cast<const uint8_t*>(s);
}

// Each comparison's sign: case folded over a width (CompareTextNoCase), case
// folded over whole texts (StrICmp), or byte for byte (CompareText).
TEST(TextCompare, ComparisonsFoldOnlyAsciiLettersAndStopAtTheWidthOrTheNul) {
  enum Kind { kNoCase, kStrICmp, kBytes };
  const struct {
    Kind kind;
    const char *a, *b;
    size_t width;
    int sign;
  } cases[] = {
      {kNoCase, "Bob Smith", "BOB SMITH", 20, 0},
      {kStrICmp, "dpmail server", "DPMAIL SERVER", 0, 0},
      // '_' lies between 'Z' and 'a': folding to lower case puts it before
      // every letter, as the C runtime's stricmp does.
      {kNoCase, "_X", "Ab", 20, -1},
      {kStrICmp, "[", "a", 0, -1},
      {kStrICmp, "^", "Z", 0, -1},
      // Bytes from 128 up are neither folded (Latin-1 A-umlaut) nor signed.
      {kNoCase, "\xC4", "\xE4", 4, -1},
      {kNoCase, "\x80", "z", 4, 1},
      {kStrICmp, "\xFF", "Z", 0, 1},
      {kBytes, "\xE9", "e", 4, 1},
      {kNoCase, "ABCD", "abcdX", 4, 0},
      {kNoCase, "ABCD", "abcdX", 5, -1},
      {kNoCase, "ab\0x", "AB\0y", 4, 0},
      {kBytes, "ab\0x", "ab\0y", 4, 0},
      {kNoCase, "ab", "ABC", 20, -1},
      {kNoCase, "ABC", "ab", 20, 1},
      {kBytes, "1", "10", 4, -1},
      {kBytes, "Zebra", "apple", 20, -1},
      {kBytes, "bob", "BOB", 20, 1},
  };
  for (const auto& c : cases) {
    const int result = c.kind == kNoCase  ? CompareTextNoCase(U(c.a), U(c.b), c.width)
                       : c.kind == kBytes ? CompareText(U(c.a), U(c.b), c.width)
                                          : StrICmp(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.kind << " " << c.a << " " << c.b;
  }
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
