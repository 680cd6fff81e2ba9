// dpadmin check against folder ("FOLDER"), note ("NOTE") and CC list ("CC")
// records whose fields hold what none can: in a demo office (which has a
// common folder), ANNE sends the group *SALES a memo too long for its
// record with a CC list, so that each copy has a note of two parts and a CC
// record; each impossible value is written into one of the real records,
// the table's index is rebuilt so that it agrees with the damage, and check
// must name table, record and field and say "problems found".
#include <fstream>
#include <string>

#include "storage/records/cc.h"
#include "storage/records/folder.h"
#include "storage/records/note.h"
#include "tests/tools/admin_test.h"

namespace {

namespace fo = records::folder;
namespace nt = records::note;
namespace cc = records::cc;

class AdminCheckSmallTablesTest : public AdminTest {
 protected:
  void SetUp() override {
    Expect({"demo", office});
    Expect({"send", office, "--from", "ANNE", "--to", "*SALES", "--kind", "memo", "--cc", "--text",
            std::string(600, 'x')});
  }
};

TEST_F(AdminCheckSmallTablesTest, FoldersNotesAndCcListsAsStoredCheckClean) {
  ASSERT_EQ(ReadWholeFile(office + "FOLDER.DAT").size(), fo::kHeaderSize + fo::kRecordSize);
  ASSERT_EQ(ReadWholeFile(office + "NOTE.DAT").size(), nt::kHeaderSize + 4 * nt::kRecordSize);
  ASSERT_EQ(ReadWholeFile(office + "CC.DAT").size(), 2 * cc::kRecordSize);
  ExpectCheckClean();
}

// The folder index refuses a second record of one folder number, so the
// index problems are reported too; the record's field is named.
TEST_F(AdminCheckSmallTablesTest, AFolderNumberHeldByTwoRecordsIsReported) {
  // A second folder: the first one's record copied under another name.
  const std::string all = ReadWholeFile(office + "FOLDER.DAT");
  std::string second = all.substr(fo::kHeaderSize, fo::kRecordSize);
  second.replace(0, 8, std::string("Vendors\0", 8));
  {
    std::ofstream file(office + "FOLDER.DAT", std::ios::binary | std::ios::app);
    file.write(second.data(), std::streamsize(second.size()));
    ASSERT_TRUE(file.good());
  }
  DpadminRun check = Run({"check", office, "FOLDER"});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "FOLDER.DAT: record 1, folder number: " +
                                      std::to_string(Number("FOLDER", 0, fo::kNumber)) +
                                      ", already the number of record 0"))
      << check.out;
}

// One impossible value a case, each in a fresh office.
struct Damage {
  const char* table;
  int record;
  Field where;
  AdminTest::Spoiling how;
  int value;          // the number, or the fill character
  const char* other;  // the table whose numbers the field holds, when not its own
  const char* field;  // as check names it
  const char* said;
};

void PrintTo(const Damage& d, std::ostream* os) {
  *os << d.table << " record " << d.record << ", " << d.field << ": " << d.value << d.said;
}

class AdminCheckSmallTableDamageTest : public AdminCheckSmallTablesTest,
                                       public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckSmallTableDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  const Damage& d = GetParam();
  const std::string counter = *d.other ? d.other : d.table;
  const int32_t number = d.how == kNumber ? d.value : int32_t(LastIssued(counter)) + 1;
  Spoil(d.table, d.record, d.where, d.how, d.value, counter);
  ExpectOneProblem(std::string(d.table) + ".DAT: record " + std::to_string(d.record) + ", " +
                   d.field + ": " + (d.how == kFill ? "" : std::to_string(number)) + d.said);
}

INSTANTIATE_TEST_SUITE_P(
    SmallTables, AdminCheckSmallTableDamageTest,
    ::testing::Values(
        Damage{"FOLDER", 0, fo::kName, AdminTest::kFill, 'F', "", "name",
               "no NUL within its 31 bytes"},
        Damage{"FOLDER", 0, fo::kOwner, AdminTest::kNumber, -1, "", "owner",
               ", neither 0 (common) nor a number the name table issued (1 to 7)"},
        Damage{"FOLDER", 0, fo::kOwner, AdminTest::kNumberPastLast, 0, "NAME", "owner",
               ", neither 0"},
        Damage{"FOLDER", 0, fo::kNumber, AdminTest::kNumber, 0, "", "folder number",
               ", not a number the table issued (1 to 2)"},
        Damage{"FOLDER", 0, fo::kNumber, AdminTest::kNumberPastLast, 0, "", "folder number",
               ", not a number the table issued"},
        Damage{"NOTE", 1, Field{nt::kPart.offset, 1}, AdminTest::kFill, 8, "", "part number",
               "8, not 0 to 7"},
        Damage{"NOTE", 1, nt::kNumber, AdminTest::kNumber, -2, "", "note number",
               ", not a number the table issued (1 to 2)"},
        Damage{"NOTE", 3, nt::kNumber, AdminTest::kNumberPastLast, 0, "", "note number",
               ", not a number the table issued"},
        Damage{"CC", 0, cc::kMessageNumber, AdminTest::kNumber, 0, "", "message number",
               ", not a number the message table issued (1 to 8)"},
        Damage{"CC", 1, cc::kMessageNumber, AdminTest::kNumberPastLast, 0, "MESSAGE",
               "message number", ", not a number the message table issued"},
        Damage{"CC", 0, cc::kName, AdminTest::kFill, 'B', "", "name", "no NUL within its 20 bytes"},
        Damage{"CC", 1, Field{cc::kName.offset, 1}, AdminTest::kFill, 0, "", "name", "empty"}));

// The edges are clean: a folder of a person, the last issued numbers,
// full-width names, the last record of a note (number 7), a note record whose text fills it (the
// second note holds the last issued note number).
TEST_F(AdminCheckSmallTablesTest, TheEdgesOfEachFieldsValuesAreClean) {
  WriteNumber("FOLDER", 0, fo::kOwner, int32_t(LastIssued("NAME")));
  Write("FOLDER", 0, fo::kName, std::string(30, 'F'));
  Write("NOTE", 1, Field{nt::kPart.offset, 1}, std::string(1, char(7)));
  Write("NOTE", 1, nt::kText, std::string(size_t(nt::kText.width), 'y'));
  WriteNumber("CC", 0, cc::kMessageNumber, int32_t(LastIssued("MESSAGE")));
  Write("CC", 1, cc::kName, std::string(19, 'C'));
  ExpectCheckClean();
}

}  // namespace
