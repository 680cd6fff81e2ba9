// Printed schedules through the real dpadmin: a person's day, weeks and
// month on the data directory's templates, read back from the PDF with
// pdftotext; the day's empty hours as the workstation's INI file sets them;
// and what a print says about templates it cannot use.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/printing/text_pieces.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/file_text.h"
#include "tests/support/pdf_text.h"
#include "tests/support/temp_dir.h"
#include "tools/templates/template_writer.h"

namespace {

namespace fs = std::filesystem;
using templates::WmfWriter;

class Office {
 public:
  Office() : dir_(temp_.File("office")) {
    Admin({"create", dir_});
    Admin({"add-name", dir_, "ANNE", "BOB"});
  }
  const std::string& Dir() const { return dir_; }
  std::string File(const std::string& name) const { return dir_ + "/" + name; }

  void Admin(const std::vector<std::string>& args) {
    const DpadminRun run = RunDpadmin(args, temp_.Path());
    ASSERT_EQ(run.status, 0) << ShowRun(run);
  }
  DpadminRun Print(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"print", dir_};
    all.insert(all.end(), args.begin(), args.end());
    all.insert(all.end(), {"--pdf", Pdf()});
    return RunDpadmin(all, temp_.Path());
  }
  std::string Pdf() const { return temp_.File("print.pdf"); }
  // The PDF's pages as pdftotext lays them out, one string a page.
  std::vector<std::string> Pages() const { return PdfPages(Pdf()); }
  // The pages of a print that must succeed; none when it failed.
  std::vector<std::string> Printed(const std::vector<std::string>& args) {
    const DpadminRun run = Print(args);
    EXPECT_EQ(run.status, 0) << ShowRun(run);
    return run.status == 0 ? Pages() : std::vector<std::string>();
  }
  void WriteTemplate(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteWholeFile(File(name), std::string(bytes.begin(), bytes.end()));
  }

 private:
  TempDir temp_;
  std::string dir_;
};

bool LineStarts(const std::string& page, const std::string& text, const std::string& start) {
  return LineWith(page, text).rfind(start, 0) == 0;
}

TEST(DailyPrint, OverlappingEntriesPrintWithTheirTimesAndTheToDoListGoesOnToTheNextPage) {
  // A day ahead of any run: a to-do list of a past day goes on to today.
  Office office;
  office.Admin({"add-entry", office.Dir(), "ANNE", "7-7-36", "9:00AM", "10:30AM", "",
                "Budget review with the finance team"});
  office.Admin({"add-entry", office.Dir(), "ANNE", "7-7-36", "10:00AM", "11:00AM", "",
                "Call with the paper supplier"});
  office.Admin({"add-entry", office.Dir(), "ANNE", "7-7-36", "Carol's birthday"});
  office.Admin({"add-entry", office.Dir(), "BOB", "7-7-36", "2:00PM", "Bob's dentist"});
  for (int i = 1; i <= 40; ++i) {
    char text[40];
    std::snprintf(text, sizeof text, "Call customer number %02d", i);
    office.Admin({"add-todo", office.Dir(), "ANNE", "7-7-36", text});
  }
  const std::vector<std::string> pages = office.Printed({"daily", "ANNE", "7-7-36"});
  ASSERT_EQ(pages.size(), 2u) << ReadWholeFile(office.Pdf()).size();

  const std::string& first = pages[0];
  // The working day's empty hours, from the preset hours 8 to 17, and the
  // calendars of this month and the next.
  EXPECT_EQ(
      Missing(first, {"ANNE's daily schedule", "Monday", "July 7, 2036", "Carol's birthday",
                      " 8:00A", " 5:00P", "1-Call customer number 01", "JULY 2036", "AUGUST 2036"}),
      "")
      << first;
  // (The side column may share a line of the text.)
  EXPECT_TRUE(LineStarts(first, "Budget", "9:00A-10:30A Budget review with the finance team"));
  EXPECT_TRUE(LineStarts(first, "supplier", "10:00A-11:00A Call with the paper supplier"));
  EXPECT_FALSE(Has(first, "Bob's dentist"));

  const std::string& second = pages[1];
  EXPECT_EQ(Missing(second, {"CONTINUED", "1-Call customer number 40"}), "");
  // Every item is printed once, on one page or the other.
  for (int i = 1; i <= 40; ++i) {
    char text[40];
    std::snprintf(text, sizeof text, "1-Call customer number %02d", i);
    EXPECT_NE(Has(first, text), Has(second, text)) << text;
  }
  // The schedule was all on the first page.
  EXPECT_FALSE(Has(second, "Budget review"));
}

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

