// dpadmin check against message records ("MESSAGE" and its send log
// "SENDLOG") whose fields hold what no message record can: ANNE, whose
// send-log option is on, sends BOB a phone message, a memo and an e-mail;
// each impossible value is written into one of the real records, the
// table's indexes are rebuilt so that they agree with the damage, and check
// must name table, record and field and say "problems found".
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "storage/records/message.h"
#include "storage/records/name.h"
#include "storage/records/note.h"
#include "tests/tools/admin_test.h"

namespace {

namespace msg = records::message;
namespace nm = records::name;
namespace nt = records::note;

class AdminCheckMessagesTest : public AdminTest {
 protected:
  void SetUp() override {
    Expect({"create", office});
    Expect({"add-name", office, "ANNE", "BOB"});
    KeepSendLog("ANNE");
    Expect({"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "phone", "--caller",
            "Mr. Fischer", "--company", "Fischer & Sons", "--rush", "--call-back", "--by", "REC",
            "--text", "Please call back."});
    Expect({"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "memo", "--text",
            "Lunch at noon?"});
    Expect({"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "email", "--subject",
            "Proofs", "--body", "Sent by courier."});
  }

  // The record number of the live message of a kind.
  int RecordOf(const std::string& table, char kind) const {
    const std::string all = Records(table);
    for (size_t at = msg::kHeaderSize; at + msg::kRecordSize <= all.size();
         at += msg::kRecordSize) {
      if (all[at] == 0 && all[at + size_t(msg::kKind.offset)] == kind)
        return int((at - msg::kHeaderSize) / msg::kRecordSize);
    }
    ADD_FAILURE() << table << " has no message of kind " << kind;
    return -1;
  }
  void Write(const std::string& table, char kind, Field field, const std::string& bytes) {
    AdminTest::Write(table, RecordOf(table, kind), field, bytes);
  }
  void WriteNumber(const std::string& table, char kind, Field field, int32_t value) {
    AdminTest::WriteNumber(table, RecordOf(table, kind), field, value);
  }
};

TEST_F(AdminCheckMessagesTest, MessagesAndTheirSendLogCopiesCheckClean) {
  ASSERT_GE(RecordOf("SENDLOG", 'E'), 0);
  ExpectCheckClean();
}

TEST_F(AdminCheckMessagesTest, AMessageNumberHeldByTwoRecordsIsReportedOnce) {
  for (const char* table : {"MESSAGE", "SENDLOG"}) {
    SCOPED_TRACE(table);
    const int32_t memo = Number(table, RecordOf(table, 'M'), msg::kNumber);
    // Sent in another second, so that the indexes still take both keys.
    WriteNumber(table, 'E', msg::kTime, 1000000000);
    WriteNumber(table, 'E', msg::kNumber, memo);
    DpadminRun check = Run({"check", office, table});
    EXPECT_EQ(check.status, 1) << ShowRun(check);
    EXPECT_TRUE(Contains(check.out, std::string(table) + ".DAT: record " +
                                        std::to_string(RecordOf(table, 'E')) +
                                        ", message number: " + std::to_string(memo) +
                                        ", already the number of record"))
        << check.out;
    EXPECT_TRUE(Contains(check.out, "1 problem found")) << check.out;
  }
}

// A text too long for a message's record goes into a long-text note; every
// copy and every send-log copy owns a note of its own.
TEST_F(AdminCheckMessagesTest, LongTextNotesOfCopiesAndSendLogCopiesCheckClean) {
  Expect({"add-name", office, "CAROL"});
  Expect({"add-group", office, "*TEAM", "BOB", "CAROL"});
  Expect({"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "memo", "--text",
          std::string(600, 'x')});
  Expect({"send", office, "--from", "ANNE", "--to", "*TEAM", "--kind", "memo", "--cc", "--text",
          std::string(900, 'y')});
  ASSERT_EQ(LastIssued("NOTE"), 6u);
  ExpectCheckClean();
}

// A long-text note is deleted only with its message: a live copy whose note
// is gone has lost its text. ANNE's memo is too long for its record; the
// note of the table's copy is deleted behind its back.
class AdminCheckLongTextTest : public AdminCheckMessagesTest,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(AdminCheckLongTextTest, ALongTextNoteThatDoesNotExistIsReported) {
  const std::string table = GetParam();
  Expect({"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "memo", "--text",
          std::string(600, 'x')});
  // The newest memo of the table is the long one.
  const std::string all = Records(table);
  const size_t at = all.size() - msg::kRecordSize;
  ASSERT_EQ(all[at + size_t(msg::kKind.offset)], 'M');
  const int n = int((at - msg::kHeaderSize) / msg::kRecordSize);
  const int32_t note =
      GetI32(reinterpret_cast<const uint8_t*>(all.data() + at + msg::kLongTextNote.offset));
  ASSERT_GT(note, 0);
  // Every part of the note marked deleted, as a delete leaves them.
  const std::string notes = Records("NOTE");
  {
    std::fstream file(office + "NOTE.DAT", std::ios::in | std::ios::out | std::ios::binary);
    for (size_t p = nt::kHeaderSize; p + nt::kRecordSize <= notes.size(); p += nt::kRecordSize) {
      if (GetI32(reinterpret_cast<const uint8_t*>(notes.data() + p + nt::kNumber.offset)) == note) {
        file.seekp(std::streamoff(p));
        file.put(char(255));
      }
    }
    ASSERT_TRUE(file.good());
  }
  ASSERT_EQ(Run({"reindex", office, "NOTE"}).status, 0);
  ExpectOneProblem(table + ".DAT: record " + std::to_string(n) +
                   ", long-text note: " + std::to_string(note) + ", a note that does not exist");
}

INSTANTIATE_TEST_SUITE_P(Messages, AdminCheckLongTextTest, ::testing::Values("MESSAGE", "SENDLOG"));

// One impossible value a case, each in a fresh office.
struct Damage {
  const char* table;
  char kind;  // of the message damaged
  Field where;
  AdminTest::Spoiling how;
  int value;          // the byte, number or fill character
  const char* bytes;  // a text written with its NUL instead, when not empty
  const char* field;  // as check names it
  const char* said;
};

void PrintTo(const Damage& d, std::ostream* os) {
  *os << d.table << " " << d.kind << ", " << d.field << ": " << d.said;
}

class AdminCheckMessageDamageTest : public AdminCheckMessagesTest,
                                    public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckMessageDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  const Damage& d = GetParam();
  const int n = RecordOf(d.table, d.kind);
  const std::string pastLast = std::to_string(LastIssued("MESSAGE") + 1);
  if (*d.bytes)
    Write(d.table, d.kind, d.where, std::string(d.bytes, std::strlen(d.bytes) + 1));
  else
    Spoil(d.table, n, d.where, d.how, d.value, "MESSAGE");
  ExpectOneProblem(std::string(d.table) + ".DAT: record " + std::to_string(n) + ", " + d.field +
                   ": " + (d.how == kNumberPastLast ? pastLast : "") + d.said);
}

