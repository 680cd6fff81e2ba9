// dpadmin check against message records ("MESSAGE" and its send log
// "SENDLOG") whose fields hold what no message record can: ANNE, whose
// send-log option is on, sends BOB a phone message, a memo and an e-mail;
// each impossible value is written into one of the real records, the
// table's indexes are rebuilt so that they agree with the damage, and check
// must name table, record and field and say "problems found".
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "storage/file.h"
#include "storage/le.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "storage/records/note.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace msg = records::message;
namespace nm = records::name;
namespace nt = records::note;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class AdminCheckMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    office = scratch.File("office/");
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

  DpadminRun Run(const std::vector<std::string>& args) { return RunDpadmin(args, scratch.Path()); }
  std::string Expect(const std::vector<std::string>& args) {
    DpadminRun run = Run(args);
    EXPECT_EQ(run.status, 0) << args[0] << "\n" << ShowRun(run);
    return run.out;
  }

  // Turns a person's send-log option on in their name record, as the
  // options window does (the byte is no part of any index key).
  void KeepSendLog(const std::string& name) {
    const std::string all = ReadWholeFile(office + "NAME.DAT");
    for (size_t at = nm::kHeaderSize; at + nm::kRecordSize <= all.size(); at += nm::kRecordSize) {
      if (all[at] != 0 || all.compare(at + size_t(nm::kName.offset), name.size() + 1, name.c_str(),
                                      name.size() + 1) != 0)
        continue;
      std::fstream file(office + "NAME.DAT", std::ios::in | std::ios::out | std::ios::binary);
      file.seekp(std::streamoff(at) + nm::kSendLog.offset);
      file.put(1);
      ASSERT_TRUE(file.good());
      return;
    }
    FAIL() << name << " has no record";
  }

  std::string Records(const std::string& table) const {
    return ReadWholeFile(office + table + ".DAT");
  }
  // A send-log copy keeps the number "MESSAGE" gave the copy it was made of.
  uint32_t LastIssued(const std::string& table) const {
    return GetU32(reinterpret_cast<const uint8_t*>(Records(table).data()));
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
  int32_t NumberOf(const std::string& table, char kind) const {
    const std::string all = Records(table);
    const size_t at = msg::kHeaderSize + size_t(RecordOf(table, kind)) * msg::kRecordSize;
    return GetI32(reinterpret_cast<const uint8_t*>(all.data() + at + msg::kNumber.offset));
  }
  // Overwrites bytes of a field of the message of a kind (at most the
  // field's width), then rebuilds the table's indexes from the records.
  void Write(const std::string& table, char kind, Field field, const std::string& bytes) {
    ASSERT_LE(bytes.size(), size_t(field.width));
    const int n = RecordOf(table, kind);
    ASSERT_GE(n, 0);
    std::fstream file(office + table + ".DAT", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(std::streamoff(msg::kHeaderSize) + std::streamoff(n) * msg::kRecordSize +
               field.offset);
    file.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(file.good());
    file.close();
    DpadminRun reindex = Run({"reindex", office, table});
    ASSERT_EQ(reindex.status, 0) << ShowRun(reindex);
  }
  void WriteNumber(const std::string& table, char kind, Field field, int32_t value) {
    uint8_t bytes[4];
    PutI32(bytes, value);
    Write(table, kind, field, std::string(reinterpret_cast<const char*>(bytes), 4));
  }

  TempDir scratch;
  std::string office;
};

TEST_F(AdminCheckMessagesTest, MessagesAndTheirSendLogCopiesCheckClean) {
  ASSERT_GE(RecordOf("SENDLOG", 'E'), 0);
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
}

TEST_F(AdminCheckMessagesTest, AMessageNumberHeldByTwoRecordsIsReportedOnce) {
  for (const char* table : {"MESSAGE", "SENDLOG"}) {
    SCOPED_TRACE(table);
    const int32_t memo = NumberOf(table, 'M');
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
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
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
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, table + ".DAT: record " + std::to_string(n) +
                                      ", long-text note: " + std::to_string(note) +
                                      ", a note that does not exist"))
      << check.out;
  EXPECT_TRUE(Contains(check.out, "1 problem found")) << check.out;
}

