// dpadmin check against phone list entries ("PHONE") whose fields hold
// what no entry can: an entry of the common list and one of ANNE's list are
// added by dpadmin; each impossible value is written into one of the real
// records, the index is rebuilt so that it agrees with the damage, and
// check must name table, record and field and say "problems found".
#include <string>

#include "storage/records/phone.h"
#include "tests/tools/admin_test.h"

namespace {

namespace ph = records::phone;

constexpr int kFischer = 0;  // the common list's entry
constexpr int kLang = 1;     // ANNE's

class AdminCheckPhoneTest : public AdminTest {
 protected:
  void SetUp() override {
    Expect({"create", office});
    Expect({"add-name", office, "ANNE", "BOB"});
    Expect({"add-phone", office, "COMMON", "--listname", "FISCHER, KARL", "--phone", "555-0142",
            "--company", "Fischer & Sons", "--city", "Springfield"});
    Expect({"add-phone", office, "ANNE", "--listname", "LANG, DR. EVA", "--phone", "555-0199"});
  }
};

TEST_F(AdminCheckPhoneTest, AnEntryNumberHeldByTwoRecordsIsReportedOnce) {
  ExpectCheckClean();  // as added
  const int32_t fischer = Number("PHONE", kFischer, ph::kEntryNumber);
  WriteNumber("PHONE", kLang, ph::kEntryNumber, fischer);
  ExpectOneProblem("PHONE.DAT: record 1, entry number: " + std::to_string(fischer) +
                   ", already the number of record 0");
}

// Every text field filled to its width leaves no room for its NUL.
struct TextField {
  Field where;
  const char* label;
};

void PrintTo(const TextField& t, std::ostream* os) {
  *os << t.label;
}

class AdminCheckPhoneTextTest : public AdminCheckPhoneTest,
                                public ::testing::WithParamInterface<TextField> {};

TEST_P(AdminCheckPhoneTextTest, ATextWithoutItsNulIsReported) {
  const TextField& t = GetParam();
  Write("PHONE", kLang, t.where, std::string(size_t(t.where.width), 'x'));
  ExpectOneProblem("PHONE.DAT: record 1, " + std::string(t.label) + ": no NUL within its " +
                   std::to_string(t.where.width) + " bytes");
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

// One impossible value a case: a number, shown in the report, or a byte.
struct Damage {
  int record;
  Field where;
  AdminTest::Spoiling how;
  const char* counter;  // the table whose last number is passed
  int32_t value;
  const char* field;
  const char* said;
};

void PrintTo(const Damage& d, std::ostream* os) {
  *os << "record " << d.record << ", " << d.field << ": " << d.value << d.said;
}

class AdminCheckPhoneDamageTest : public AdminCheckPhoneTest,
                                  public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckPhoneDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  const Damage& d = GetParam();
  const int32_t number = d.how == kNumber ? d.value : int32_t(LastIssued(d.counter)) + 1;
  Spoil("PHONE", d.record, d.where, d.how, d.value, d.counter);
  ExpectOneProblem("PHONE.DAT: record " + std::to_string(d.record) + ", " + d.field + ": " +
                   (d.how == kByte ? "" : std::to_string(number)) + d.said);
}

INSTANTIATE_TEST_SUITE_P(
    Phone, AdminCheckPhoneDamageTest,
    ::testing::Values(Damage{kFischer, ph::kNote, AdminTest::kNumber, "", -1, "note number",
                             ", neither 0 (none) nor a note number"},
                      Damage{kFischer, ph::kEntryNumber, AdminTest::kNumber, "", 0, "entry number",
                             ", not a number the table issued (1 to 2)"},
                      Damage{kLang, ph::kEntryNumber, AdminTest::kNumberPastLast, "PHONE", 0,
                             "entry number", ", not a number the table issued"},
                      Damage{kFischer, ph::kList, AdminTest::kNumber, "", -1, "list number",
                             ", neither 0 (COMMON) nor a number the name table issued (1 to 3)"},
                      Damage{kLang, ph::kList, AdminTest::kNumberPastLast, "NAME", 0, "list number",
                             ", neither 0"},
                      Damage{kLang, Field{0, 1}, AdminTest::kByte, "", 0, "Listname", "empty"}));

// The edges are clean: full-width texts, a note number, the last issued
// entry and name numbers, another person's list.
TEST_F(AdminCheckPhoneTest, TheEdgesOfEachFieldsValuesAreClean) {
  Write("PHONE", kLang, ph::kMisc, std::string(156, 'm'));
  Write("PHONE", kLang, ph::kState, "NY");
  WriteNumber("PHONE", kLang, ph::kNote, 7);
  WriteNumber("PHONE", kLang, ph::kEntryNumber, int32_t(LastIssued("PHONE")));
  WriteNumber("PHONE", kFischer, ph::kEntryNumber, 1);
  WriteNumber("PHONE", kLang, ph::kList, int32_t(LastIssued("NAME")));
  ExpectCheckClean();
}

}  // namespace
