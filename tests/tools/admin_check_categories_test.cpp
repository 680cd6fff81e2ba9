// dpadmin check against phone list categories ("CAT") and their
// assignments ("LC") whose fields hold what none can. A demo office gets two
// categories (one of COMMON, one of a person's list) and two assignments of
// its first phone entry, made through the category module as the phone
// list window makes them; each impossible value is then written into one
// real record, the table's index is rebuilt so that it agrees with the
// damage, and check must name table, record and field.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "data/office/dpmain.h"
#include "data/phone/phone_category.h"
#include "storage/le.h"
#include "storage/records/phone.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace ct = records::cat;
namespace lc = records::lc;
namespace ph = records::phone;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class AdminCheckCategoriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    office = scratch.File("office/");
    DpadminRun demo = Run({"demo", office});
    ASSERT_EQ(demo.status, 0) << ShowRun(demo);
    const int32_t entry = NumberAt("PHONE", ph::kHeaderSize, ph::kRecordSize, 0, ph::kEntryNumber);
    ASSERT_EQ(OpenDataDirectory(office), 1);
    CategoryTable categories;
    AssignmentTable assignments;
    CategoryRecord common, own;
    CategorySet set;
    const bool made = CategoryOpen(categories) && AssignmentOpen(assignments) &&
                      CategoryAdd(categories, ph::kCommonList, "Suppliers", &common) &&
                      CategoryAdd(categories, int32_t(LastIssued("NAME")), "Friends", &own) &&
                      CategoryToggle(assignments, entry, common.Number(), &set) &&
                      CategoryToggle(assignments, entry, own.Number(), &set);
    CategoryClose(categories);
    AssignmentClose(assignments);
    CloseDataDirectory();
    ASSERT_TRUE(made);
  }

  DpadminRun Run(const std::vector<std::string>& args) { return RunDpadmin(args, scratch.Path()); }

  uint32_t LastIssued(const std::string& table) const {
    return GetU32(reinterpret_cast<const uint8_t*>(ReadWholeFile(office + table + ".DAT").data()));
  }
  int32_t NumberAt(const std::string& table, size_t header, size_t size, int n, Field f) const {
    const std::string all = ReadWholeFile(office + table + ".DAT");
    const size_t at = header + size_t(n) * size + size_t(f.offset);
    EXPECT_LE(at + 4, all.size());
    return at + 4 <= all.size() ? GetI32(reinterpret_cast<const uint8_t*>(all.data() + at)) : 0;
  }
  // Overwrites bytes of a record's field, then rebuilds the table's index.
  void Write(const std::string& table, int n, Field field, const std::string& bytes) {
    ASSERT_LE(bytes.size(), size_t(field.width));
    const bool cat = table == "CAT";
    const size_t at = (cat ? ct::kHeaderSize : lc::kHeaderSize) +
                      size_t(n) * (cat ? ct::kRecordSize : lc::kRecordSize) + size_t(field.offset);
    std::fstream file(office + table + ".DAT", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(std::streamoff(at));
    file.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(file.good());
    file.close();
    DpadminRun reindex = Run({"reindex", office, table});
    ASSERT_EQ(reindex.status, 0) << ShowRun(reindex);
  }
  void WriteNumber(const std::string& table, int n, Field field, int32_t value) {
    uint8_t bytes[4];
    PutI32(bytes, value);
    Write(table, n, field, std::string(reinterpret_cast<const char*>(bytes), 4));
  }

  TempDir scratch;
  std::string office;
};

TEST_F(AdminCheckCategoriesTest, CategoriesAndAssignmentsAsStoredCheckClean) {
  ASSERT_EQ(ReadWholeFile(office + "CAT.DAT").size(), ct::kHeaderSize + 2 * ct::kRecordSize);
  ASSERT_EQ(ReadWholeFile(office + "LC.DAT").size(), 2 * lc::kRecordSize);
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
}

// One impossible value a case, each in a fresh office.
struct Damage {
  const char* table;
  int record;
  Field where;
  enum { kNumber, kFill, kPastLastOf } how;
  int value;          // the number, or the fill character
  const char* other;  // for kPastLastOf: the table whose numbers the field holds
  const char* field;  // as check names it
  const char* said;
};

