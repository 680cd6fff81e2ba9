// dpadmin check against phone list entries ("PHONE"), their categories
// ("CAT") and assignments ("LC") whose fields hold what none can: an entry
// of the common list and one of ANNE's list are added by dpadmin, each with
// a category of its list; each impossible value is written into one of the
// real records, the index is rebuilt so that it agrees with the damage, and
// check must name table, record and field and say "problems found".
#include <string>

#include "data/phone/phone_category.h"
#include "storage/records/phone.h"
#include "tests/tools/admin_test.h"

namespace {

namespace ph = records::phone;
namespace ct = records::cat;
namespace lc = records::lc;

constexpr int kFischer = 0;  // the common list's entry
constexpr int kLang = 1;     // ANNE's

// One impossible value a case: a number, shown in the report, or a byte or
// a fill, which the report need not repeat.
struct Damage {
  const char* table;
  int record;
  Field where;
  AdminTest::Spoiling how;
  const char* counter;  // the table whose last number is passed
  int32_t value;
  const char* field;
  const char* said;
};

void PrintTo(const Damage& d, std::ostream* os) {
  *os << d.table << " record " << d.record << ", " << d.field << ": " << d.value << d.said;
}

class AdminCheckPhoneTest : public AdminTest {
 protected:
  // Writes the damage and expects it as the one problem found.
  void ExpectReported(const Damage& d) {
    const int32_t number = d.how == kNumber ? d.value : int32_t(LastIssued(d.counter)) + 1;
    Spoil(d.table, d.record, d.where, d.how, d.value, d.counter);
    ExpectOneProblem(std::string(d.table) + ".DAT: record " + std::to_string(d.record) + ", " +
                     d.field + ": " +
                     (d.how == kByte || d.how == kFill ? "" : std::to_string(number)) + d.said);
  }
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

class AdminCheckPhoneDamageTest : public AdminCheckPhoneTest,
                                  public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckPhoneDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  ExpectReported(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Phone, AdminCheckPhoneDamageTest,
    ::testing::Values(
        Damage{"PHONE", kFischer, ph::kNote, AdminTest::kNumber, "", -1, "note number",
               ", neither 0 (none) nor a note number"},
        Damage{"PHONE", kFischer, ph::kEntryNumber, AdminTest::kNumber, "", 0, "entry number",
               ", not a number the table issued (1 to 2)"},
        Damage{"PHONE", kLang, ph::kEntryNumber, AdminTest::kNumberPastLast, "PHONE", 0,
               "entry number", ", not a number the table issued"},
        Damage{"PHONE", kFischer, ph::kList, AdminTest::kNumber, "", -1, "list number",
               ", neither 0 (COMMON) nor a number the name table issued (1 to 3)"},
        Damage{"PHONE", kLang, ph::kList, AdminTest::kNumberPastLast, "NAME", 0, "list number",
               ", neither 0"},
        Damage{"PHONE", kLang, Field{0, 1}, AdminTest::kByte, "", 0, "Listname", "empty"}));

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

// ---- Categories and their assignments ----

class AdminCheckCategoryTest : public AdminCheckPhoneTest {
 protected:
  // CAT record 0 is the common list's "Clients", record 1 ANNE's "Friends";
  // LC record 0 puts the common entry into Clients, record 1 ANNE's into
  // Friends.
  void SetUp() override {
    AdminCheckPhoneTest::SetUp();
    const int32_t anne = NumberOf("ANNE");
    const int32_t entries[] = {Number("PHONE", kFischer, ph::kEntryNumber),
                               Number("PHONE", kLang, ph::kEntryNumber)};
    SetDataDirectory(office);
    CategoryTable categories;
    AssignmentTable assignments;
    ASSERT_EQ(CategoryOpen(categories), 1);
    ASSERT_EQ(AssignmentOpen(assignments), 1);
    CategoryRecord added[2];
    EXPECT_EQ(CategoryAdd(categories, ph::kCommonList, "Clients", &added[0]), 1);
    EXPECT_EQ(CategoryAdd(categories, anne, "Friends", &added[1]), 1);
    for (int i = 0; i < 2; ++i) {
      CategorySet set;
      EXPECT_EQ(CategoryToggle(assignments, entries[i], added[i].Number(), &set), 1);
    }
    CategoryClose(categories);
    AssignmentClose(assignments);
    SetDataDirectory("");
  }
};

class AdminCheckCategoryDamageTest : public AdminCheckCategoryTest,
                                     public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckCategoryDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  ExpectReported(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Categories, AdminCheckCategoryDamageTest,
    ::testing::Values(Damage{"CAT", 0, ct::kName, AdminTest::kFill, "", 'C', "name",
                             "no NUL within its 21 bytes"},
                      Damage{"CAT", 1, Field{0, 1}, AdminTest::kByte, "", 0, "name", "empty"},
                      Damage{"CAT", 0, ct::kNumber, AdminTest::kNumber, "", 0, "category number",
                             ", not a number the table issued (1 to 2)"},
                      Damage{"CAT", 1, ct::kNumber, AdminTest::kNumber, "", 1, "category number",
                             ", already the number of record 0"},
                      Damage{"CAT", 0, ct::kList, AdminTest::kNumber, "", -1, "list number",
                             ", neither 0 (COMMON) nor a number the name table issued (1 to 3)"},
                      Damage{"CAT", 1, ct::kList, AdminTest::kNumberPastLast, "NAME", 0,
                             "list number", ", neither 0"},
                      Damage{"LC", 0, lc::kMark, AdminTest::kByte, "", 1, "mark",
                             "1, not 0 (or 255 for deleted)"},
                      Damage{"LC", 0, lc::kEntryNumber, AdminTest::kNumber, "", 0, "entry number",
                             ", not a number the phone table issued (1 to 2)"},
                      Damage{"LC", 1, lc::kEntryNumber, AdminTest::kNumberPastLast, "PHONE", 0,
                             "entry number", ", not a number the phone table issued"},
                      Damage{"LC", 1, lc::kCategory, AdminTest::kNumberPastLast, "CAT", 0,
                             "category number", ", not a number the category table issued"}));

// The edges are clean: a full-width name and the last issued numbers of
// the name, phone and category tables.
TEST_F(AdminCheckCategoryTest, TheEdgesOfEachFieldsValuesAreClean) {
  ExpectCheckClean();  // as added
  Write("CAT", 0, ct::kName, std::string(20, 'C'));
  WriteNumber("CAT", 0, ct::kList, int32_t(LastIssued("NAME")));
  // LC record 1 joins the last issued entry and category already.
  WriteNumber("LC", 0, lc::kEntryNumber, int32_t(LastIssued("PHONE")));
  ExpectCheckClean();
}

}  // namespace
