// Export files and the line breaking of printed text: an export reaches its
// chosen name whole or not at all, and each failure says what it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "printing/print_text.h"
#include "printing/text_output.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace {

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(BreakLines, BreaksAtBlanksAndLineBreaksWithinTheWidth) {
  struct Case {
    const char* text;
    size_t width;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", 10, {}},
      {"short", 10, {"short"}},
      {"exactly10!", 10, {"exactly10!"}},
      {"two words here", 10, {"two words ", "here"}},
      {"line\rbreak", 10, {"line", "break"}},
      {"crlf\r\nkept once", 10, {"crlf", "kept once"}},
      {"lf\nalso", 10, {"lf", "also"}},
      {"blank\r\rline", 10, {"blank", "", "line"}},
      {"abcdefghijklmnop", 10, {"abcdefghij", "klmnop"}},
      {"0123456789\rnext", 10, {"0123456789", "next"}},
  };
  for (const Case& c : cases) EXPECT_EQ(BreakLines(c.text, c.width), c.lines) << c.text;
}

TEST(Padding, FillsAndCutsToTheColumns) {
  EXPECT_EQ(PadRight("ab", 4), "ab  ");
  EXPECT_EQ(PadLeft("ab", 4), "  ab");
  EXPECT_EQ(PadRight("abcdef", 4), "abcd");
  EXPECT_EQ(Columns(Utf8("\xC4") + "x"), 2u);  // Windows-1252 "Ä" is one column
}

TEST(ExportFile, AWholeExportTakesTheChosenNameAndLeavesNothingBeside) {
  TempDir dir;
  const std::string path = dir.File("list.txt");
  Write(path, "the old export");
  ExportFile file;
  ASSERT_TRUE(file.Open(path));
  EXPECT_EQ(ReadWholeFile(path), "the old export");  // untouched while writing
  ASSERT_TRUE(file.Output("first,"));
  ASSERT_TRUE(file.Output("second\r\n"));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadWholeFile(path), "first,second\r\n");
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

TEST(ExportFile, AnExportGivenUpLeavesTheOldFileAsItWas) {
  TempDir dir;
  const std::string path = dir.File("list.txt");
  Write(path, "the old export");
  {
    ExportFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(file.Output("half of it"));
  }  // cancelled: never committed
  EXPECT_EQ(ReadWholeFile(path), "the old export");
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

TEST(ExportFile, AFileThatCannotBeOpenedSaysWhy) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("folder"));
  Write(dir.File("plain"), "x");
  struct Case {
    std::string path;
    const char* caption;
  };
  const Case cases[] = {
      {dir.File("missing/list.txt"), "PATH OR FILE DOES NOT EXIST:"},
      {dir.File("plain/list.txt"), "PATH OR FILE DOES NOT EXIST:"},
      {dir.File("folder"), "ACCESS DENIED, COULD NOT OPEN:"},
  };
  for (const Case& c : cases) {
    ExportFile file;
    EXPECT_FALSE(file.Open(c.path)) << c.path;
    EXPECT_EQ(file.Failure().caption, c.caption) << c.path;
    EXPECT_EQ(file.Failure().name, c.path);
    EXPECT_FALSE(file.Output("text"));
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
}

TEST(ExportFile, AFullDiskFailsTheExportAndKeepsTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("list.csv");
  Write(path, "the old export");
  const std::string big(64 * 1024, 'x');
  const int result = WithFileSizeLimit(16 * 1024, [&] {
    ExportFile file;
    if (!file.Open(path)) return 10;
    bool written = true;
    for (int i = 0; i < 4 && written; ++i) written = file.Output(big);
    if (written) written = file.Commit();
    if (written) return 11;
    return file.Failure().caption == "ERROR WRITING:" && file.Failure().name == path ? 0 : 12;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadWholeFile(path), "the old export");
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

}  // namespace