// A byte written as a one-character text: the byte and the NUL after it.
#define BYTE(v) AdminTest::kByte, 0, v

INSTANTIATE_TEST_SUITE_P(
    Messages, AdminCheckMessageDamageTest,
    ::testing::Values(
        Damage{"MESSAGE", 'M', msg::kMark, AdminTest::kFill, 7, "", "mark", "7, not 0"},
        Damage{"MESSAGE", 'M', msg::kKind, AdminTest::kFill, 'X', "", "kind", "88, not 'P', 'M'"},
        Damage{"MESSAGE", 'M', msg::kKind, AdminTest::kFill, 0, "", "kind", "0, not 'P', 'M'"},
        Damage{"MESSAGE", 'M', msg::kFolder, AdminTest::kNumber, 0, "", "folder",
               "0, neither 1 (new), 3 (archive) nor a folder number"},
        Damage{"MESSAGE", 'M', msg::kFolder, AdminTest::kNumber, -1, "", "folder", "-1, neither"},
        Damage{"MESSAGE", 'M', msg::kNumber, AdminTest::kNumber, 0, "", "message number",
               "0, not a number the message table issued (1 to 3)"},
        Damage{"MESSAGE", 'M', msg::kNumber, AdminTest::kNumberPastLast, 0, "", "message number",
               ", not a number the message table issued"},
        Damage{"MESSAGE", 'M', msg::kFlags, AdminTest::kFill, 8, "", "flags",
               "8, not made of 1, 2 and 4"},
        Damage{"MESSAGE", 'M', msg::kFlags, AdminTest::kFill, 255, "", "flags", "255, not made of"},
        Damage{"MESSAGE", 'M', msg::kTo, AdminTest::kFill, 'B', "", "to",
               "no NUL within its 21 bytes"},
        Damage{"MESSAGE", 'M', Field{msg::kTo.offset, 1}, AdminTest::kFill, 0, "", "to", "empty"},
        Damage{"MESSAGE", 'M', msg::kFrom, AdminTest::kFill, 'A', "", "from",
               "no NUL within its 21"},
        Damage{"MESSAGE", 'M', msg::kLogNote, AdminTest::kNumber, -1, "", "log note",
               "-1, neither 0 (none) nor a note number"},
        Damage{"MESSAGE", 'M', msg::kAttachedNote, AdminTest::kNumber, -5, "", "attached note",
               "-5, neither 0"},
        Damage{"MESSAGE", 'M', msg::kLongTextNote, AdminTest::kNumber, INT32_MIN, "",
               "long-text note", "-2147483648, neither 0"},
        Damage{"MESSAGE", 'M', msg::kMemoText, AdminTest::kFill, 'x', "", "text",
               "no NUL within its 417 bytes"},
        Damage{"MESSAGE", 'P', msg::kCompany, AdminTest::kFill, 'x', "", "company",
               "no NUL within its 30"},
        Damage{"MESSAGE", 'P', msg::kPhone, AdminTest::kFill, '5', "", "phone",
               "no NUL within its 21"},
        Damage{"MESSAGE", 'P', msg::kExtension, AdminTest::kFill, '1', "", "extension",
               "no NUL within its 11"},
        Damage{"MESSAGE", 'P', msg::kPhoneText, AdminTest::kFill, 'x', "", "text",
               "no NUL within its 261"},
        Damage{"MESSAGE", 'P', msg::kBy, AdminTest::kFill, 'R', "", "by", "no NUL within its 4"},
        Damage{"MESSAGE", 'P', msg::kRush, BYTE("X"), "Rush", "\"X\", neither empty nor \"><\""},
        Damage{"MESSAGE", 'P', msg::kCallBack, BYTE("<>"), "Call back", "\"<>\", neither"},
        Damage{"MESSAGE", 'P', msg::kReturnedCall, AdminTest::kFill, '>', "", "Returned call",
               "\">>>\", neither"},
        Damage{"MESSAGE", 'P', msg::kWillCall, BYTE(">"), "Will call", "\">\", neither"},
        Damage{"MESSAGE", 'E', msg::kSenderAddress, AdminTest::kFill, 'a', "", "sender address",
               "no NUL within its 128"},
        Damage{"MESSAGE", 'E', msg::kSubject, AdminTest::kFill, 's', "", "subject",
               "no NUL within its 128"},
        Damage{"MESSAGE", 'E', msg::kRawStem, AdminTest::kFill, '9', "", "raw e-mail file",
               "no NUL within its 161"},
        Damage{"SENDLOG", 'M', msg::kMark, AdminTest::kFill, 1, "", "mark", "1, not 0"},
        Damage{"SENDLOG", 'P', msg::kKind, AdminTest::kFill, 'p', "", "kind", "112, not 'P'"},
        Damage{"SENDLOG", 'M', msg::kFolder, AdminTest::kNumber, -7, "", "folder", "-7, neither"},
        Damage{"SENDLOG", 'M', msg::kNumber, AdminTest::kNumberPastLast, 0, "", "message number",
               ", not a number the message table issued (1 to 3)"},
        Damage{"SENDLOG", 'M', msg::kFlags, AdminTest::kFill, 16, "", "flags", "16, not made of"},
        Damage{"SENDLOG", 'M', msg::kTo, AdminTest::kFill, 'B', "", "to", "no NUL within its 21"},
        Damage{"SENDLOG", 'M', msg::kLongTextNote, AdminTest::kNumber, -1, "", "long-text note",
               "-1, neither 0"},
        Damage{"SENDLOG", 'P', msg::kWillCall, BYTE("?"), "Will call", "\"?\", neither"},
        Damage{"SENDLOG", 'E', msg::kSubject, AdminTest::kFill, 's', "", "subject",
               "no NUL within its 128"}));