INSTANTIATE_TEST_SUITE_P(Messages, AdminCheckLongTextTest, ::testing::Values("MESSAGE", "SENDLOG"));

// One impossible value a case, each in a fresh office.
struct Damage {
  const char* table;
  char kind;  // of the message damaged
  Field where;
  enum { kBytes, kNumber, kFill, kNumberPastLast } how;
  int value;          // the number, or the fill character
  const char* bytes;  // for kBytes
  const char* field;  // as check names it
  const char* said;
};

class AdminCheckMessageDamageTest : public AdminCheckMessagesTest,
                                    public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckMessageDamageTest, EachImpossibleValueIsReportedWithTableRecordAndField) {
  const Damage& d = GetParam();
  const int n = RecordOf(d.table, d.kind);
  const std::string pastLast = std::to_string(LastIssued("MESSAGE") + 1);
  switch (d.how) {
    case Damage::kBytes:
      Write(d.table, d.kind, d.where, std::string(d.bytes, std::strlen(d.bytes) + 1));
      break;
    case Damage::kNumber:
      WriteNumber(d.table, d.kind, d.where, d.value);
      break;
    case Damage::kNumberPastLast:
      WriteNumber(d.table, d.kind, d.where, int32_t(LastIssued("MESSAGE")) + 1);
      break;
    case Damage::kFill:
      Write(d.table, d.kind, d.where, std::string(size_t(d.where.width), char(d.value)));
  }
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 1) << ShowRun(check);
  const std::string line = std::string(d.table) + ".DAT: record " + std::to_string(n) + ", " +
                           d.field + ": " + (d.how == Damage::kNumberPastLast ? pastLast : "") +
                           d.said;
  EXPECT_TRUE(Contains(check.out, line)) << line << "\n" << check.out;
  EXPECT_TRUE(Contains(check.out, "1 problem found")) << check.out;
}

// A byte written as a one-character text: the byte and the NUL after it.
#define BYTE(v) Damage::kBytes, 0, v