TEST(DailyPrint, TheDayShowsThePresetHoursOfTheWorkstationGiven) {
  Office office;
  office.Admin({"add-entry", office.Dir(), "ANNE", "7-7-36", "9:00AM", "Budget review"});
  const struct {
    const char* keys;  // the INI file's "DESKpost" keys, nullptr for no file
    std::vector<const char*> shown;
    std::vector<const char*> absent;
  } cases[] = {
      {nullptr, {"8:00A", "5:00P"}, {"7:00A", "6:00P"}},
      {"PresetStart=7\nPresetEnd=18\n", {"7:00A", "6:00P"}, {"7:00P"}},
      // Out of range: a start above 23 is 8, an end before the start is the start.
      {"PresetStart=30\nPresetEnd=5\n", {"8:00A"}, {"9:00A-", "5:00P", "5:00A"}},
  };
  const std::string ini = office.File("DPDESK.INI");
  for (const auto& c : cases) {
    std::vector<std::string> args = {"daily", "ANNE", "7-7-36"};
    if (c.keys) {
      WriteWholeFile(ini, std::string("[DESKpost]\n") + c.keys);
      args.insert(args.end(), {"--ini", ini});
    }
    const DpadminRun run = office.Print(args);
    ASSERT_EQ(run.status, 0) << ShowRun(run);
    const std::string text = PdfText(office.Pdf());
    for (const char* s : c.shown) EXPECT_TRUE(SomeLineStarts(text, s)) << s << "\n" << text;
    for (const char* s : c.absent) EXPECT_FALSE(SomeLineStarts(text, s)) << s << "\n" << text;
  }
  const DpadminRun missing =
      office.Print({"daily", "ANNE", "7-7-36", "--ini", office.File("NONE.INI")});
  EXPECT_NE(missing.status, 0);
  EXPECT_NE(missing.err.find("NONE.INI: no such file"), std::string::npos) << ShowRun(missing);
}

TEST(DailyPrint, AnItemTooLongForItsRegionStopsThePrint) {
  Office office;
  WmfWriter w(9900);
  w.Font("Arial", 10);
  w.Region(100, -100, 7000, -700, "DAY,12");
  w.Region(100, -800, 1500, -1100, "TIME,10");
  w.Region(1600, -800, 2400, -1100, "SCHDITEMS,10");
  w.Region(100, -1200, 7000, -2000, "TODAY,10");
  office.WriteTemplate("daily.wmf", w.Bytes());
  // Before the working day's first empty hour, so it is the region's first.
  office.Admin({"add-entry", office.Dir(), "ANNE", "12-7-26", "7:00AM",
                "A meeting that never fits such a narrow box"});
  const DpadminRun run = office.Print({"daily", "ANNE", "12-7-26"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "Schedule item too long to print.")) << ShowRun(run);
  EXPECT_FALSE(fs::exists(office.Pdf()));
}

TEST(DailyPrint, ALibreOfficeDrawTemplatePrintsTheDay) {
  Office office;
  fs::copy_file(std::string(PRINTING_DATA) + "lo_daily.wmf", office.File("daily.wmf"),
                fs::copy_options::overwrite_existing);
  office.Admin(
      {"add-entry", office.Dir(), "ANNE", "3-15-27", "9:30AM", "10:45AM", "", "Fischer contract"});
  office.Admin({"add-entry", office.Dir(), "ANNE", "3-15-27", "Quarter closes"});
  office.Admin({"add-todo", office.Dir(), "ANNE", "3-15-27", "--priority", "A", "File the VAT"});
  const std::vector<std::string> pages = office.Printed({"daily", "ANNE", "3-15-27"});
  ASSERT_EQ(pages.size(), 1u);
  const std::string& page = pages[0];
  EXPECT_EQ(Missing(page, {"Monday", "March 15, 2027", "ANNE's daily schedule", "MARCH 2027",
                           "APRIL 2027", "Quarter closes", "A-File the VAT", "All day"}),
            "")
      << page;
  EXPECT_EQ(LineWith(page, "Fischer"), "9:30A-10:45A Fischer contract");
  // Labels and marker rectangles stay hidden.
  EXPECT_FALSE(Has(page, "~")) << page;
}

TEST(MonthlyPrint, AMonthStartingOnSaturdayFillsTheCellsFromC7ToC37) {
  Office office;
  office.Admin({"add-entry", office.Dir(), "ANNE", "8-1-26", "Summer fair"});
  office.Admin({"add-entry", office.Dir(), "ANNE", "8-31-26", "2:30PM", "Month-end close"});
  const std::vector<std::string> pages = office.Printed({"monthly", "ANNE", "8-12-26"});
  ASSERT_EQ(pages.size(), 1u);
  const std::string& page = pages[0];
  EXPECT_EQ(Missing(page, {"August", "2026", "JULY 2026", "SEPTEMBER 2026"}), "");
  // The 1st alone in the first week, under Saturday; the 30th and 31st alone
  // in the sixth week, under Sunday and Monday.
  EXPECT_EQ(LineWith(page, "Summer fair"), "Summer fair");
  EXPECT_EQ(LineWith(page, "2:30p"), "2:30p Month-end");
  const std::string firstWeek = LineWith(page, "SATURDAY");
  EXPECT_EQ(firstWeek, "SUNDAY MONDAY TUESDAY WEDNESDAY THURSDAY FRIDAY SATURDAY");
  const size_t saturday = page.find("SATURDAY");
  const size_t one = page.find(" 1\n", saturday);
  ASSERT_NE(one, std::string::npos);
  EXPECT_EQ(LineWith(page.substr(one), "1"), "1");
  EXPECT_EQ(LineWith(page.substr(saturday), "30"), "30 31");
}

