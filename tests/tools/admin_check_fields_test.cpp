// dpadmin check against name records whose fields hold what no name record
// can: each value is written into a real office's NAME.DAT through the
// record layout, the indexes are rebuilt so that they agree with the
// damage, and check must name table, record and field and say "problems
// found".
#include <cstring>
#include <string>

#include "storage/records/name.h"
#include "tests/tools/admin_test.h"

namespace {

namespace nm = records::name;

class AdminCheckFieldsTest : public AdminTest {
 protected:
  void SetUp() override {
    Expect({"create", office});
    Expect({"add-name", office, "ANNE", "BOB"});
    Expect({"add-group", office, "*TEAM", "ANNE", "BOB"});
  }

  // The record number of a live name.
  int RecordOf(const std::string& name) const {
    const std::string all = Records("NAME");
    for (size_t at = nm::kHeaderSize; at + nm::kRecordSize <= all.size(); at += nm::kRecordSize) {
      if (all[at] == 0 && std::strncmp(all.data() + at + nm::kName.offset, name.c_str(),
                                       size_t(nm::kName.width)) == 0)
        return int((at - nm::kHeaderSize) / nm::kRecordSize);
    }
    ADD_FAILURE() << name << " has no record";
    return -1;
  }
  void Write(const std::string& name, Field field, const std::string& bytes) {
    AdminTest::Write("NAME", RecordOf(name), field, bytes);
  }
  void WriteByte(const std::string& name, Field field, int value) {
    Write(name, field, std::string(1, char(value)));
  }
  void WriteNumber(const std::string& name, Field field, int32_t value) {
    AdminTest::WriteNumber("NAME", RecordOf(name), field, value);
  }
};

// The demo office holds people, a group, messages, a folder, schedules and
// phone list entries as the programs store them: none is a problem.
TEST_F(AdminCheckFieldsTest, ADemoOfficeChecksClean) {
  const std::string demo = scratch.File("demo/");
  Expect({"demo", demo});
  DpadminRun check = Run({"check", demo});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
  ExpectCheckClean();  // and the office of names and a group
}

// What the administrator met: a name number the table never issued, which
// made ANNE's password look set and her schedule and lists look empty.
TEST_F(AdminCheckFieldsTest, ANameNumberTheTableNeverIssuedIsReported) {
  const int anne = RecordOf("ANNE");
  WriteNumber("ANNE", nm::kNumber, -1304825236);
  ExpectOneProblem("NAME.DAT: record " + std::to_string(anne) +
                   ", name number: -1304825236, not a number the table issued");
}

TEST_F(AdminCheckFieldsTest, ANameNumberHeldByTwoRecordsIsReportedOnce) {
  const int32_t anne = Number("NAME", RecordOf("ANNE"), nm::kNumber);
  WriteNumber("BOB", nm::kNumber, anne);
  ExpectOneProblem("name number: " + std::to_string(anne) + ", already the number of record");
}

// One impossible value a case, each in a fresh office.
struct Damage {
  const char* name;  // whose record
  Field where;
  AdminTest::Spoiling how;
  int value;          // the byte, the number, or the fill character
  const char* field;  // as check names it
  const char* said;
};

void PrintTo(const Damage& d, std::ostream* os) {
  *os << d.name << ", " << d.field << ": " << d.said;
}

class AdminCheckFieldDamageTest : public AdminCheckFieldsTest,
                                  public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckFieldDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  const Damage& d = GetParam();
  const int n = RecordOf(d.name);
  // A number past the last issued one is reported by its value.
  const std::string pastLast = std::to_string(LastIssued("NAME") + 1);
  Spoil("NAME", n, d.where, d.how, d.value, "NAME");
  ExpectOneProblem("NAME.DAT: record " + std::to_string(n) + ", " + d.field + ": " +
                   (d.how == kNumberPastLast ? pastLast : "") + d.said);
}

