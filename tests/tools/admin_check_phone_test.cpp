// dpadmin check against phone list entries ("PHONE") whose fields hold
// what no entry can: an entry of the common list and one of ANNE's list are
// added by dpadmin; each impossible value is written into one of the real
// records, the index is rebuilt so that it agrees with the damage, and
// check must name table, record and field and say "problems found".
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "storage/file.h"
#include "storage/le.h"
#include "storage/records/phone.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace ph = records::phone;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

constexpr int kFischer = 0;  // the common list's entry
constexpr int kLang = 1;     // ANNE's

class AdminCheckPhoneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    office = scratch.File("office/");
    Expect({"create", office});
    Expect({"add-name", office, "ANNE", "BOB"});
    Expect({"add-phone", office, "COMMON", "--listname", "FISCHER, KARL", "--phone", "555-0142",
            "--company", "Fischer & Sons", "--city", "Springfield"});
    Expect({"add-phone", office, "ANNE", "--listname", "LANG, DR. EVA", "--phone", "555-0199"});
  }

  DpadminRun Run(const std::vector<std::string>& args) { return RunDpadmin(args, scratch.Path()); }
  std::string Expect(const std::vector<std::string>& args) {
    DpadminRun run = Run(args);
    EXPECT_EQ(run.status, 0) << args[0] << "\n" << ShowRun(run);
    return run.out;
  }

  uint32_t LastIssued(const std::string& table) const {
    return GetU32(reinterpret_cast<const uint8_t*>(ReadWholeFile(office + table + ".DAT").data()));
  }
  int32_t Number(int n, Field field) const {
    const std::string all = ReadWholeFile(office + "PHONE.DAT");
    const size_t at = ph::kHeaderSize + size_t(n) * ph::kRecordSize + size_t(field.offset);
    EXPECT_LE(at + 4, all.size());
    return GetI32(reinterpret_cast<const uint8_t*>(all.data() + at));
  }
  // Overwrites bytes of a record's field (at most its width), then rebuilds
  // the index from the records.
  void Write(int n, Field field, const std::string& bytes) {
    ASSERT_LE(bytes.size(), size_t(field.width));
    std::fstream file(office + "PHONE.DAT", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(std::streamoff(ph::kHeaderSize) + std::streamoff(n) * ph::kRecordSize +
               field.offset);
    file.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(file.good());
    file.close();
    DpadminRun reindex = Run({"reindex", office, "PHONE"});
    ASSERT_EQ(reindex.status, 0) << ShowRun(reindex);
  }
  void WriteNumber(int n, Field field, int32_t value) {
    uint8_t bytes[4];
    PutI32(bytes, value);
    Write(n, field, std::string(reinterpret_cast<const char*>(bytes), 4));
  }

  TempDir scratch;
  std::string office;
};

TEST_F(AdminCheckPhoneTest, EntriesAsAddedCheckClean) {
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
}

TEST_F(AdminCheckPhoneTest, AnEntryNumberHeldByTwoRecordsIsReportedOnce) {
  const int32_t fischer = Number(kFischer, ph::kEntryNumber);
  WriteNumber(kLang, ph::kEntryNumber, fischer);
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "PHONE.DAT: record 1, entry number: " + std::to_string(fischer) +
                                      ", already the number of record 0"))
      << check.out;
  EXPECT_TRUE(Contains(check.out, "1 problem found")) << check.out;
}

// Every text field filled to its width leaves no room for its NUL.
struct TextField {
  Field where;
  const char* label;
};

class AdminCheckPhoneTextTest : public AdminCheckPhoneTest,
                                public ::testing::WithParamInterface<TextField> {};

TEST_P(AdminCheckPhoneTextTest, ATextWithoutItsNulIsReported) {
  const TextField& t = GetParam();
  Write(kLang, t.where, std::string(size_t(t.where.width), 'x'));
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  const std::string line = "PHONE.DAT: record 1, " + std::string(t.label) + ": no NUL within its " +
                           std::to_string(t.where.width) + " bytes";
  EXPECT_TRUE(Contains(check.out, line)) << line << "\n" << check.out;
  EXPECT_TRUE(Contains(check.out, "1 problem found")) << check.out;
}

