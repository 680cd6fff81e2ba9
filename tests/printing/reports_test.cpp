// Phone list reports and labels as text: the pages of the text file, the
// comma-delimited lines, and the rows of labels, as a reader of the file
// (or of the printed page) finds them; the label formats of LABEL.DAT, every
// field checked before a label is laid out with it (the file the build
// makes, and dpadmin create putting it into a new data directory, keeping
// an office's own); the line breaking of printed text; and export files,
// which reach their chosen name whole or not at all, each failure saying
// what it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <functional>

#include "data/phone/label_table.h"
#include "printing/labels.h"
#include "printing/phone_report.h"
#include "printing/print_text.h"
#include "printing/text_output.h"
#include "storage/errors.h"
#include "tests/printing/text_pieces.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"

namespace ph = records::phone;
namespace label = records::label;

namespace {

// The output kept as one string, or failing from a given call on.
class Collected : public TextOutput {
 public:
  bool Output(std::string_view text) override {
    if (failFrom_ >= 0 && calls_++ >= failFrom_) return false;
    text_ += text;
    return true;
  }
  void FailFrom(int call) { failFrom_ = call; }
  std::string text_;

 private:
  int failFrom_ = -1;
  int calls_ = 0;
};

ReportEntry Entry(std::vector<std::pair<Field, std::string>> fields) {
  ReportEntry e;
  for (const auto& [f, text] : fields) e.record.SetText(f, text);
  return e;
}

ReportEntry Person(int i) {
  const std::string n = std::to_string(i);
  return Entry({{ph::kListname, "PERSON " + n},
                {ph::kCompany, "Company " + n},
                {ph::kContact, "Contact " + n},
                {ph::kPhone1, "555-01" + n},
                {ph::kStreet1, n + " Main Street"},
                {ph::kCity, "Springfield"},
                {ph::kState, "IL"},
                {ph::kZip, "62701"}});
}

// Occurrences of the word followed by the number and no further digit.
size_t CountNumber(const std::string& text, const std::string& word, int number) {
  const std::string piece = word + std::to_string(number);
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    const size_t after = at + piece.size();
    if (after >= text.size() || !std::isdigit(static_cast<unsigned char>(text[after]))) ++n;
  }
  return n;
}

std::string TextReportOf(ReportType type, int entries) {
  Collected out;
  TextReport report(out, type, "PHONE LIST", "12-7-26");
  for (int i = 1; i <= entries; ++i) EXPECT_TRUE(report.Add(Person(i)));
  EXPECT_TRUE(report.Finish());
  return out.text_;
}

TEST(TextReport, PagesHoldTheirEntriesUnderTheTitleAndDate) {
  struct Case {
    ReportType type;
    int entries;
    int formFeeds;
    int headers;
    int lastPageEntries;
  };
  const Case cases[] = {
      {ReportType::kPhoneList, 18, 1, 1, 18},  // one full page, one form feed
      {ReportType::kPhoneList, 19, 2, 2, 1},   // the 19th starts a new page
      {ReportType::kPhoneList, 1, 1, 1, 1},
      {ReportType::kMailingList, 9, 1, 1, 9},
      {ReportType::kMailingList, 10, 2, 2, 1},
      {ReportType::kFullReport, 3, 1, 1, 3},
      {ReportType::kFullReport, 7, 3, 3, 1},
      {ReportType::kPhoneList, 0, 0, 1, 0},  // nothing selected: the header alone
  };
  for (const Case& c : cases) {
    const std::string text = TextReportOf(c.type, c.entries);
    SCOPED_TRACE(std::to_string(int(c.type)) + " with " + std::to_string(c.entries));
    EXPECT_EQ(Count(text, "\f"), c.formFeeds);
    EXPECT_EQ(Count(text, "PHONE LIST"), c.headers);
    EXPECT_EQ(Count(text, "12-7-26"), c.headers);
    // Every page ends in its form feed; the last holds the entries left.
    const size_t end = text.rfind('\f');
    EXPECT_TRUE(end == std::string::npos || end + 1 == text.size());
    const size_t start = end == std::string::npos ? 0 : text.rfind('\f', end - 1) + 1;
    EXPECT_EQ(Count(text.substr(start, end - start), "Company "), c.lastPageEntries);
    // Every entry is there once.
    for (int i = 1; i <= c.entries; ++i) EXPECT_EQ(CountNumber(text, "Company ", i), 1u) << i;
  }
}

