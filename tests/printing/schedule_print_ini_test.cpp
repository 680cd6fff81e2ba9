// dpadmin's printed day with a workstation's INI file: the empty hours are
// the workstation's preset hours, as its scheduler prints them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/dpadmin_run.h"
#include "tests/support/pdf_text.h"
#include "tests/support/temp_dir.h"

namespace {

struct IniCase {
  const char* keys;  // the INI file's "DESKpost" keys, nullptr for no file
  std::vector<const char*> shown;
  std::vector<const char*> absent;
};

// Whether a line of the page, blanks before it left out, starts with the text:
// the hours stand at the left edge, wherever the calendars beside them fall.
bool SomeLineStarts(const std::string& text, const std::string& start) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos && line.compare(first, start.size(), start) == 0) return true;
  }
  return false;
}

TEST(DailyPrintIni, TheDayShowsThePresetHoursOfTheWorkstationGiven) {
  TempDir temp;
  const std::string dir = temp.File("office");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"create", dir}, {"add-name", dir, "ANNE"},
        {"add-entry", dir, "ANNE", "7-7-36", "9:00AM", "Budget review"}}) {
    const DpadminRun run = RunDpadmin(args, temp.Path());
    ASSERT_EQ(run.status, 0) << ShowRun(run);
  }
  const IniCase cases[] = {
      {nullptr, {"8:00A", "5:00P"}, {"7:00A", "6:00P"}},
      {"PresetStart=7\nPresetEnd=18\n", {"7:00A", "6:00P"}, {"7:00P"}},
      // Out of range: a start above 23 is 8, an end before the start is the start.
      {"PresetStart=30\nPresetEnd=5\n", {"8:00A"}, {"9:00A-", "5:00P", "5:00A"}},
  };
  for (const IniCase& c : cases) {
    std::vector<std::string> args = {"print", dir, "daily", "ANNE", "7-7-36", "--pdf",
                                     temp.File("day.pdf")};
    if (c.keys) {
      std::ofstream(temp.File("DPDESK.INI")) << "[DESKpost]\n" << c.keys;
      args.insert(args.end(), {"--ini", temp.File("DPDESK.INI")});
    }
    const DpadminRun run = RunDpadmin(args, temp.Path());
    ASSERT_EQ(run.status, 0) << ShowRun(run);
    const std::string text = PdfText(temp.File("day.pdf"));
    for (const char* s : c.shown) EXPECT_TRUE(SomeLineStarts(text, s)) << s << "\n" << text;
    for (const char* s : c.absent) EXPECT_FALSE(SomeLineStarts(text, s)) << s << "\n" << text;
  }
  const DpadminRun missing =
      RunDpadmin({"print", dir, "daily", "ANNE", "7-7-36", "--ini", temp.File("NONE.INI"),
                  "--pdf", temp.File("day.pdf")},
                 temp.Path());
  EXPECT_NE(missing.status, 0);
  EXPECT_NE(missing.err.find("NONE.INI: no such file"), std::string::npos) << ShowRun(missing);
}

}  // namespace
