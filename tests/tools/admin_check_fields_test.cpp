// dpadmin check against name records whose fields hold what no name record
// can: each value is written into a real office's NAME.DAT through the
// record layout, the indexes are rebuilt so that they agree with the
// damage, and check must name table, record and field and say "problems
// found".
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "storage/file.h"
#include "storage/le.h"
#include "storage/records/name.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace nm = records::name;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class AdminCheckFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    office = scratch.File("office/");
    Expect({"create", office});
    Expect({"add-name", office, "ANNE", "BOB"});
    Expect({"add-group", office, "*TEAM", "ANNE", "BOB"});
  }

  DpadminRun Run(const std::vector<std::string>& args) { return RunDpadmin(args, scratch.Path()); }
  std::string Expect(const std::vector<std::string>& args) {
    DpadminRun run = Run(args);
    EXPECT_EQ(run.status, 0) << args[0] << "\n" << ShowRun(run);
    return run.out;
  }

  std::string Names() const { return ReadWholeFile(office + "NAME.DAT"); }
  uint32_t LastIssued() const { return GetU32(reinterpret_cast<const uint8_t*>(Names().data())); }
  // The record number of a live name.
  int RecordOf(const std::string& name) const {
    const std::string all = Names();
    for (size_t at = nm::kHeaderSize; at + nm::kRecordSize <= all.size(); at += nm::kRecordSize) {
      if (all[at] == 0 && std::strncmp(all.data() + at + nm::kName.offset, name.c_str(),
                                       size_t(nm::kName.width)) == 0)
        return int((at - nm::kHeaderSize) / nm::kRecordSize);
    }
    ADD_FAILURE() << name << " has no record";
    return -1;
  }
  int32_t NumberOf(const std::string& name) const {
    const std::string all = Names();
    const size_t at = nm::kHeaderSize + size_t(RecordOf(name)) * nm::kRecordSize;
    return GetI32(reinterpret_cast<const uint8_t*>(all.data() + at + nm::kNumber.offset));
  }
  // Overwrites bytes of a record's field (at most its width), then rebuilds
  // the name index from the records.
  void Write(const std::string& name, Field field, const std::string& bytes) {
    ASSERT_LE(bytes.size(), size_t(field.width));
    const int n = RecordOf(name);
    ASSERT_GE(n, 0);
    std::fstream file(office + "NAME.DAT", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(std::streamoff(nm::kHeaderSize) + std::streamoff(n) * nm::kRecordSize +
               field.offset);
    file.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(file.good());
    file.close();
    DpadminRun reindex = Run({"reindex", office, "NAME"});
    ASSERT_EQ(reindex.status, 0) << ShowRun(reindex);
  }
  void WriteByte(const std::string& name, Field field, int value) {
    Write(name, field, std::string(1, char(value)));
  }
  void WriteNumber(const std::string& name, Field field, int32_t value) {
    uint8_t bytes[4];
    PutI32(bytes, value);
    Write(name, field, std::string(reinterpret_cast<const char*>(bytes), 4));
  }

  TempDir scratch;
  std::string office;
};

// The demo office holds people, a group, messages, a folder, schedules and
// phone list entries as the programs store them: none is a problem.
TEST_F(AdminCheckFieldsTest, ADemoOfficeChecksClean) {
  const std::string demo = scratch.File("demo/");
  Expect({"demo", demo});
  DpadminRun check = Run({"check", demo});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
}

TEST_F(AdminCheckFieldsTest, ACleanOfficeStaysClean) {
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
}

// What the administrator met: a name number the table never issued, which
// made ANNE's password look set and her schedule and lists look empty.
TEST_F(AdminCheckFieldsTest, ANameNumberTheTableNeverIssuedIsReported) {
  const int anne = RecordOf("ANNE");
  WriteNumber("ANNE", nm::kNumber, -1304825236);
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "NAME.DAT: record " + std::to_string(anne) +
                                      ", name number: -1304825236, not a number the table issued"))
      << check.out;
  EXPECT_TRUE(Contains(check.out, "1 problem found")) << check.out;
}

TEST_F(AdminCheckFieldsTest, ANameNumberHeldByTwoRecordsIsReportedOnce) {
  const int32_t anne = NumberOf("ANNE");
  WriteNumber("BOB", nm::kNumber, anne);
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out,
                       "name number: " + std::to_string(anne) + ", already the number of record"))
      << check.out;
  EXPECT_TRUE(Contains(check.out, "1 problem found")) << check.out;
}

// One impossible value a case, each in a fresh office.
struct Damage {
  const char* name;  // whose record
  Field where;
  enum { kByte, kNumber, kFill, kNumberPastLast } how;
  int value;          // the byte, the number, or the fill character
  const char* field;  // as check names it
  const char* said;
};