class AdminCheckCategoryDamageTest : public AdminCheckCategoriesTest,
                                     public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckCategoryDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  const Damage& d = GetParam();
  std::string value;
  if (d.how == Damage::kFill) {
    Write(d.table, d.record, d.where, std::string(size_t(d.where.width), char(d.value)));
  } else {
    const int32_t number =
        d.how == Damage::kPastLastOf ? int32_t(LastIssued(d.other)) + 1 : d.value;
    WriteNumber(d.table, d.record, d.where, number);
    value = std::to_string(number);
  }
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  const std::string line = std::string(d.table) + ".DAT: record " + std::to_string(d.record) +
                           ", " + d.field + ": " + value + d.said;
  EXPECT_TRUE(Contains(check.out, line)) << line << "\n" << check.out;
  EXPECT_TRUE(Contains(check.out, "1 problem found")) << check.out;
}

INSTANTIATE_TEST_SUITE_P(
    Categories, AdminCheckCategoryDamageTest,
    ::testing::Values(
        Damage{"CAT", 0, ct::kName, Damage::kFill, 'C', "", "name", "no NUL within its 21 bytes"},
        Damage{"CAT", 1, Field{ct::kName.offset, 1}, Damage::kFill, 0, "", "name", "empty"},
        Damage{"CAT", 0, ct::kNumber, Damage::kNumber, 0, "", "category number",
               ", not a number the table issued (1 to 2)"},
        Damage{"CAT", 1, ct::kNumber, Damage::kPastLastOf, 0, "CAT", "category number",
               ", not a number the table issued (1 to 2)"},
        Damage{"CAT", 1, ct::kList, Damage::kNumber, -5, "", "list number",
               ", neither 0 (COMMON) nor a number the name table issued (1 to "},
        Damage{"CAT", 0, ct::kList, Damage::kPastLastOf, 0, "NAME", "list number",
               ", neither 0 (COMMON)"},
        Damage{"LC", 0, lc::kMark, Damage::kFill, 7, "", "mark", "7, not 0 (or 255 for deleted)"},
        Damage{"LC", 1, lc::kEntryNumber, Damage::kNumber, 0, "", "entry number",
               ", not a number the phone list table issued (1 to "},
        Damage{"LC", 0, lc::kEntryNumber, Damage::kPastLastOf, 0, "PHONE", "entry number",
               ", not a number the phone list table issued"},
        Damage{"LC", 1, lc::kCategory, Damage::kNumber, -1, "", "category number",
               ", not a number the category table issued (1 to 2)"},
        Damage{"LC", 0, lc::kCategory, Damage::kPastLastOf, 0, "CAT", "category number",
               ", not a number the category table issued (1 to 2)"}));

// A category number held by two records: the second is named, and the
// index (which keeps (list, name) unique, not the number) takes both.
TEST_F(AdminCheckCategoriesTest, ACategoryNumberHeldByTwoRecordsIsReported) {
  const int32_t first = NumberAt("CAT", ct::kHeaderSize, ct::kRecordSize, 0, ct::kNumber);
  WriteNumber("CAT", 1, ct::kNumber, first);
  DpadminRun check = Run({"check", office, "CAT"});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "CAT.DAT: record 1, category number: " + std::to_string(first) +
                                      ", already the number of record 0"))
      << check.out;
}

// The edges are clean: a full-width name, the last issued numbers, a
// category of the last issued name's list, an assignment to a category
// that was deleted since (deleting a category leaves its assignments).
TEST_F(AdminCheckCategoriesTest, TheEdgesOfEachFieldsValuesAreClean) {
  Write("CAT", 0, ct::kName, std::string(20, 'S'));
  WriteNumber("CAT", 0, ct::kList, int32_t(LastIssued("NAME")));
  WriteNumber("LC", 0, lc::kEntryNumber, int32_t(LastIssued("PHONE")));
  ASSERT_EQ(OpenDataDirectory(office), 1);
  CategoryTable categories;
  const bool deleted = CategoryOpen(categories) &&
                       CategoryDelete(categories, int32_t(LastIssued("NAME")), "Friends");
  CategoryClose(categories);
  CloseDataDirectory();
  ASSERT_TRUE(deleted);
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
}

}  // namespace
