// dpadmin check against schedule entries ("SCHED") and to-do items
// ("TODO") whose fields hold what none can: a timed entry with an end and
// an alarm, an untimed one of the common schedule, a repeating one and a
// to-do item are added by dpadmin; each impossible value is written into
// one of the real records, the table's index is rebuilt so that it agrees
// with the damage, and check must name table, record and field and say
// "problems found".
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "storage/file.h"
#include "storage/le.h"
#include "storage/records/name.h"
#include "storage/records/sched.h"
#include "storage/records/todo.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace sc = records::sched;
namespace td = records::todo;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

constexpr int32_t kDay = 24 * 3600;

// Record numbers of what SetUp adds, in the order it adds them.
constexpr int kDentist = 0;       // ANNE's, 9:30 to 10:30, alarm 9:15
constexpr int kOfficeClosed = 1;  // the common schedule's, untimed
constexpr int kStandup = 2;       // BOB's, the first of a weekly repeat
constexpr int kCall = 0;          // ANNE's to-do item

class AdminCheckScheduleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    office = scratch.File("office/");
    Expect({"create", office});
    Expect({"add-name", office, "ANNE", "BOB"});
    Expect({"add-entry", office, "ANNE", "3-15-27", "9:30AM", "10:30AM", "9:15AM", "Dentist"});
    Expect({"add-entry", office, "* COMMON", "3-16-27", "Office closed"});
    Expect({"add-entry", office, "BOB", "3-17-27", "8:00AM", "", "", "Standup", "--every", "7",
            "--until", "3-31-27"});
    Expect({"add-todo", office, "ANNE", "3-15-27", "--priority", "2", "Call Mr. Fischer"});
  }

  DpadminRun Run(const std::vector<std::string>& args) { return RunDpadmin(args, scratch.Path()); }
  std::string Expect(const std::vector<std::string>& args) {
    DpadminRun run = Run(args);
    EXPECT_EQ(run.status, 0) << args[0] << "\n" << ShowRun(run);
    return run.out;
  }

  static size_t HeaderSize(const std::string& table) {
    return table == "SCHED" ? sc::kHeaderSize : td::kHeaderSize;
  }
  static size_t RecordSize(const std::string& table) {
    return table == "SCHED" ? sc::kRecordSize : td::kRecordSize;
  }
  uint32_t LastIssued(const std::string& table) const {
    return GetU32(reinterpret_cast<const uint8_t*>(ReadWholeFile(office + table + ".DAT").data()));
  }
  int32_t Number(const std::string& table, int n, Field field) const {
    const std::string all = ReadWholeFile(office + table + ".DAT");
    const size_t at = HeaderSize(table) + size_t(n) * RecordSize(table) + size_t(field.offset);
    EXPECT_LE(at + 4, all.size());
    return GetI32(reinterpret_cast<const uint8_t*>(all.data() + at));
  }
  // Overwrites bytes of a record's field (at most its width), then rebuilds
  // the table's index from the records.
  void Write(const std::string& table, int n, Field field, const std::string& bytes) {
    ASSERT_LE(bytes.size(), size_t(field.width));
    std::fstream file(office + table + ".DAT", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(std::streamoff(HeaderSize(table) + size_t(n) * RecordSize(table)) + field.offset);
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

TEST_F(AdminCheckScheduleTest, EntriesAndItemsAsAddedCheckClean) {
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
}

TEST_F(AdminCheckScheduleTest, AUniqueIdHeldByTwoRecordsIsReportedOnce) {
  const int32_t dentist = Number("SCHED", kDentist, sc::kUniqueId);
  WriteNumber("SCHED", kStandup, sc::kUniqueId, dentist);
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "SCHED.DAT: record " + std::to_string(kStandup) +
                                      ", unique id: " + std::to_string(dentist) +
                                      ", already the number of record " + std::to_string(kDentist)))
      << check.out;
  EXPECT_TRUE(Contains(check.out, "1 problem found")) << check.out;
}

// One impossible value a case, each in a fresh office.
struct Damage {
  const char* table;
  int record;
  Field where;
  enum {
    kNumber,        // value
    kFill,          // the field filled with the character value
    kPastLast,      // the table's last issued number + 1
    kPastLastName,  // the name table's last issued number + 1
    kFromStart,     // the record's start + value
  } how;
  int value;
  const char* field;  // as check names it
  const char* said;
};

