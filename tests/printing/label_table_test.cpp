// The label formats: every field of LABEL.DAT is checked before a label is
// laid out with it, the file the build makes holds the delivered formats,
// and dpadmin create puts them into a new data directory (keeping an
// office's own).
#include "data/phone/label_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "storage/errors.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace label = records::label;

namespace {

using Record = uint8_t[label::kRecordSize];

void Fill(const LabelFormat& f, Record& record) {
  LabelRecordOf(f, record);
}

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
    Fill(good, record);
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
  Fill({"wide", 80, 0, 5, 1, 0, 0, 0}, single);
  EXPECT_TRUE(LabelRecordProblems(single).empty());
}

TEST(LabelFile, TheBuildsFileHoldsTheDeliveredFormatsAllSound) {
  TempDir dir;
  std::ofstream(dir.File("LABEL.DAT"), std::ios::binary) << ReadWholeFile(LABEL_DAT_PATH);
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
  std::ofstream(dir.File("LABEL.DAT"), std::ios::binary) << bytes;
  std::vector<LabelFormat> formats{{"stale", 1, 1, 5, 1, 0, 0, 0}};
  ClearAppError();
  EXPECT_FALSE(LabelReadFormats(dir.Path(), &formats));
  EXPECT_TRUE(formats.empty());
  EXPECT_EQ(AppErrorCode(), kAppIndexCorrupt);
  EXPECT_EQ(AppErrorName(), "LABEL.DAT record 2: labels across 0: no label in a row");
  ClearAppError();
}

TEST(LabelFile, AFileThatCannotBeReadFailsAndLeavesNoFormats) {
  // A folder under the file's name opens but cannot be read.
  TempDir dir;
  std::filesystem::create_directory(dir.File("LABEL.DAT"));
  std::vector<LabelFormat> formats{{"stale", 1, 1, 5, 1, 0, 0, 0}};
  DbClearError();
  EXPECT_FALSE(LabelReadFormats(dir.Path(), &formats));
  EXPECT_TRUE(formats.empty());
  EXPECT_EQ(DbGetError(), kDbReadFailed);
  DbClearError();
}

TEST(LabelFile, AMissingFileFailsAndAPartRecordIsNotRead) {
  TempDir dir;
  std::vector<LabelFormat> formats;
  DbClearError();
  EXPECT_FALSE(LabelReadFormats(dir.Path(), &formats));
  EXPECT_EQ(DbGetError(), kDbOpenFailed);
  DbClearError();
  // A record cut short at the end is no format.
  std::string bytes = LabelFileBytes(StandardLabelFormats());
  bytes.resize(bytes.size() - 5);
  std::ofstream(dir.File("LABEL.DAT"), std::ios::binary) << bytes;
  ASSERT_TRUE(LabelReadFormats(dir.Path(), &formats));
  EXPECT_EQ(formats.size(), StandardLabelFormats().size() - 1);
  // An empty file holds no formats, and that is no failure.
  std::ofstream(dir.File("LABEL.DAT"), std::ios::binary | std::ios::trunc).flush();
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
  std::ofstream(fresh + "/LABEL.DAT", std::ios::binary) << own;
  run = RunDpadmin({"create", fresh, "--force"}, scratch.Path());
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_EQ(ReadWholeFile(fresh + "/LABEL.DAT"), own);
}

}  // namespace