INSTANTIATE_TEST_SUITE_P(
    Names, AdminCheckFieldDamageTest,
    ::testing::Values(
        Damage{"ANNE", nm::kMark, AdminTest::kByte, 7, "mark", "7, not 0"},
        Damage{"ANNE", nm::kNumber, AdminTest::kNumber, 0, "name number", "0, not a number"},
        Damage{"ANNE", nm::kNumber, AdminTest::kNumberPastLast, 0, "name number", ", not a number"},
        Damage{"ANNE", nm::kName, AdminTest::kFill, 'A', "name", "no NUL within its 20 bytes"},
        Damage{"ANNE", Field{1, 1}, AdminTest::kByte, ' ', "name",
               "begins with byte 32, below '*'"},
        Damage{"ANNE", Field{1, 1}, AdminTest::kByte, 0, "name", "empty"},
        Damage{"*TEAM", nm::kName, AdminTest::kFill, '*', "name", "no NUL within its 20 bytes"},
        Damage{"ANNE", nm::kPassword, AdminTest::kFill, 'x', "user password", "no NUL within"},
        Damage{"ANNE", nm::kInitials, AdminTest::kFill, 'x', "initials", "no NUL within its 4"},
        Damage{"ANNE", nm::kModemPrefix, AdminTest::kFill, 'x', "modem prefix", "no NUL within"},
        Damage{"ANNE", nm::kModemSuffix, AdminTest::kFill, 'x', "modem suffix", "no NUL within"},
        Damage{"ANNE", nm::kPhoneListName, AdminTest::kFill, 'x', "phone list owner name",
               "no NUL within"},
        Damage{"ANNE", nm::kEmailFrom, AdminTest::kFill, 'x', "Email from", "no NUL within"},
        Damage{"ANNE", nm::kDefaultKind, AdminTest::kByte, 3, "default message type",
               "3, not 0 to 2"},
        Damage{"ANNE", nm::kListOrder, AdminTest::kByte, 2, "message list order", "2, not 0 to 1"},
        Damage{"ANNE", nm::kSoundRepeat, AdminTest::kByte, 7, "alert sound repeat",
               "7, not 0 to 6"},
        Damage{"ANNE", nm::kNotify, AdminTest::kByte, 2, "notify", "2, not 0 to 1"},
        Damage{"ANNE", nm::kAddedHere, AdminTest::kByte, 1, "added here", "1, not 0 or 2"},
        Damage{"ANNE", nm::kModemPort, AdminTest::kByte, 4, "modem port", "4, not 0 to 3"},
        Damage{"ANNE", nm::kSendLog, AdminTest::kByte, 2, "send log", "2, not 0 to 1"},
        Damage{"ANNE", nm::kFromSearch, AdminTest::kByte, 2, "FROM search", "2, not 0 to 1"},
        Damage{"ANNE", nm::kAllCaps, AdminTest::kByte, 255, "All Caps", "255, not 0 to 1"},
        Damage{"ANNE", nm::kNoLongDistanceOne, AdminTest::kByte, 2, "long-distance 1",
               "2, not 0 to 1"},
        Damage{"ANNE", nm::kSignature, AdminTest::kByte, 3, "default signature", "3, not 0 to 2"},
        Damage{"ANNE", nm::kAutoFormat, AdminTest::kByte, 2, "Auto format E-mails",
               "2, not 0 to 1"},
        Damage{"ANNE", nm::kProtectedAreas, AdminTest::kByte, 32, "protected areas",
               "32, not 0 to 31"},
        Damage{"ANNE", nm::kPhoneListNumber, AdminTest::kNumberPastLast, 0,
               "phone list owner number", ", neither 0 (COMMON) nor a number the table issued"},
        Damage{"ANNE", nm::kPhoneListNumber, AdminTest::kNumber, -1, "phone list owner number",
               "-1, neither 0"},
        Damage{"*TEAM", nm::Member(5), AdminTest::kNumberPastLast, 0, "member 6",
               ", not a number the table issued"},
        Damage{"*TEAM", nm::Member(99), AdminTest::kNumber, -3, "member 100",
               "-3, not a number the table issued"}));

// The highest value each field can hold is not a problem, nor is a record
// number or member number the table issued last.
TEST_F(AdminCheckFieldsTest, TheEdgesOfEachFieldsValuesAreClean) {
  WriteByte("ANNE", nm::kDefaultKind, 2);
  WriteByte("ANNE", nm::kListOrder, 1);
  WriteByte("ANNE", nm::kSoundRepeat, 6);
  WriteByte("ANNE", nm::kNotify, 1);
  WriteByte("ANNE", nm::kAddedHere, 0);
  WriteByte("ANNE", nm::kModemPort, 3);
  WriteByte("ANNE", nm::kSendLog, 1);
  WriteByte("ANNE", nm::kFromSearch, 1);
  WriteByte("ANNE", nm::kAllCaps, 1);
  WriteByte("ANNE", nm::kNoLongDistanceOne, 1);
  WriteByte("ANNE", nm::kSignature, 2);
  WriteByte("ANNE", nm::kAutoFormat, 1);
  WriteByte("ANNE", nm::kProtectedAreas, 31);
  Write("ANNE", nm::kInitials, "ABC");
  Write("ANNE", nm::kEmailFrom, std::string(99, 'e'));
  Write("ANNE", nm::kName, std::string(19, 'A'));
  WriteNumber(std::string(19, 'A'), nm::kPhoneListNumber, int32_t(LastIssued("NAME")));
  WriteNumber("*TEAM", nm::Member(99), int32_t(LastIssued("NAME")));
  WriteNumber("*TEAM", nm::Member(98), 1);
  ExpectCheckClean();
}

}  // namespace