INSTANTIATE_TEST_SUITE_P(
    Messages, AdminCheckMessageDamageTest,
    ::testing::Values(
        Damage{"MESSAGE", 'M', msg::kMark, Damage::kFill, 7, "", "mark", "7, not 0"},
        Damage{"MESSAGE", 'M', msg::kKind, Damage::kFill, 'X', "", "kind", "88, not 'P', 'M'"},
        Damage{"MESSAGE", 'M', msg::kKind, Damage::kFill, 0, "", "kind", "0, not 'P', 'M'"},
        Damage{"MESSAGE", 'M', msg::kFolder, Damage::kNumber, 0, "", "folder",
               "0, neither 1 (new), 3 (archive) nor a folder number"},
        Damage{"MESSAGE", 'M', msg::kFolder, Damage::kNumber, -1, "", "folder", "-1, neither"},
        Damage{"MESSAGE", 'M', msg::kNumber, Damage::kNumber, 0, "", "message number",
               "0, not a number the message table issued (1 to 3)"},
        Damage{"MESSAGE", 'M', msg::kNumber, Damage::kNumberPastLast, 0, "", "message number",
               ", not a number the message table issued"},
        Damage{"MESSAGE", 'M', msg::kFlags, Damage::kFill, 8, "", "flags",
               "8, not made of 1, 2 and 4"},
        Damage{"MESSAGE", 'M', msg::kFlags, Damage::kFill, 255, "", "flags", "255, not made of"},
        Damage{"MESSAGE", 'M', msg::kTo, Damage::kFill, 'B', "", "to",
               "no NUL within its 21 bytes"},
        Damage{"MESSAGE", 'M', Field{msg::kTo.offset, 1}, Damage::kFill, 0, "", "to", "empty"},
        Damage{"MESSAGE", 'M', msg::kFrom, Damage::kFill, 'A', "", "from", "no NUL within its 21"},
        Damage{"MESSAGE", 'M', msg::kLogNote, Damage::kNumber, -1, "", "log note",
               "-1, neither 0 (none) nor a note number"},
        Damage{"MESSAGE", 'M', msg::kAttachedNote, Damage::kNumber, -5, "", "attached note",
               "-5, neither 0"},
        Damage{"MESSAGE", 'M', msg::kLongTextNote, Damage::kNumber, INT32_MIN, "", "long-text note",
               "-2147483648, neither 0"},
        Damage{"MESSAGE", 'M', msg::kMemoText, Damage::kFill, 'x', "", "text",
               "no NUL within its 417 bytes"},
        Damage{"MESSAGE", 'P', msg::kCompany, Damage::kFill, 'x', "", "company",
               "no NUL within its 30"},
        Damage{"MESSAGE", 'P', msg::kPhone, Damage::kFill, '5', "", "phone",
               "no NUL within its 21"},
        Damage{"MESSAGE", 'P', msg::kExtension, Damage::kFill, '1', "", "extension",
               "no NUL within its 11"},
        Damage{"MESSAGE", 'P', msg::kPhoneText, Damage::kFill, 'x', "", "text",
               "no NUL within its 261"},
        Damage{"MESSAGE", 'P', msg::kBy, Damage::kFill, 'R', "", "by", "no NUL within its 4"},
        Damage{"MESSAGE", 'P', msg::kRush, BYTE("X"), "Rush", "\"X\", neither empty nor \"><\""},
        Damage{"MESSAGE", 'P', msg::kCallBack, BYTE("<>"), "Call back", "\"<>\", neither"},
        Damage{"MESSAGE", 'P', msg::kReturnedCall, Damage::kFill, '>', "", "Returned call",
               "\">>>\", neither"},
        Damage{"MESSAGE", 'P', msg::kWillCall, BYTE(">"), "Will call", "\">\", neither"},
        Damage{"MESSAGE", 'E', msg::kSenderAddress, Damage::kFill, 'a', "", "sender address",
               "no NUL within its 128"},
        Damage{"MESSAGE", 'E', msg::kSubject, Damage::kFill, 's', "", "subject",
               "no NUL within its 128"},
        Damage{"MESSAGE", 'E', msg::kRawStem, Damage::kFill, '9', "", "raw e-mail file",
               "no NUL within its 161"},
        Damage{"SENDLOG", 'M', msg::kMark, Damage::kFill, 1, "", "mark", "1, not 0"},
        Damage{"SENDLOG", 'P', msg::kKind, Damage::kFill, 'p', "", "kind", "112, not 'P'"},
        Damage{"SENDLOG", 'M', msg::kFolder, Damage::kNumber, -7, "", "folder", "-7, neither"},
        Damage{"SENDLOG", 'M', msg::kNumber, Damage::kNumberPastLast, 0, "", "message number",
               ", not a number the message table issued (1 to 3)"},
        Damage{"SENDLOG", 'M', msg::kFlags, Damage::kFill, 16, "", "flags", "16, not made of"},
        Damage{"SENDLOG", 'M', msg::kTo, Damage::kFill, 'B', "", "to", "no NUL within its 21"},
        Damage{"SENDLOG", 'M', msg::kLongTextNote, Damage::kNumber, -1, "", "long-text note",
               "-1, neither 0"},
        Damage{"SENDLOG", 'P', msg::kWillCall, BYTE("?"), "Will call", "\"?\", neither"},
        Damage{"SENDLOG", 'E', msg::kSubject, Damage::kFill, 's', "", "subject",
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
  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_TRUE(Contains(check.out, "no problems found")) << check.out;
}

}  // namespace