INSTANTIATE_TEST_SUITE_P(
    Phone, AdminCheckPhoneTextTest,
    ::testing::Values(TextField{ph::kListname, "Listname"}, TextField{ph::kCompany, "Company"},
                      TextField{ph::kStreet1, "Street 1"}, TextField{ph::kStreet2, "Street 2"},
                      TextField{ph::kCity, "City"}, TextField{ph::kState, "State"},
                      TextField{ph::kZip, "ZIP"}, TextField{ph::kCountry, "Country"},
                      TextField{ph::kContact, "Contact"}, TextField{ph::kPhone1, "Phone 1"},
                      TextField{ph::kExt1, "Ext 1"}, TextField{ph::kPhone2, "Phone 2"},
                      TextField{ph::kExt2, "Ext 2"}, TextField{ph::kFax, "Fax"},
                      TextField{ph::kCell, "Cell / Pager"}, TextField{ph::kUrl, "URL"},
                      TextField{ph::kEmail, "E-Mail"}, TextField{ph::kId, "ID"},
                      TextField{ph::kMisc, "Misc info"}));

// One impossible number a case.
struct Damage {
  int record;
  Field where;
  enum { kNumber, kPastLast, kPastLastName } how;
  int32_t value;
  const char* field;
  const char* said;
};

class AdminCheckPhoneDamageTest : public AdminCheckPhoneTest,
                                  public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckPhoneDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  const Damage& d = GetParam();
  int32_t number = d.value;
  if (d.how == Damage::kPastLast) number = int32_t(LastIssued("PHONE")) + 1;
  if (d.how == Damage::kPastLastName) number = int32_t(LastIssued("NAME")) + 1;
  WriteNumber(d.record, d.where, number);
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  const std::string line = "PHONE.DAT: record " + std::to_string(d.record) + ", " + d.field + ": " +
                           std::to_string(number) + d.said;
  EXPECT_TRUE(Contains(check.out, line)) << line << "\n" << check.out;
  EXPECT_TRUE(Contains(check.out, "1 problem found")) << check.out;
}

INSTANTIATE_TEST_SUITE_P(
    Phone, AdminCheckPhoneDamageTest,
    ::testing::Values(Damage{kFischer, ph::kNote, Damage::kNumber, -1, "note number",
                             ", neither 0 (none) nor a note number"},
                      Damage{kFischer, ph::kEntryNumber, Damage::kNumber, 0, "entry number",
                             ", not a number the table issued (1 to 2)"},
                      Damage{kLang, ph::kEntryNumber, Damage::kPastLast, 0, "entry number",
                             ", not a number the table issued"},
                      Damage{kFischer, ph::kList, Damage::kNumber, -1, "list number",
                             ", neither 0 (COMMON) nor a number the name table issued (1 to 3)"},
                      Damage{kLang, ph::kList, Damage::kPastLastName, 0, "list number",
                             ", neither 0"}));

TEST_F(AdminCheckPhoneTest, AnEmptyListnameIsReported) {
  Write(kLang, Field{0, 1}, std::string(1, '\0'));
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "PHONE.DAT: record 1, Listname: empty")) << check.out;
  EXPECT_TRUE(Contains(check.out, "1 problem found")) << check.out;
}

// The edges are clean: full-width texts, a note number, the last issued
// entry and name numbers, another person's list.
TEST_F(AdminCheckPhoneTest, TheEdgesOfEachFieldsValuesAreClean) {
  Write(kLang, ph::kMisc, std::string(156, 'm'));
  Write(kLang, ph::kState, "NY");
  WriteNumber(kLang, ph::kNote, 7);
  WriteNumber(kLang, ph::kEntryNumber, int32_t(LastIssued("PHONE")));
  WriteNumber(kFischer, ph::kEntryNumber, 1);
  WriteNumber(kLang, ph::kList, int32_t(LastIssued("NAME")));
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
}

}  // namespace