class AdminCheckScheduleDamageTest : public AdminCheckScheduleTest,
                                     public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckScheduleDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  const Damage& d = GetParam();
  std::string value;  // the number written, as check shows it
  int32_t number = d.value;
  switch (d.how) {
    case Damage::kFill:
      Write(d.table, d.record, d.where, std::string(size_t(d.where.width), char(d.value)));
      break;
    case Damage::kPastLast:
      number = int32_t(LastIssued(d.table)) + 1;
      break;
    case Damage::kPastLastName:
      number = int32_t(LastIssued("NAME")) + 1;
      break;
    case Damage::kFromStart:
      number = Number(d.table, d.record, sc::kStart) + d.value;
      break;
    case Damage::kNumber:
      break;
  }
  if (d.how != Damage::kFill) {
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
    Schedule, AdminCheckScheduleDamageTest,
    ::testing::Values(
        Damage{"SCHED", kDentist, sc::kDescription, Damage::kFill, 'x', "description",
               "no NUL within its 53 bytes"},
        Damage{"SCHED", kDentist, Field{0, 1}, Damage::kFill, 0, "description", "empty"},
        Damage{"SCHED", kDentist, sc::kOwner, Damage::kNumber, 0, "owner",
               ", neither -1 (COMMON) nor a number the name table issued (1 to 3)"},
        Damage{"SCHED", kOfficeClosed, sc::kOwner, Damage::kNumber, -2, "owner", ", neither -1"},
        Damage{"SCHED", kStandup, sc::kOwner, Damage::kPastLastName, 0, "owner", ", neither -1"},
        Damage{"SCHED", kDentist, sc::kEnd, Damage::kFromStart, 0, "end",
               ", neither 0 (none) nor later than the start"},
        Damage{"SCHED", kDentist, sc::kEnd, Damage::kFromStart, -60, "end", ", neither 0"},
        Damage{"SCHED", kDentist, sc::kEnd, Damage::kFromStart, kDay + 3600, "end", ", neither 0"},
        Damage{"SCHED", kOfficeClosed, sc::kEnd, Damage::kNumber, -1, "end", ", neither 0"},
        Damage{"SCHED", kDentist, sc::kAlarm, Damage::kFromStart, kDay + 3600, "alarm",
               ", neither 0 (none) nor on the date of the start"},
        Damage{"SCHED", kDentist, sc::kAlarm, Damage::kFromStart, -kDay - 3600, "alarm",
               ", neither 0"},
        Damage{"SCHED", kOfficeClosed, sc::kNote, Damage::kFill, 'n', "note",
               "no NUL within its 182 bytes"},
        Damage{"SCHED", kStandup, sc::kRepeatGroup, Damage::kNumber, -4, "repeat group",
               ", neither 0 (none) nor a number the table issued (1 to 6)"},
        Damage{"SCHED", kDentist, sc::kRepeatGroup, Damage::kPastLast, 0, "repeat group",
               ", neither 0"},
        Damage{"SCHED", kDentist, sc::kUniqueId, Damage::kNumber, 0, "unique id",
               ", not a number the table issued (1 to 6)"},
        Damage{"SCHED", kStandup, sc::kUniqueId, Damage::kPastLast, 0, "unique id",
               ", not a number the table issued"},
        Damage{"TODO", kCall, td::kText, Damage::kFill, 't', "text", "no NUL within its 246 bytes"},
        Damage{"TODO", kCall, td::kOwner, Damage::kNumber, 0, "owner",
               ", neither -1 (COMMON) nor a number the name table issued (1 to 3)"},
        Damage{"TODO", kCall, td::kOwner, Damage::kPastLastName, 0, "owner", ", neither -1"},
        Damage{"TODO", kCall, td::kPriority, Damage::kFill, '9', "priority",
               "no NUL within its 4 bytes"},
        Damage{"TODO", kCall, Field{td::kPriority.offset, 1}, Damage::kFill, 0, "priority",
               "empty"},
        Damage{"TODO", kCall, td::kUniqueId, Damage::kNumber, -1, "unique id",
               ", not a number the table issued (1 to 1)"},
        Damage{"TODO", kCall, td::kUniqueId, Damage::kPastLast, 0, "unique id",
               ", not a number the table issued"}));

// The edges of what each field can hold are clean: an end a second after
// the start or late on its day, an alarm before the start on its day, the
// last issued numbers, full-width texts, any status byte.
TEST_F(AdminCheckScheduleTest, TheEdgesOfEachFieldsValuesAreClean) {
  const int32_t start = Number("SCHED", kDentist, sc::kStart);
  WriteNumber("SCHED", kDentist, sc::kEnd, start + 1);
  WriteNumber("SCHED", kDentist, sc::kAlarm, start - 9 * 3600);
  const int32_t closed = Number("SCHED", kOfficeClosed, sc::kStart);
  WriteNumber("SCHED", kOfficeClosed, sc::kEnd, closed + kDay - 1);
  WriteNumber("SCHED", kOfficeClosed, sc::kAlarm, closed + kDay - 1);
  WriteNumber("SCHED", kOfficeClosed, sc::kOwner, int32_t(LastIssued("NAME")));
  WriteNumber("SCHED", kDentist, sc::kRepeatGroup, int32_t(LastIssued("SCHED")));
  Write("SCHED", kDentist, sc::kDescription, std::string(52, 'D'));
  Write("SCHED", kDentist, sc::kNote, std::string(181, 'n'));
  Write("TODO", kCall, td::kText, std::string(245, 't'));
  Write("TODO", kCall, td::kPriority, "999");
  Write("TODO", kCall, td::kStatus, std::string(1, char(255)));
  WriteNumber("TODO", kCall, td::kOwner, -1);
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
}

}  // namespace