TEST(TextReport, TheTitleIsCentredOnEightyColumnsAndEntriesKeepTheirColumns) {
  const std::string text = TextReportOf(ReportType::kPhoneList, 1);
  const std::string title = std::string(40 - 5, ' ') + "PHONE LIST\r\n";
  EXPECT_NE(text.find("\r\n\r\n" + title), std::string::npos) << text;
  // Company in 40 columns, six blanks, Phone 1 right-aligned in 20, Ext in 10.
  EXPECT_NE(text.find("\r\nCompany 1" + std::string(31, ' ') + std::string(6, ' ') +
                      std::string(13, ' ') + "555-011" + " " + std::string(10, ' ')),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\r\nContact 1" + std::string(35, ' ') + "\r\n"), std::string::npos);
}

TEST(TextReport, MailingEntriesTakeOneHeightAndLeaveOutWhatIsNotSet) {
  ReportEntry full = Person(1);
  full.record.SetText(ph::kStreet2, "Suite 4");
  full.record.SetText(ph::kCountry, "USA");
  for (const ReportEntry& e : {full, Person(2)}) {
    Collected out;
    TextReport report(out, ReportType::kMailingList, "MAILING LIST", "12-7-26");
    ASSERT_TRUE(report.Add(e));
    const std::string header = out.text_.substr(0, out.text_.find("12-7-26\r\n") + 9);
    const std::string entry = out.text_.substr(header.size());
    EXPECT_EQ(Count(entry, "\r\n"), 7) << entry;
    const bool set = e.record.Text(ph::kStreet2) == "Suite 4";
    EXPECT_EQ(entry.find("Suite 4") != std::string::npos, set);
    EXPECT_EQ(entry.find("USA") != std::string::npos, set);
    EXPECT_NE(entry.find("\r\nSpringfield IL 62701"), std::string::npos) << entry;
  }
}

TEST(TextReport, AFailedOutputStopsTheReport) {
  Collected out;
  out.FailFrom(2);
  TextReport report(out, ReportType::kPhoneList, "PHONE LIST", "12-7-26");
  EXPECT_TRUE(report.Add(Person(1)));
  EXPECT_FALSE(report.Add(Person(2)));
  EXPECT_FALSE(report.Add(Person(3)));
  EXPECT_FALSE(report.Finish());
}

TEST(DelimitedLine, QuotesEveryFieldWithoutTrailingBlanks) {
  ReportEntry e = Entry({{ph::kListname, "ORTIZ"},
                         {ph::kCompany, "Ortiz \"Travel\"  "},
                         {ph::kContact, "Ana Ortiz"},
                         {ph::kPhone1, "555-0110"},
                         {ph::kStreet1, "1 Harbour Road"},
                         {ph::kCity, "Shelbyville"},
                         {ph::kState, "IL"},
                         {ph::kZip, "62565"},
                         {ph::kCountry, "USA"},
                         {ph::kMisc, "first line\rsecond line"},
                         {ph::kCell, "555-9\xE9"}});
  struct Case {
    ReportType type;
    std::string line;
  };
  const Case cases[] = {
      {ReportType::kPhoneList, "\"Ortiz \"\"Travel\"\"\",\"Ana Ortiz\",\"555-0110\",\"\"\n"},
      {ReportType::kMailingList,
       "\"Ortiz \"\"Travel\"\"\",\"Ana Ortiz\",\"1 Harbour Road\",\"\",\"Shelbyville IL "
       "62565\",\"USA\"\r\n"},
      {ReportType::kFullReport,
       "\"ORTIZ\",\"\",\"Ortiz \"\"Travel\"\"\",\"1 Harbour Road\",\"\",\"Shelbyville\",\"IL\","
       "\"62565\",\"USA\",\"Ana Ortiz\",\"555-0110\",\"\",\"\",\"\",\"\",\"555-9\xC3\xA9\",\"\","
       "\"\",\"first line\r\nsecond line\"\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(DelimitedLine(c.type, e.record), c.line);
}

TEST(ReportLines, ThePrintedEntryLeavesBlankLinesOut) {
  ReportEntry e = Entry({{ph::kListname, "ORTIZ"},
                         {ph::kCompany, "Ortiz Travel"},
                         {ph::kPhone1, "555-0110"},
                         {ph::kExt1, "12"},
                         {ph::kFax, "555-0111"},
                         {ph::kCell, "555-0112"},
                         {ph::kUrl, "ortiz.example"},
                         {ph::kEmail, "ana@ortiz.example"},
                         {ph::kCity, "Shelbyville"},
                         {ph::kMisc, "Closed Mondays"}});
  e.note = "Ask for Ana.";
  struct Case {
    ReportType type;
    std::string body;
  };
  const Case cases[] = {
      {ReportType::kPhoneList,
       "Ortiz Travel\rPhone1:\t\t555-0110 12\rFax:\t\t555-0111\rCell:\t\t555-0112\r"},
      {ReportType::kMailingList, "Ortiz Travel\rShelbyville   \r"},
      {ReportType::kFullReport,
       "Ortiz Travel\rShelbyville   \rPhone1: \t555-0110 12\rFax: 555-0111\rCell: "
       "555-0112\rURL: ortiz.example\rE-mail: ana@ortiz.example\r\rMisc: Closed "
       "Mondays\r\rNote: Ask for Ana.\r"},
  };
  for (const Case& c : cases) {
    const ReportLines lines = ReportLinesOf(c.type, e);
    EXPECT_EQ(lines.heading, "ORTIZ");
    EXPECT_EQ(lines.body, c.body) << int(c.type);
  }
}

TEST(ReportTitle, APrintedReportIsNamedForItsListAFileForItsKind) {
  EXPECT_EQ(DefaultReportTitle(ReportType::kMailingList, ReportTarget::kPrinter, "ANNE"),
            "ANNE's PhoneList");
  EXPECT_EQ(DefaultReportTitle(ReportType::kPhoneList, ReportTarget::kText, "ANNE"), "PHONE LIST");
  EXPECT_EQ(DefaultReportTitle(ReportType::kMailingList, ReportTarget::kDelimited, "ANNE"),
            "MAILING LIST");
  EXPECT_EQ(DefaultReportTitle(ReportType::kFullReport, ReportTarget::kText, "ANNE"),
            "FULL REPORT");
}

// ---- Labels ----

const LabelFormat kThreeAcross{"3 across", 24, 27, 6, 3, 2, 3, 10};
const LabelFormat kContinuous{"continuous", 34, 35, 7, 1, 0, 0, 0};

PhoneRecord Address(const std::string& contact, const std::string& company,
                    const std::string& street2 = "") {
  return Entry({{ph::kContact, contact},
                {ph::kCompany, company},
                {ph::kStreet1, "1 Main Street"},
                {ph::kStreet2, street2},
                {ph::kCity, "Springfield"},
                {ph::kState, "IL"},
                {ph::kZip, "62701"}})
      .record;
}

TEST(LabelLines, FillTheLabelAsTheRulesSay) {
  struct Case {
    const char* what;
    PhoneRecord entry;
    bool contact;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"with contact",
       Address("Ana Ortiz", "Ortiz Travel"),
       true,
       {"Ana Ortiz", "Ortiz Travel", "1 Main Street", "Springfield IL 62701"}},
      {"without contact",
       Address("Ana Ortiz", "Ortiz Travel"),
       false,
       {"Ortiz Travel", "1 Main Street", "Springfield IL 62701"}},
      {"blank contact",
       Address("", "Ortiz Travel"),
       true,
       {"Ortiz Travel", "1 Main Street", "Springfield IL 62701"}},
      {"long company split",
       Address("Ana Ortiz", "Springfield Travel Agency Ltd"),
       true,
       {"Ana Ortiz", "Springfield Travel", "Agency Ltd", "1 Main Street", "Springfield IL 62701"}},
      {"second company line gives way to street 2",
       Address("Ana Ortiz", "Springfield Travel Agency Ltd", "Suite 4"),
       true,
       {"Ana Ortiz", "Springfield Travel", "1 Main Street", "Suite 4", "Springfield IL 62701"}},
      {"five lines at most: the country gives way",
       Entry({{ph::kContact, "Ana"},
              {ph::kCompany, "Ortiz"},
              {ph::kStreet1, "1 Main Street"},
              {ph::kStreet2, "Suite 4"},
              {ph::kCity, "Springfield"},
              {ph::kCountry, "USA"}})
           .record,
       true,
       {"Ana", "Ortiz", "1 Main Street", "Suite 4", "Springfield  "}},
      {"a company of one long word is cut at the width",
       Address("", "Abcdefghijklmnopqrstuvwxyz1234"),
       false,
       {"Abcdefghijklmnopqrstuvwx", "yz1234", "1 Main Street", "Springfield IL 62701"}},
      {"no contact keeps both company lines",
       Address("Ana Ortiz", "Springfield Travel Agency Ltd", "Suite 4"),
       false,
       {"Springfield Travel", "Agency Ltd", "1 Main Street", "Suite 4", "Springfield IL 62701"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LabelLines(kThreeAcross, c.contact, c.entry), c.lines) << c.what;
  // Every line is cut to the label's width.
  for (const std::string& l :
       LabelLines({"narrow", 8, 9, 6, 1, 0, 0, 0}, true, Address("Anastasia", "Ortiz Travel")))
    EXPECT_LE(l.size(), 8u) << l;
}

TEST(PrintLabels, SevenEntriesThreeAcrossMakeThreeRowsTheLastWithOne) {
  std::vector<PhoneRecord> entries;
  for (int i = 1; i <= 7; ++i) entries.push_back(Address("Contact " + std::to_string(i), "Co"));
  Collected out;
  ASSERT_TRUE(PrintLabels(out, kThreeAcross, true, entries));
  EXPECT_EQ(Count(out.text_, "\f"), 1);  // the part-filled sheet
  const std::vector<std::string> lines = Lines(out.text_);
  // Top margin 3, then rows of 5 printed lines with one blank between.
  ASSERT_GE(lines.size(), 3u + 5 + 1 + 5 + 1 + 5);
  // Labels 27 columns apart after the left margin of 2.
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(lines[3].substr(size_t(2 + 27 * i), 9), "Contact " + std::to_string(i + 1));
  EXPECT_EQ(lines[9].substr(56, 9), "Contact 6");
  EXPECT_EQ(lines[15], "  Contact 7");
  EXPECT_EQ(Count(out.text_, "Contact "), 7);
}

TEST(PrintLabels, SheetsBreakAfterTheirRowsContinuousLabelsNever) {
  std::vector<PhoneRecord> entries(5, Address("A", "B"));
  LabelFormat sheet = kThreeAcross;
  sheet.across = 1;
  sheet.rowsPerPage = 2;
  Collected paged;
  ASSERT_TRUE(PrintLabels(paged, sheet, true, entries));
  // 5 labels, 2 to a sheet: 3 sheets, each starting after the top margin.
  EXPECT_EQ(Count(paged.text_, "\f"), 3);
  EXPECT_EQ(paged.text_.back(), '\f');
  EXPECT_EQ(Count("\f" + paged.text_, "\f\r\n\r\n\r\n"), 3);
  Collected continuous;
  ASSERT_TRUE(PrintLabels(continuous, kContinuous, true, entries));
  EXPECT_EQ(Count(continuous.text_, "\f"), 0);
  // Each label takes its height: 5 printed lines and 2 blank ones.
  EXPECT_EQ(Lines(continuous.text_).size(), 5u * 7 + 1);
}

TEST(PrintLabels, AFailedOutputStopsTheLabels) {
  // Whichever output fails (the top margin, a row, the blank lines between
  // rows, the form feed), the labels stop there.
  for (const LabelFormat& format : {kThreeAcross, kContinuous}) {
    for (int failing = 0; failing < 5; ++failing) {
      Collected out;
      out.FailFrom(failing);
      EXPECT_FALSE(PrintLabels(out, format, true, std::vector<PhoneRecord>(5, Address("A", "B"))))
          << format.name << " failing from output " << failing;
    }
  }
}

// ---- The label formats ----

using Record = uint8_t[label::kRecordSize];

TEST(LabelRecordProblems, EveryFieldIsChecked) {
  const LabelFormat good{"3 across", 24, 27, 6, 3, 2, 3, 10};
  struct Case {
    const char* what;
    std::function<void(Record&)> spoil;
    const char* field;  // "" for a sound record
  };
  const Case cases[] = {
      {"sound", [](Record&) {}, ""},
      {"name without its end", [](Record& r) { std::memset(r, 'A', 21); }, "name"},
      {"empty name", [](Record& r) { r[0] = 0; }, "name"},
      {"no width", [](Record& r) { r[label::kWidth.offset] = 0; }, "label width"},
      {"four lines high", [](Record& r) { r[label::kHeight.offset] = 4; }, "label height"},
      {"none across", [](Record& r) { r[label::kAcross.offset] = 0; }, "labels across"},
      // With no label in a row there is no row to reach past column 80.
      {"none across, far left",
       [](Record& r) {
         r[label::kAcross.offset] = 0;
         r[label::kLeftMargin.offset] = 90;
       },
       "labels across"},
      {"pitch under width", [](Record& r) { r[label::kPitch.offset] = 23; }, "pitch"},
      {"past column 80", [](Record& r) { r[label::kLeftMargin.offset] = 3; }, "left margin"},
      {"pitch past column 80", [](Record& r) { r[label::kPitch.offset] = 28; }, "left margin"},
      {"top margin of a page and more", [](Record& r) { r[label::kTopMargin.offset] = 61; },
       "top margin"},
      {"top margin of 60 lines", [](Record& r) { r[label::kTopMargin.offset] = 60; }, ""},
  };
  for (const Case& c : cases) {
    Record record;
    LabelRecordOf(good, record);
    c.spoil(record);
    const std::vector<FieldProblem> problems = LabelRecordProblems(record);
    if (*c.field == 0) {
      EXPECT_TRUE(problems.empty()) << c.what;
    } else {
      // Each fault is named once, and nothing else with it.
      ASSERT_EQ(problems.size(), 1u) << c.what;
      EXPECT_EQ(problems.front().field, c.field) << c.what;
    }
  }
  // One label alone may be as wide as its pitch allows, or any pitch.
  Record single;
  LabelRecordOf({"wide", 80, 0, 5, 1, 0, 0, 0}, single);
  EXPECT_TRUE(LabelRecordProblems(single).empty());
}

TEST(LabelFile, TheBuildsFileHoldsTheDeliveredFormatsAllSound) {
  TempDir dir;
  WriteWholeFile(dir.File("LABEL.DAT"), ReadWholeFile(LABEL_DAT_PATH));
  std::vector<LabelFormat> formats;
  ASSERT_TRUE(LabelReadFormats(dir.Path(), &formats)) << AppErrorName();
  const std::vector<LabelFormat> delivered = StandardLabelFormats();
  ASSERT_EQ(formats.size(), delivered.size());
  for (size_t i = 0; i < formats.size(); ++i) {
    EXPECT_EQ(formats[i].name, delivered[i].name);
    EXPECT_EQ(formats[i].across, delivered[i].across);
    EXPECT_EQ(formats[i].rowsPerPage, delivered[i].rowsPerPage);
  }
  ASSERT_NE(FindLabelFormat(formats, "3 ACROSS, 30 A SHEET  "), nullptr);
  EXPECT_EQ(FindLabelFormat(formats, "3 ACROSS, 30 A SHEET")->width, 24);
  EXPECT_EQ(FindLabelFormat(formats, "4 across"), nullptr);
}

TEST(LabelFile, ADamagedRecordNamesItselfAndNothingIsUsed) {
  TempDir dir;
  std::string bytes = LabelFileBytes(StandardLabelFormats());
  bytes[label::kRecordSize + label::kAcross.offset] = 0;  // the second format
  WriteWholeFile(dir.File("LABEL.DAT"), bytes);
  std::vector<LabelFormat> formats{{"stale", 1, 1, 5, 1, 0, 0, 0}};
  ClearAppError();
  EXPECT_FALSE(LabelReadFormats(dir.Path(), &formats));
  EXPECT_TRUE(formats.empty());
  EXPECT_EQ(AppErrorCode(), kAppIndexCorrupt);
  EXPECT_EQ(AppErrorName(), "LABEL.DAT record 2: labels across 0: no label in a row");
  ClearAppError();
}

TEST(LabelFile, AFileMissingOrUnreadableFailsAndAPartRecordIsNotRead) {
  TempDir dir;
  // Missing, then a folder under the file's name, which opens but cannot
  // be read: no formats are left either way.
  for (const int error : {kDbOpenFailed, kDbReadFailed}) {
    std::vector<LabelFormat> formats{{"stale", 1, 1, 5, 1, 0, 0, 0}};
    DbClearError();
    EXPECT_FALSE(LabelReadFormats(dir.Path(), &formats));
    EXPECT_TRUE(formats.empty());
    EXPECT_EQ(DbGetError(), error);
    DbClearError();
    std::filesystem::create_directory(dir.File("LABEL.DAT"));
  }
  std::filesystem::remove(dir.File("LABEL.DAT"));
  // A record cut short at the end is no format.
  std::vector<LabelFormat> formats;
  std::string bytes = LabelFileBytes(StandardLabelFormats());
  bytes.resize(bytes.size() - 5);
  WriteWholeFile(dir.File("LABEL.DAT"), bytes);
  ASSERT_TRUE(LabelReadFormats(dir.Path(), &formats));
  EXPECT_EQ(formats.size(), StandardLabelFormats().size() - 1);
  // An empty file holds no formats, and that is no failure.
  WriteWholeFile(dir.File("LABEL.DAT"), "");
  ASSERT_TRUE(LabelReadFormats(dir.Path(), &formats));
  EXPECT_TRUE(formats.empty());
}

TEST(LabelFile, CreateGivesANewOfficeTheFormatsAndKeepsAnOfficesOwn) {
  TempDir scratch;
  const std::string fresh = scratch.File("fresh");
  DpadminRun run = RunDpadmin({"create", fresh}, scratch.Path());
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_EQ(ReadWholeFile(fresh + "/LABEL.DAT"), ReadWholeFile(LABEL_DAT_PATH));

  const std::string own = LabelFileBytes({{"Our own labels", 30, 32, 6, 2, 0, 0, 0}});
  WriteWholeFile(fresh + "/LABEL.DAT", own);
  run = RunDpadmin({"create", fresh, "--force"}, scratch.Path());
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_EQ(ReadWholeFile(fresh + "/LABEL.DAT"), own);
}

// ---- Export files and line breaking ----

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

TEST(ExportFile, AWholeExportTakesTheChosenNameOneGivenUpLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("list.txt");
  WriteWholeFile(path, "the old export");
  {
    ExportFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(file.Output("half of it"));
  }  // cancelled: never committed
  EXPECT_EQ(ReadWholeFile(path), "the old export");
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
  ExportFile file;
  ASSERT_TRUE(file.Open(path));
  EXPECT_EQ(ReadWholeFile(path), "the old export");  // untouched while writing
  ASSERT_TRUE(file.Output("first,"));
  ASSERT_TRUE(file.Output("second\r\n"));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadWholeFile(path), "first,second\r\n");
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

TEST(ExportFile, AFileThatCannotBeOpenedSaysWhy) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("folder"));
  WriteWholeFile(dir.File("plain"), "x");
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
  WriteWholeFile(path, "the old export");
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