class AdminCheckFieldDamageTest : public AdminCheckFieldsTest,
                                  public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckFieldDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  const Damage& d = GetParam();
  const int n = RecordOf(d.name);
  // A number past the last issued one is reported by its value.
  const std::string pastLast = std::to_string(LastIssued() + 1);
  switch (d.how) {
    case Damage::kByte:
      WriteByte(d.name, d.where, d.value);
      break;
    case Damage::kNumber:
      WriteNumber(d.name, d.where, d.value);
      break;
    case Damage::kNumberPastLast:
      WriteNumber(d.name, d.where, int32_t(LastIssued()) + 1);
      break;
    case Damage::kFill:
      Write(d.name, d.where, std::string(size_t(d.where.width), char(d.value)));
  }
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  const std::string line = "NAME.DAT: record " + std::to_string(n) + ", " + d.field + ": " +
                           (d.how == Damage::kNumberPastLast ? pastLast : "") + d.said;
  EXPECT_TRUE(Contains(check.out, line)) << line << "\n" << check.out;
  EXPECT_TRUE(Contains(check.out, "1 problem found")) << check.out;
}

INSTANTIATE_TEST_SUITE_P(
    Names, AdminCheckFieldDamageTest,
    ::testing::Values(
        Damage{"ANNE", nm::kMark, Damage::kByte, 7, "mark", "7, not 0"},
        Damage{"ANNE", nm::kNumber, Damage::kNumber, 0, "name number", "0, not a number"},
        Damage{"ANNE", nm::kNumber, Damage::kNumberPastLast, 0, "name number", ", not a number"},
        Damage{"ANNE", nm::kName, Damage::kFill, 'A', "name", "no NUL within its 20 bytes"},
        Damage{"ANNE", Field{1, 1}, Damage::kByte, ' ', "name", "begins with byte 32, below '*'"},
        Damage{"ANNE", Field{1, 1}, Damage::kByte, 0, "name", "empty"},
        Damage{"*TEAM", nm::kName, Damage::kFill, '*', "name", "no NUL within its 20 bytes"},
        Damage{"ANNE", nm::kPassword, Damage::kFill, 'x', "user password", "no NUL within"},
        Damage{"ANNE", nm::kInitials, Damage::kFill, 'x', "initials", "no NUL within its 4"},
        Damage{"ANNE", nm::kModemPrefix, Damage::kFill, 'x', "modem prefix", "no NUL within"},
        Damage{"ANNE", nm::kModemSuffix, Damage::kFill, 'x', "modem suffix", "no NUL within"},
        Damage{"ANNE", nm::kPhoneListName, Damage::kFill, 'x', "phone list owner name",
               "no NUL within"},
        Damage{"ANNE", nm::kEmailFrom, Damage::kFill, 'x', "Email from", "no NUL within"},
        Damage{"ANNE", nm::kDefaultKind, Damage::kByte, 3, "default message type", "3, not 0 to 2"},
        Damage{"ANNE", nm::kListOrder, Damage::kByte, 2, "message list order", "2, not 0 to 1"},
        Damage{"ANNE", nm::kSoundRepeat, Damage::kByte, 7, "alert sound repeat", "7, not 0 to 6"},
        Damage{"ANNE", nm::kNotify, Damage::kByte, 2, "notify", "2, not 0 to 1"},
        Damage{"ANNE", nm::kAddedHere, Damage::kByte, 1, "added here", "1, not 0 or 2"},
        Damage{"ANNE", nm::kModemPort, Damage::kByte, 4, "modem port", "4, not 0 to 3"},
        Damage{"ANNE", nm::kSendLog, Damage::kByte, 2, "send log", "2, not 0 to 1"},
        Damage{"ANNE", nm::kFromSearch, Damage::kByte, 2, "FROM search", "2, not 0 to 1"},
        Damage{"ANNE", nm::kAllCaps, Damage::kByte, 255, "All Caps", "255, not 0 to 1"},
        Damage{"ANNE", nm::kNoLongDistanceOne, Damage::kByte, 2, "long-distance 1",
               "2, not 0 to 1"},
        Damage{"ANNE", nm::kSignature, Damage::kByte, 3, "default signature", "3, not 0 to 2"},
        Damage{"ANNE", nm::kAutoFormat, Damage::kByte, 2, "Auto format E-mails", "2, not 0 to 1"},
        Damage{"ANNE", nm::kProtectedAreas, Damage::kByte, 32, "protected areas",
               "32, not 0 to 31"},
        Damage{"ANNE", nm::kPhoneListNumber, Damage::kNumberPastLast, 0, "phone list owner number",
               ", neither 0 (COMMON) nor a number the table issued"},
        Damage{"ANNE", nm::kPhoneListNumber, Damage::kNumber, -1, "phone list owner number",
               "-1, neither 0"},
        Damage{"*TEAM", nm::Member(5), Damage::kNumberPastLast, 0, "member 6",
               ", not a number the table issued"},
        Damage{"*TEAM", nm::Member(99), Damage::kNumber, -3, "member 100",
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
  WriteNumber(std::string(19, 'A'), nm::kPhoneListNumber, int32_t(LastIssued()));
  WriteNumber("*TEAM", nm::Member(99), int32_t(LastIssued()));
  WriteNumber("*TEAM", nm::Member(98), 1);
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
}

}  // namespace
