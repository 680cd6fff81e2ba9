// dpadmin check against folder ("FOLDER"), note ("NOTE") and CC list ("CC")
// records whose fields hold what none can: in a demo office (which has a
// common folder), ANNE sends the group *SALES a memo too long for its
// record with a CC list, so that each copy has a note of two parts and a CC
// record; each impossible value is written into one of the real records,
// the table's index is rebuilt so that it agrees with the damage, and check
// must name table, record and field and say "problems found".
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "storage/file.h"
#include "storage/le.h"
#include "storage/records/cc.h"
#include "storage/records/folder.h"
#include "storage/records/note.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fo = records::folder;
namespace nt = records::note;
namespace cc = records::cc;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

struct Layout {
  size_t header;
  size_t record;
};

Layout LayoutOf(const std::string& table) {
  if (table == "FOLDER") return {fo::kHeaderSize, fo::kRecordSize};
  if (table == "NOTE") return {nt::kHeaderSize, nt::kRecordSize};
  return {cc::kHeaderSize, cc::kRecordSize};
}

class AdminCheckSmallTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    office = scratch.File("office/");
    Expect({"demo", office});
    Expect({"send", office, "--from", "ANNE", "--to", "*SALES", "--kind", "memo", "--cc", "--text",
            std::string(600, 'x')});
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
  int32_t Number(const std::string& table, int n, Field field) const {
    const Layout l = LayoutOf(table);
    const std::string all = ReadWholeFile(office + table + ".DAT");
    const size_t at = l.header + size_t(n) * l.record + size_t(field.offset);
    EXPECT_LE(at + 4, all.size());
    return GetI32(reinterpret_cast<const uint8_t*>(all.data() + at));
  }
  // Overwrites bytes of a record's field (at most its width), then rebuilds
  // the table's indexes from the records.
  void Write(const std::string& table, int n, Field field, const std::string& bytes) {
    ASSERT_LE(bytes.size(), size_t(field.width));
    const Layout l = LayoutOf(table);
    std::fstream file(office + table + ".DAT", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(std::streamoff(l.header + size_t(n) * l.record) + field.offset);
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

TEST_F(AdminCheckSmallTablesTest, FoldersNotesAndCcListsAsStoredCheckClean) {
  ASSERT_EQ(ReadWholeFile(office + "FOLDER.DAT").size(), fo::kHeaderSize + fo::kRecordSize);
  ASSERT_EQ(ReadWholeFile(office + "NOTE.DAT").size(), nt::kHeaderSize + 4 * nt::kRecordSize);
  ASSERT_EQ(ReadWholeFile(office + "CC.DAT").size(), 2 * cc::kRecordSize);
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
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
  enum { kNumber, kFill, kPastLast, kPastLastOf } how;
  int value;          // the number, or the fill character
  const char* other;  // for kPastLastOf: the table whose numbers the field holds
  const char* field;  // as check names it
  const char* said;
};

class AdminCheckSmallTableDamageTest : public AdminCheckSmallTablesTest,
                                       public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckSmallTableDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  const Damage& d = GetParam();
  std::string value;
  int32_t number = d.value;
  if (d.how == Damage::kPastLast) number = int32_t(LastIssued(d.table)) + 1;
  if (d.how == Damage::kPastLastOf) number = int32_t(LastIssued(d.other)) + 1;
  if (d.how == Damage::kFill) {
    Write(d.table, d.record, d.where, std::string(size_t(d.where.width), char(d.value)));
  } else {
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
    SmallTables, AdminCheckSmallTableDamageTest,
    ::testing::Values(
        Damage{"FOLDER", 0, fo::kName, Damage::kFill, 'F', "", "name",
               "no NUL within its 31 bytes"},
        Damage{"FOLDER", 0, fo::kOwner, Damage::kNumber, -1, "", "owner",
               ", neither 0 (common) nor a number the name table issued (1 to 7)"},
        Damage{"FOLDER", 0, fo::kOwner, Damage::kPastLastOf, 0, "NAME", "owner", ", neither 0"},
        Damage{"FOLDER", 0, fo::kNumber, Damage::kNumber, 0, "", "folder number",
               ", not a number the table issued (1 to 2)"},
        Damage{"FOLDER", 0, fo::kNumber, Damage::kPastLast, 0, "", "folder number",
               ", not a number the table issued"},
        Damage{"NOTE", 1, Field{nt::kPart.offset, 1}, Damage::kFill, 8, "", "part number",
               "8, not 0 to 7"},
        Damage{"NOTE", 1, nt::kNumber, Damage::kNumber, -2, "", "note number",
               ", not a number the table issued (1 to 2)"},
        Damage{"NOTE", 3, nt::kNumber, Damage::kPastLast, 0, "", "note number",
               ", not a number the table issued"},
        Damage{"CC", 0, cc::kMessageNumber, Damage::kNumber, 0, "", "message number",
               ", not a number the message table issued (1 to 8)"},
        Damage{"CC", 1, cc::kMessageNumber, Damage::kPastLastOf, 0, "MESSAGE", "message number",
               ", not a number the message table issued"},
        Damage{"CC", 0, cc::kName, Damage::kFill, 'B', "", "name", "no NUL within its 20 bytes"},
        Damage{"CC", 1, Field{cc::kName.offset, 1}, Damage::kFill, 0, "", "name", "empty"}));

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
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
}

}  // namespace
