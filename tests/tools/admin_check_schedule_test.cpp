// dpadmin check against schedule entries ("SCHED") and to-do items
// ("TODO") whose fields hold what none can: a timed entry with an end and
// an alarm, an untimed one of the common schedule, a repeating one and a
// to-do item are added by dpadmin; each impossible value is written into
// one of the real records, the table's index is rebuilt so that it agrees
// with the damage, and check must name table, record and field and say
// "problems found".
#include <string>

#include "storage/records/name.h"
#include "storage/records/sched.h"
#include "storage/records/todo.h"
#include "tests/tools/admin_test.h"

namespace {

namespace sc = records::sched;
namespace td = records::todo;

constexpr int32_t kDay = 24 * 3600;

// Record numbers of what SetUp adds, in the order it adds them.
constexpr int kDentist = 0;       // ANNE's, 9:30 to 10:30, alarm 9:15
constexpr int kOfficeClosed = 1;  // the common schedule's, untimed
constexpr int kStandup = 2;       // BOB's, the first of a weekly repeat
constexpr int kCall = 0;          // ANNE's to-do item

class AdminCheckScheduleTest : public AdminTest {
 protected:
  void SetUp() override {
    Expect({"create", office});
    Expect({"add-name", office, "ANNE", "BOB"});
    Expect({"add-entry", office, "ANNE", "3-15-27", "9:30AM", "10:30AM", "9:15AM", "Dentist"});
    Expect({"add-entry", office, "* COMMON", "3-16-27", "Office closed"});
    Expect({"add-entry", office, "BOB", "3-17-27", "8:00AM", "", "", "Standup", "--every", "7",
            "--until", "3-31-27"});
    Expect({"add-todo", office, "ANNE", "3-15-27", "--priority", "2", "Call Mr. Fischer"});
  }
};

TEST_F(AdminCheckScheduleTest, AUniqueIdHeldByTwoRecordsIsReportedOnce) {
  ExpectCheckClean();  // as added
  const int32_t dentist = Number("SCHED", kDentist, sc::kUniqueId);
  WriteNumber("SCHED", kStandup, sc::kUniqueId, dentist);
  ExpectOneProblem("SCHED.DAT: record " + std::to_string(kStandup) +
                   ", unique id: " + std::to_string(dentist) + ", already the number of record " +
                   std::to_string(kDentist));
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

void PrintTo(const Damage& d, std::ostream* os) {
  *os << d.table << " record " << d.record << ", " << d.field << ": " << d.value << d.said;
}

class AdminCheckScheduleDamageTest : public AdminCheckScheduleTest,
                                     public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckScheduleDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  const Damage& d = GetParam();
  int32_t number = d.value;
  if (d.how == Damage::kPastLast) number = int32_t(LastIssued(d.table)) + 1;
  if (d.how == Damage::kPastLastName) number = int32_t(LastIssued("NAME")) + 1;
  if (d.how == Damage::kFromStart) number += Number(d.table, d.record, sc::kStart);
  if (d.how == Damage::kFill)
    Write(d.table, d.record, d.where, std::string(size_t(d.where.width), char(d.value)));
  else
    WriteNumber(d.table, d.record, d.where, number);
  ExpectOneProblem(std::string(d.table) + ".DAT: record " + std::to_string(d.record) + ", " +
                   d.field + ": " + (d.how == Damage::kFill ? "" : std::to_string(number)) +
                   d.said);
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
  ExpectCheckClean();
}

}  // namespace