#undef BYTE

// The values at the edge of what each field can hold are clean: every flag
// bit, a folder's number, the last issued message number, note numbers
// (an attached note may outlive its use),
// full-width texts, untouched tick boxes, and for a kind the fields of the
// other kinds' bodies (a memo's text runs over a phone message's ticks).
TEST_F(AdminCheckMessagesTest, TheEdgesOfEachFieldsValuesAreClean) {
  for (const char* table : {"MESSAGE", "SENDLOG"}) {
    // Each sent in a second of its own, so that the indexes take every key
    // while the numbers are exchanged.
    WriteNumber(table, 'P', msg::kTime, 1000000000);
    WriteNumber(table, 'M', msg::kTime, 1100000000);
    WriteNumber(table, 'E', msg::kTime, 1200000000);
    Write(table, 'M', msg::kFlags, std::string(1, char(7)));
    WriteNumber(table, 'M', msg::kFolder, 2);
    WriteNumber(table, 'P', msg::kFolder, INT32_MAX);
    WriteNumber(table, 'E', msg::kFolder, 3);
    WriteNumber(table, 'M', msg::kNumber, int32_t(LastIssued("MESSAGE")));
    WriteNumber(table, 'E', msg::kNumber, 1);
    WriteNumber(table, 'P', msg::kNumber, 2);
    WriteNumber(table, 'M', msg::kAttachedNote, INT32_MAX);
    WriteNumber(table, 'M', msg::kLogNote, 0);
    Write(table, 'M', msg::kTo, std::string(20, 'B'));
    Write(table, 'M', msg::kFrom, std::string(20, 'A'));
    Write(table, 'M', msg::kMemoText, std::string(416, '>'));
    Write(table, 'P', msg::kRush, std::string(3, '\0'));
    Write(table, 'P', msg::kPhoneText, std::string(260, 'x'));
    Write(table, 'E', msg::kSubject, std::string(127, 's'));
  }
  ExpectCheckClean();
}

}  // namespace