TEST(CalendarPrint, NextMonthAfterDecemberIsJanuaryAndAfter2037NoMonthAtAll) {
  Office office;
  // January 2037 begins on a Thursday.
  const std::vector<std::string> pages = office.Printed({"daily", "ANNE", "12-31-36"});
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(Missing(pages[0], {"DECEMBER 2036", "JANUARY 2037", "Wednesday"}), "");

  const DpadminRun run = office.Print({"daily", "ANNE", "12-7-37"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "Date must be between 1980 and 2037.")) << ShowRun(run);
  EXPECT_FALSE(fs::exists(office.Pdf()));
}

TEST(WeeklyPrint, EachWeekFromMondayToSundayOnItsOwnPage) {
  Office office;
  office.Admin({"add-entry", office.Dir(), "* COMMON", "12-13-26", "Office closed"});
  office.Admin(
      {"add-entry", office.Dir(), "* COMMON", "12-16-26", "3:00PM", "4:00PM", "", "Fire drill"});
  const std::vector<std::string> pages =
      office.Printed({"weekly", "* COMMON", "12-9-26", "--to", "12-16-26"});
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(Missing(pages[0], {"* COMMON's weekly schedule", "Monday - Sunday",
                               "December 7, 2026 - December 13, 2026", "Office closed"}),
            "");
  // The second week is printed up to the last day asked for.
  EXPECT_EQ(Missing(pages[1], {"Monday - Wednesday", "December 14, 2026 - December 16, 2026"}), "");
  EXPECT_EQ(LineWith(pages[1], "Fire drill"), "3:00P -4:00P Fire drill");
}

// ---- Templates the print cannot use ----

// A template the layout stops on ends the print with the layout's message
// (one such stop here; the reader's tests hold every way a layout stops).

TEST(TemplateFaults, EachFaultGivesItsMessage) {
  struct Case {
    const char* what;
    std::function<void(Office&)> spoil;
    int status;
    std::string message;
  };
  auto labelled = [](std::function<void(WmfWriter&)> draw) {
    return [draw](Office& office) {
      WmfWriter w(9900);
      w.Font("Arial", 10);
      w.Region(100, -100, 7000, -700, "DAY,12");
      draw(w);
      office.WriteTemplate("daily.wmf", w.Bytes());
    };
  };
  auto label = [](WmfWriter& w, int x, int y, const std::string& text) {
    for (char c : "~" + text + "^") w.Text(x, y, std::string(1, c));
  };
  const Case cases[] = {
      {"template missing", [](Office& o) { fs::remove(o.File("daily.wmf")); }, 1,
       "Could not open page template "},
      {"template damaged",
       [](Office& o) {
         fs::resize_file(o.File("daily.wmf"), fs::file_size(o.File("daily.wmf")) / 2);
       },
       1, "Error in file."},
      {"unknown label",
       labelled([&](WmfWriter& w) { w.Region(100, -800, 7000, -1200, "HOLIDAYS,10"); }), 0,
       "Unknown region name ~HOLIDAYS^ in daily.wmf."},
      {"label outside every region",
       labelled([&](WmfWriter& w) { label(w, 3000, -5000, "DATE,10"); }), 1,
       "Could not find region boundary."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Office office;
    c.spoil(office);
    const DpadminRun run = office.Print({"daily", "ANNE", "12-7-26"});
    EXPECT_EQ(run.status, c.status) << ShowRun(run);
    EXPECT_TRUE(Has(run.err, c.message)) << ShowRun(run);
    EXPECT_EQ(fs::exists(office.Pdf()), c.status == 0);
  }
}

// ---- The delivered templates ----

TEST(DeliveredTemplates, ANewOfficeHoldsThemAndAnOutsideReaderAcceptsThem) {
  TempDir temp;
  for (const char* name : {"daily.wmf", "daily2.wmf", "weekly.wmf", "monthly.wmf", "phlist.wmf"}) {
    SCOPED_TRACE(name);
    const std::string built = std::string(TEMPLATE_DIR) + name;
    const DpadminRun run =
        RunProgram("/usr/bin/wmf2svg", {"-o", temp.File("out.svg"), built}, temp.Path());
    EXPECT_EQ(run.status, 0) << ShowRun(run);
    EXPECT_NE(ReadWholeFile(temp.File("out.svg")).find("<svg"), std::string::npos);
    // dpadmin create writes the same drawings.
    Office office;
    EXPECT_EQ(ReadWholeFile(office.File(name)), ReadWholeFile(built));
  }
}

TEST(DeliveredTemplates, AnOfficesOwnTemplateIsKeptByCreateForce) {
  Office office;
  WriteWholeFile(office.File("daily.wmf"), "our own");
  office.Admin({"create", office.Dir(), "--force"});
  EXPECT_EQ(ReadWholeFile(office.File("daily.wmf")), "our own");
}

}  // namespace
