// Converting between UTF-8 at the edges and Windows-1252 in the files.
#include "data/cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(char(b));
  std::string back;
  ASSERT_TRUE(Utf8ToCp1252(Cp1252ToUtf8(all), &back));
  EXPECT_EQ(back, all);
}

// Where the lossy conversion shows a "?" for each character it cannot hold
// (one for each stray byte), the strict one refuses the whole text and names
// the first such character, or its first byte when it is not UTF-8.
TEST(Cp1252, TypographicCharactersMapToTheirBytesAndOthersAreRefusedOrMarked) {
  struct Case {
    const char* utf8;
    const char* lossy;
    size_t replaced;
    const char* bad;
  };
  const Case cases[] = {
      {"M\xC3\xBCller \xE2\x82\xAC \xE2\x80\x9Cok\xE2\x80\x9D", "M\xFCller \x80 \x93ok\x94", 0, ""},
      {"caf\xC3\xA9 \xE6\x97\xA5", "caf\xE9 ?", 1, "\xE6\x97\xA5"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "??", 2, "\xE6\x97\xA5"},  // two characters, two marks
      {"a\xF0\x9F\x98\x80z", "a?z", 1, "\xF0\x9F\x98\x80"},   // four-byte character
      {"ab\xFFyz", "ab?yz", 1, "\\xFF"},                      // stray byte
      {"\xC3x", "?x", 1, "\\xC3"},                            // cut short, next kept
      {"\xE2\x82", "??", 2, "\\xE2"},                         // cut at the end
      {"\xC0\x80z", "??z", 2, "\\xC0"},                       // overlong NUL
      {"\xED\xA0\x80", "???", 3, "\\xED"},                    // surrogate
      {"", "", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    size_t replaced = 99;
    EXPECT_EQ(Utf8ToCp1252Lossy(c.utf8, &replaced), c.lossy);
    EXPECT_EQ(replaced, c.replaced);
    std::string out = "stale", bad;
    EXPECT_EQ(Utf8ToCp1252(c.utf8, &out, &bad), c.replaced == 0);
    EXPECT_EQ(out, c.replaced ? "" : c.lossy);
    EXPECT_EQ(bad, c.bad);
  }
}
