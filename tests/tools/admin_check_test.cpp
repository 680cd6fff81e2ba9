// dpadmin check against records whose fields hold what no record can. Each
// office is made by dpadmin (and the data layer) as the programs store it;
// each impossible value is written into one of its real records through the
// record layout, the table's indexes are rebuilt so that they agree with the
// damage, and check must name table, record and field and find one problem.
#include <fstream>
#include <string>
#include <vector>

#include "data/phone/phone_category.h"
#include "storage/records/cc.h"
#include "storage/records/folder.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "storage/records/note.h"
#include "storage/records/phone.h"
#include "storage/records/sched.h"
#include "storage/records/todo.h"
#include "tests/tools/admin_test.h"

namespace {

namespace cc = records::cc;
namespace ct = records::cat;
namespace fo = records::folder;
namespace lc = records::lc;
namespace msg = records::message;
namespace nm = records::name;
namespace nt = records::note;
namespace ph = records::phone;
namespace sc = records::sched;
namespace td = records::todo;

constexpr int32_t kDay = 24 * 3600;

// Record numbers of what MakeOffice adds, in the order it adds them.
constexpr int kAnne = 1, kBob = 2, kTeam = 3;        // NAME, after "* - ALL"
constexpr int kPhoneMsg = 0, kMemo = 1, kEmail = 2;  // MESSAGE and SENDLOG
constexpr int kFischer = 0, kLang = 1;               // PHONE: the common list's, ANNE's
// CAT 0 is the common list's "Clients", 1 ANNE's "Friends"; LC 0 puts
// Fischer into Clients, 1 Lang into Friends.
constexpr int kDentist = 0;       // ANNE's, 9:30 to 10:30, alarm 9:15
constexpr int kOfficeClosed = 1;  // the common schedule's, untimed
constexpr int kStandup = 2;       // BOB's, the first of a weekly repeat
constexpr int kCall = 0;          // ANNE's to-do item

class AdminCheckTest : public AdminTest {
 protected:
  // An office with real records of the table.
  void MakeOffice(const std::string& table) {
    if (table == "FOLDER" || table == "NOTE" || table == "CC") {
      // The demo office has a common folder; each copy of a memo too long
      // for its record to the group *SALES gets a note of two parts and a
      // CC record.
      Expect({"demo", office});
      Expect({"send", office, "--from", "ANNE", "--to", "*SALES", "--kind", "memo", "--cc",
              "--text", std::string(600, 'x')});
      return;
    }
    Expect({"create", office});
    Expect({"add-name", office, "ANNE", "BOB"});
    if (table == "NAME") Expect({"add-group", office, "*TEAM", "ANNE", "BOB"});
    if (table == "MESSAGE" || table == "SENDLOG") {
      KeepSendLog("ANNE");
      Expect({"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "phone", "--caller",
              "Mr. Fischer", "--company", "Fischer & Sons", "--rush", "--call-back", "--by", "REC",
              "--text", "Please call back."});
      Expect({"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "memo", "--text",
              "Lunch at noon?"});
      Expect({"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "email", "--subject",
              "Proofs", "--body", "Sent by courier."});
    }
    if (table == "PHONE" || table == "CAT" || table == "LC") AddPhoneListWithCategories();
    if (table == "SCHED" || table == "TODO") {
      Expect({"add-entry", office, "ANNE", "3-15-27", "9:30AM", "10:30AM", "9:15AM", "Dentist"});
      Expect({"add-entry", office, "* COMMON", "3-16-27", "Office closed"});
      Expect({"add-entry", office, "BOB", "3-17-27", "8:00AM", "", "", "Standup", "--every", "7",
              "--until", "3-31-27"});
      Expect({"add-todo", office, "ANNE", "3-15-27", "--priority", "2", "Call Mr. Fischer"});
    }
  }

  void AddPhoneListWithCategories() {
    Expect({"add-phone", office, "COMMON", "--listname", "FISCHER, KARL", "--phone", "555-0142",
            "--company", "Fischer & Sons", "--city", "Springfield"});
    Expect({"add-phone", office, "ANNE", "--listname", "LANG, DR. EVA", "--phone", "555-0199"});
    const int32_t lists[] = {ph::kCommonList, NumberOf("ANNE")};
    const int32_t entries[] = {Number("PHONE", kFischer, ph::kEntryNumber),
                               Number("PHONE", kLang, ph::kEntryNumber)};
    SetDataDirectory(office);
    CategoryTable categories;
    AssignmentTable assignments;
    ASSERT_EQ(CategoryOpen(categories), 1);
    ASSERT_EQ(AssignmentOpen(assignments), 1);
    const char* names[] = {"Clients", "Friends"};
    for (int i = 0; i < 2; ++i) {
      CategoryRecord added;
      CategorySet set;
      EXPECT_EQ(CategoryAdd(categories, lists[i], names[i], &added), 1);
      EXPECT_EQ(CategoryToggle(assignments, entries[i], added.Number(), &set), 1);
    }
    CategoryClose(categories);
    AssignmentClose(assignments);
    SetDataDirectory("");
  }
};

// How a field is spoiled.
enum Spoiling {
  kFill,        // every byte of it the character value
  kText,        // the text, with its NUL
  kNumber,      // the number value
  kPastLast,    // the number after the last one the counter table issued
  kAfterStart,  // the record's start plus value
  kNumberOf,    // the field's number in record value
};

// One impossible value a case, each in a fresh office.
struct Damage {
  const char* table;
  int record;
  Field where;
  Spoiling how;
  int32_t value;
  const char* field;         // as check names it
  const char* said;          // after the number, for a number; for a fill, "" when no NUL
  const char* counter = "";  // for kPastLast, when not the table itself
  const char* text = "";     // for kText
};

void PrintTo(const Damage& d, std::ostream* os) {
  *os << d.table << " record " << d.record << ", " << d.field << ": " << d.value << d.said;
}

class AdminCheckDamageTest : public AdminCheckTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(AdminCheckDamageTest, IsReportedWithTableRecordAndField) {
  const Damage& d = GetParam();
  const std::string table = d.table;
  MakeOffice(table);
  std::string said = d.said;
  if (d.how == kFill) {
    Write(table, d.record, d.where, std::string(size_t(d.where.width), char(d.value)));
    if (said.empty()) said = "no NUL within its " + std::to_string(d.where.width) + " bytes";
  } else if (d.how == kText) {
    Write(table, d.record, d.where, std::string(d.text) + '\0');
  } else {
    int32_t number = d.value;
    if (d.how == kPastLast) number = int32_t(LastIssued(*d.counter ? d.counter : d.table)) + 1;
    if (d.how == kAfterStart) number += Number(table, d.record, sc::kStart);
    if (d.how == kNumberOf) number = Number(table, d.value, d.where);
    WriteNumber(table, d.record, d.where, number);
    said = std::to_string(number) + said;
  }
  ExpectOneProblem(table + ".DAT: record " + std::to_string(d.record) + ", " + d.field + ": " +
                   said);
}

const Damage kNames[] = {
    {"NAME", kAnne, nm::kMark, kFill, 7, "mark", "7, not 0"},
    // What the administrator met: a name number the table never issued,
    // which made ANNE's password look set and her schedule and lists empty.
    {"NAME", kAnne, nm::kNumber, kNumber, -1304825236, "name number",
     ", not a number the table issued"},
    {"NAME", kAnne, nm::kNumber, kNumber, 0, "name number", ", not a number"},
    {"NAME", kAnne, nm::kNumber, kPastLast, 0, "name number", ", not a number"},
    {"NAME", kBob, nm::kNumber, kNumberOf, kAnne, "name number",
     ", already the number of record 1"},
    {"NAME", kAnne, nm::kName, kFill, 'A', "name", ""},
    {"NAME", kAnne, Field{1, 1}, kFill, ' ', "name", "begins with byte 32, below '*'"},
    {"NAME", kAnne, Field{1, 1}, kFill, 0, "name", "empty"},
    {"NAME", kTeam, nm::kName, kFill, '*', "name", ""},
    {"NAME", kAnne, nm::kPassword, kFill, 'x', "user password", ""},
    {"NAME", kAnne, nm::kInitials, kFill, 'x', "initials", ""},
    {"NAME", kAnne, nm::kModemPrefix, kFill, 'x', "modem prefix", ""},
    {"NAME", kAnne, nm::kModemSuffix, kFill, 'x', "modem suffix", ""},
    {"NAME", kAnne, nm::kPhoneListName, kFill, 'x', "phone list owner name", ""},
    {"NAME", kAnne, nm::kEmailFrom, kFill, 'x', "Email from", ""},
    {"NAME", kAnne, nm::kDefaultKind, kFill, 3, "default message type", "3, not 0 to 2"},
    {"NAME", kAnne, nm::kListOrder, kFill, 2, "message list order", "2, not 0 to 1"},
    {"NAME", kAnne, nm::kSoundRepeat, kFill, 7, "alert sound repeat", "7, not 0 to 6"},
    {"NAME", kAnne, nm::kNotify, kFill, 2, "notify", "2, not 0 to 1"},
    {"NAME", kAnne, nm::kAddedHere, kFill, 1, "added here", "1, not 0 or 2"},
    {"NAME", kAnne, nm::kModemPort, kFill, 4, "modem port", "4, not 0 to 3"},
    {"NAME", kAnne, nm::kSendLog, kFill, 2, "send log", "2, not 0 to 1"},
    {"NAME", kAnne, nm::kFromSearch, kFill, 2, "FROM search", "2, not 0 to 1"},
    {"NAME", kAnne, nm::kAllCaps, kFill, 255, "All Caps", "255, not 0 to 1"},
    {"NAME", kAnne, nm::kNoLongDistanceOne, kFill, 2, "long-distance 1", "2, not 0 to 1"},
    {"NAME", kAnne, nm::kSignature, kFill, 3, "default signature", "3, not 0 to 2"},
    {"NAME", kAnne, nm::kAutoFormat, kFill, 2, "Auto format E-mails", "2, not 0 to 1"},
    {"NAME", kAnne, nm::kProtectedAreas, kFill, 32, "protected areas", "32, not 0 to 31"},
    {"NAME", kAnne, nm::kPhoneListNumber, kPastLast, 0, "phone list owner number",
     ", neither 0 (COMMON) nor a number the table issued"},
    {"NAME", kAnne, nm::kPhoneListNumber, kNumber, -1, "phone list owner number", ", neither 0"},
    {"NAME", kTeam, nm::Member(5), kPastLast, 0, "member 6", ", not a number the table issued"},
    {"NAME", kTeam, nm::Member(99), kNumber, -3, "member 100", ", not a number the table issued"},
};
INSTANTIATE_TEST_SUITE_P(Names, AdminCheckDamageTest, ::testing::ValuesIn(kNames));

// A send-log copy is checked as a message is; its number is one the
// message table issued.
const Damage kMessages[] = {
    {"MESSAGE", kMemo, msg::kMark, kFill, 7, "mark", "7, not 0"},
    {"MESSAGE", kMemo, msg::kKind, kFill, 'X', "kind", "88, not 'P', 'M'"},
    {"MESSAGE", kMemo, msg::kFolder, kNumber, 0, "folder",
     ", neither 1 (new), 3 (archive) nor a folder number"},
    {"MESSAGE", kMemo, msg::kNumber, kNumber, 0, "message number",
     ", not a number the message table issued (1 to 3)"},
    {"MESSAGE", kMemo, msg::kNumber, kPastLast, 0, "message number",
     ", not a number the message table issued"},
    {"MESSAGE", kMemo, msg::kFlags, kFill, 8, "flags", "8, not made of 1, 2 and 4"},
    {"MESSAGE", kMemo, msg::kTo, kFill, 'B', "to", ""},
    {"MESSAGE", kMemo, Field{msg::kTo.offset, 1}, kFill, 0, "to", "empty"},
    {"MESSAGE", kMemo, msg::kFrom, kFill, 'A', "from", ""},
    {"MESSAGE", kMemo, msg::kLogNote, kNumber, -1, "log note",
     ", neither 0 (none) nor a note number"},
    {"MESSAGE", kMemo, msg::kAttachedNote, kNumber, -5, "attached note", ", neither 0"},
    {"MESSAGE", kMemo, msg::kLongTextNote, kNumber, INT32_MIN, "long-text note", ", neither 0"},
    {"MESSAGE", kMemo, msg::kMemoText, kFill, 'x', "text", ""},
    {"MESSAGE", kPhoneMsg, msg::kCompany, kFill, 'x', "company", ""},
    {"MESSAGE", kPhoneMsg, msg::kPhone, kFill, '5', "phone", ""},
    {"MESSAGE", kPhoneMsg, msg::kExtension, kFill, '1', "extension", ""},
    {"MESSAGE", kPhoneMsg, msg::kPhoneText, kFill, 'x', "text", ""},
    {"MESSAGE", kPhoneMsg, msg::kBy, kFill, 'R', "by", ""},
    {"MESSAGE", kPhoneMsg, msg::kRush, kText, 0, "Rush", "\"X\", neither empty nor \"><\"", "",
     "X"},
    {"MESSAGE", kPhoneMsg, msg::kCallBack, kText, 0, "Call back", "\"<>\", neither", "", "<>"},
    {"MESSAGE", kPhoneMsg, msg::kReturnedCall, kFill, '>', "Returned call", "\">>>\", neither"},
    {"MESSAGE", kPhoneMsg, msg::kWillCall, kText, 0, "Will call", "\">\", neither", "", ">"},
    {"MESSAGE", kEmail, msg::kSenderAddress, kFill, 'a', "sender address", ""},
    {"MESSAGE", kEmail, msg::kSubject, kFill, 's', "subject", ""},
    {"MESSAGE", kEmail, msg::kRawStem, kFill, '9', "raw e-mail file", ""},
    {"SENDLOG", kMemo, msg::kNumber, kPastLast, 0, "message number",
     ", not a number the message table issued (1 to 3)", "MESSAGE"},
};
INSTANTIATE_TEST_SUITE_P(Messages, AdminCheckDamageTest, ::testing::ValuesIn(kMessages));

const Damage kPhoneList[] = {
    {"PHONE", kFischer, ph::kNote, kNumber, -1, "note number",
     ", neither 0 (none) nor a note number"},
    {"PHONE", kFischer, ph::kEntryNumber, kNumber, 0, "entry number",
     ", not a number the table issued (1 to 2)"},
    {"PHONE", kLang, ph::kEntryNumber, kPastLast, 0, "entry number",
     ", not a number the table issued"},
    {"PHONE", kLang, ph::kEntryNumber, kNumberOf, kFischer, "entry number",
     ", already the number of record 0"},
    {"PHONE", kFischer, ph::kList, kNumber, -1, "list number",
     ", neither 0 (COMMON) nor a number the name table issued (1 to 3)"},
    {"PHONE", kLang, ph::kList, kPastLast, 0, "list number", ", neither 0", "NAME"},
    {"PHONE", kLang, Field{0, 1}, kFill, 0, "Listname", "empty"},
    {"CAT", 0, ct::kName, kFill, 'C', "name", ""},
    {"CAT", 1, Field{0, 1}, kFill, 0, "name", "empty"},
    {"CAT", 0, ct::kNumber, kNumber, 0, "category number",
     ", not a number the table issued (1 to 2)"},
    {"CAT", 1, ct::kNumber, kNumberOf, 0, "category number", ", already the number of record 0"},
    {"CAT", 0, ct::kList, kNumber, -1, "list number",
     ", neither 0 (COMMON) nor a number the name table issued (1 to 3)"},
    {"CAT", 1, ct::kList, kPastLast, 0, "list number", ", neither 0", "NAME"},
    {"LC", 0, lc::kMark, kFill, 1, "mark", "1, not 0 (or 255 for deleted)"},
    {"LC", 0, lc::kEntryNumber, kNumber, 0, "entry number",
     ", not a number the phone table issued (1 to 2)"},
    {"LC", 1, lc::kEntryNumber, kPastLast, 0, "entry number",
     ", not a number the phone table issued", "PHONE"},
    {"LC", 1, lc::kCategory, kPastLast, 0, "category number",
     ", not a number the category table issued", "CAT"},
};
INSTANTIATE_TEST_SUITE_P(PhoneList, AdminCheckDamageTest, ::testing::ValuesIn(kPhoneList));

// Every text field of an entry filled to its width leaves no room for its NUL.
std::vector<Damage> PhoneTexts() {
  std::vector<Damage> out;
  for (const auto& [where, label] :
       std::initializer_list<std::pair<Field, const char*>>{{ph::kListname, "Listname"},
                                                            {ph::kCompany, "Company"},
                                                            {ph::kStreet1, "Street 1"},
                                                            {ph::kStreet2, "Street 2"},
                                                            {ph::kCity, "City"},
                                                            {ph::kState, "State"},
                                                            {ph::kZip, "ZIP"},
                                                            {ph::kCountry, "Country"},
                                                            {ph::kContact, "Contact"},
                                                            {ph::kPhone1, "Phone 1"},
                                                            {ph::kExt1, "Ext 1"},
                                                            {ph::kPhone2, "Phone 2"},
                                                            {ph::kExt2, "Ext 2"},
                                                            {ph::kFax, "Fax"},
                                                            {ph::kCell, "Cell / Pager"},
                                                            {ph::kUrl, "URL"},
                                                            {ph::kEmail, "E-Mail"},
                                                            {ph::kId, "ID"},
                                                            {ph::kMisc, "Misc info"}})
    out.push_back({"PHONE", kLang, where, kFill, 'x', label, ""});
  return out;
}
INSTANTIATE_TEST_SUITE_P(PhoneTexts, AdminCheckDamageTest, ::testing::ValuesIn(PhoneTexts()));

const Damage kSchedule[] = {
    {"SCHED", kDentist, sc::kDescription, kFill, 'x', "description", ""},
    {"SCHED", kDentist, Field{0, 1}, kFill, 0, "description", "empty"},
    {"SCHED", kDentist, sc::kOwner, kNumber, 0, "owner",
     ", neither -1 (COMMON) nor a number the name table issued (1 to 3)"},
    {"SCHED", kStandup, sc::kOwner, kPastLast, 0, "owner", ", neither -1", "NAME"},
    {"SCHED", kDentist, sc::kEnd, kAfterStart, 0, "end",
     ", neither 0 (none) nor later than the start"},
    {"SCHED", kDentist, sc::kEnd, kAfterStart, kDay + 3600, "end", ", neither 0"},
    {"SCHED", kDentist, sc::kAlarm, kAfterStart, kDay + 3600, "alarm",
     ", neither 0 (none) nor on the date of the start"},
    {"SCHED", kDentist, sc::kAlarm, kAfterStart, -kDay - 3600, "alarm", ", neither 0"},
    {"SCHED", kOfficeClosed, sc::kNote, kFill, 'n', "note", ""},
    {"SCHED", kStandup, sc::kRepeatGroup, kNumber, -4, "repeat group",
     ", neither 0 (none) nor a number the table issued (1 to 6)"},
    {"SCHED", kDentist, sc::kRepeatGroup, kPastLast, 0, "repeat group", ", neither 0"},
    {"SCHED", kDentist, sc::kUniqueId, kNumber, 0, "unique id",
     ", not a number the table issued (1 to 6)"},
    {"SCHED", kStandup, sc::kUniqueId, kPastLast, 0, "unique id",
     ", not a number the table issued"},
    {"SCHED", kStandup, sc::kUniqueId, kNumberOf, kDentist, "unique id",
     ", already the number of record 0"},
    {"TODO", kCall, td::kText, kFill, 't', "text", ""},
    {"TODO", kCall, td::kOwner, kPastLast, 0, "owner", ", neither -1", "NAME"},
    {"TODO", kCall, td::kPriority, kFill, '9', "priority", ""},
    {"TODO", kCall, Field{td::kPriority.offset, 1}, kFill, 0, "priority", "empty"},
    {"TODO", kCall, td::kUniqueId, kNumber, -1, "unique id",
     ", not a number the table issued (1 to 1)"},
    {"TODO", kCall, td::kUniqueId, kPastLast, 0, "unique id", ", not a number the table issued"},
};
INSTANTIATE_TEST_SUITE_P(Schedule, AdminCheckDamageTest, ::testing::ValuesIn(kSchedule));

const Damage kSmallTables[] = {
    {"FOLDER", 0, fo::kName, kFill, 'F', "name", ""},
    {"FOLDER", 0, fo::kOwner, kNumber, -1, "owner",
     ", neither 0 (common) nor a number the name table issued (1 to 7)"},
    {"FOLDER", 0, fo::kOwner, kPastLast, 0, "owner", ", neither 0", "NAME"},
    {"FOLDER", 0, fo::kNumber, kNumber, 0, "folder number",
     ", not a number the table issued (1 to 2)"},
    {"FOLDER", 0, fo::kNumber, kPastLast, 0, "folder number", ", not a number the table issued"},
    {"NOTE", 1, Field{nt::kPart.offset, 1}, kFill, 8, "part number", "8, not 0 to 7"},
    {"NOTE", 1, nt::kNumber, kNumber, -2, "note number",
     ", not a number the table issued (1 to 2)"},
    {"NOTE", 3, nt::kNumber, kPastLast, 0, "note number", ", not a number the table issued"},
    {"CC", 0, cc::kMessageNumber, kNumber, 0, "message number",
     ", not a number the message table issued (1 to 8)"},
    {"CC", 1, cc::kMessageNumber, kPastLast, 0, "message number",
     ", not a number the message table issued", "MESSAGE"},
    {"CC", 0, cc::kName, kFill, 'B', "name", ""},
    {"CC", 1, Field{cc::kName.offset, 1}, kFill, 0, "name", "empty"},
};
INSTANTIATE_TEST_SUITE_P(SmallTables, AdminCheckDamageTest, ::testing::ValuesIn(kSmallTables));

// ---- what the damage table cannot write ----

TEST_F(AdminCheckTest, AMessageNumberHeldByTwoRecordsIsReportedOnce) {
  MakeOffice("MESSAGE");
  for (const std::string table : {"MESSAGE", "SENDLOG"}) {
    const int32_t memo = Number(table, kMemo, msg::kNumber);
    // Sent in another second, so that the indexes still take both keys.
    WriteNumber(table, kEmail, msg::kTime, 1000000000);
    WriteNumber(table, kEmail, msg::kNumber, memo);
    const std::string out = Exits(1, {"check", office, table}).out;
    EXPECT_TRUE(Contains(out, table + ".DAT: record 2, message number: " + std::to_string(memo) +
                                  ", already the number of record 1"));
    EXPECT_TRUE(Contains(out, "1 problem found"));
  }
}

// The folder index refuses a second record of one folder number, so the
// index problems are reported too; the record's field is named.
TEST_F(AdminCheckTest, AFolderNumberHeldByTwoRecordsIsReported) {
  MakeOffice("FOLDER");
  // A second folder: the first one's record copied under another name.
  std::string second = Records("FOLDER").substr(fo::kHeaderSize, fo::kRecordSize);
  second.replace(0, 8, std::string("Vendors\0", 8));
  std::ofstream(office + "FOLDER.DAT", std::ios::binary | std::ios::app) << second;
  EXPECT_TRUE(Contains(
      Exits(1, {"check", office, "FOLDER"}).out,
      "FOLDER.DAT: record 1, folder number: " + std::to_string(Number("FOLDER", 0, fo::kNumber)) +
          ", already the number of record 0"));
}

// A text too long for a message's record goes into a long-text note; every
// copy and every send-log copy owns a note of its own.
TEST_F(AdminCheckTest, LongTextNotesOfCopiesAndSendLogCopiesCheckClean) {
  MakeOffice("MESSAGE");
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
TEST_F(AdminCheckTest, ALongTextNoteThatDoesNotExistIsReported) {
  for (const std::string table : {"MESSAGE", "SENDLOG"}) {
    SCOPED_TRACE(table);
    office = scratch.File(table + "/");
    MakeOffice(table);
    Expect({"send", office, "--from", "ANNE", "--to", "BOB", "--kind", "memo", "--text",
            std::string(600, 'x')});
    const int32_t note = Number(table, 3, msg::kLongTextNote);
    ASSERT_GT(note, 0);
    // Every part of the note marked deleted, as a delete leaves them.
    const size_t parts = (Records("NOTE").size() - nt::kHeaderSize) / nt::kRecordSize;
    for (int n = 0; n < int(parts); ++n)
      if (Number("NOTE", n, nt::kNumber) == note) Write("NOTE", n, nt::kPart, "\xff");
    ExpectOneProblem(table + ".DAT: record 3, long-text note: " + std::to_string(note) +
                     ", a note that does not exist");
  }
}

// ---- the edges of what each field can hold are clean ----

// The highest value each field can hold, full-width texts, and a record or
// member number the table issued last.
TEST_F(AdminCheckTest, TheEdgesOfANamesFieldsAreClean) {
  MakeOffice("NAME");
  for (const auto& [field, top] :
       std::initializer_list<std::pair<Field, int>>{{nm::kDefaultKind, 2},
                                                    {nm::kListOrder, 1},
                                                    {nm::kSoundRepeat, 6},
                                                    {nm::kNotify, 1},
                                                    {nm::kAddedHere, 0},
                                                    {nm::kModemPort, 3},
                                                    {nm::kSendLog, 1},
                                                    {nm::kFromSearch, 1},
                                                    {nm::kAllCaps, 1},
                                                    {nm::kNoLongDistanceOne, 1},
                                                    {nm::kSignature, 2},
                                                    {nm::kAutoFormat, 1},
                                                    {nm::kProtectedAreas, 31}})
    Write("NAME", kAnne, field, std::string(1, char(top)));
  Write("NAME", kAnne, nm::kInitials, "ABC");
  Write("NAME", kAnne, nm::kEmailFrom, std::string(99, 'e'));
  Write("NAME", kAnne, nm::kName, std::string(19, 'A'));
  WriteNumber("NAME", kAnne, nm::kPhoneListNumber, int32_t(LastIssued("NAME")));
  WriteNumber("NAME", kTeam, nm::Member(99), int32_t(LastIssued("NAME")));
  WriteNumber("NAME", kTeam, nm::Member(98), 1);
  ExpectCheckClean();
}

// Every flag bit, a folder's number, the last issued message number, note
// numbers (an attached note may outlive its use), full-width texts,
// untouched tick boxes, and for a kind the fields of the other kinds'
// bodies (a memo's text runs over a phone message's ticks).
TEST_F(AdminCheckTest, TheEdgesOfAMessagesFieldsAreClean) {
  MakeOffice("MESSAGE");
  for (const char* table : {"MESSAGE", "SENDLOG"}) {
    // Each sent in a second of its own, so that the indexes take every key
    // while the numbers are exchanged.
    WriteNumber(table, kPhoneMsg, msg::kTime, 1000000000);
    WriteNumber(table, kMemo, msg::kTime, 1100000000);
    WriteNumber(table, kEmail, msg::kTime, 1200000000);
    Write(table, kMemo, msg::kFlags, std::string(1, char(7)));
    WriteNumber(table, kMemo, msg::kFolder, 2);
    WriteNumber(table, kPhoneMsg, msg::kFolder, INT32_MAX);
    WriteNumber(table, kEmail, msg::kFolder, 3);
    WriteNumber(table, kMemo, msg::kNumber, int32_t(LastIssued("MESSAGE")));
    WriteNumber(table, kEmail, msg::kNumber, 1);
    WriteNumber(table, kPhoneMsg, msg::kNumber, 2);
    WriteNumber(table, kMemo, msg::kAttachedNote, INT32_MAX);
    WriteNumber(table, kMemo, msg::kLogNote, 0);
    Write(table, kMemo, msg::kTo, std::string(20, 'B'));
    Write(table, kMemo, msg::kFrom, std::string(20, 'A'));
    Write(table, kMemo, msg::kMemoText, std::string(416, '>'));
    Write(table, kPhoneMsg, msg::kRush, std::string(3, '\0'));
    Write(table, kPhoneMsg, msg::kPhoneText, std::string(260, 'x'));
    Write(table, kEmail, msg::kSubject, std::string(127, 's'));
  }
  ExpectCheckClean();
}

// Full-width texts, a note number, the last issued entry, name and category
// numbers, another person's list.
TEST_F(AdminCheckTest, TheEdgesOfPhoneEntriesAndCategoriesAreClean) {
  MakeOffice("PHONE");
  Write("PHONE", kLang, ph::kMisc, std::string(156, 'm'));
  Write("PHONE", kLang, ph::kState, "NY");
  WriteNumber("PHONE", kLang, ph::kNote, 7);
  WriteNumber("PHONE", kLang, ph::kEntryNumber, int32_t(LastIssued("PHONE")));
  WriteNumber("PHONE", kFischer, ph::kEntryNumber, 1);
  WriteNumber("PHONE", kLang, ph::kList, int32_t(LastIssued("NAME")));
  Write("CAT", 0, ct::kName, std::string(20, 'C'));
  WriteNumber("CAT", 0, ct::kList, int32_t(LastIssued("NAME")));
  // LC record 1 joins the last issued entry and category already.
  WriteNumber("LC", 0, lc::kEntryNumber, int32_t(LastIssued("PHONE")));
  ExpectCheckClean();
}

// An end a second after the start or late on its day, an alarm before the
// start on its day, the last issued numbers, full-width texts, any status.
TEST_F(AdminCheckTest, TheEdgesOfScheduleEntriesAndToDoItemsAreClean) {
  MakeOffice("SCHED");
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

// A folder of a person, the last issued numbers, full-width names, the last
// part of a note (number 7) and a note part whose text fills it.
TEST_F(AdminCheckTest, TheEdgesOfFoldersNotesAndCcListsAreClean) {
  MakeOffice("FOLDER");
  ASSERT_EQ(Records("FOLDER").size(), fo::kHeaderSize + fo::kRecordSize);
  ASSERT_EQ(Records("NOTE").size(), nt::kHeaderSize + 4 * nt::kRecordSize);
  ASSERT_EQ(Records("CC").size(), 2 * cc::kRecordSize);
  WriteNumber("FOLDER", 0, fo::kOwner, int32_t(LastIssued("NAME")));
  Write("FOLDER", 0, fo::kName, std::string(30, 'F'));
  Write("NOTE", 1, Field{nt::kPart.offset, 1}, std::string(1, char(7)));
  Write("NOTE", 1, nt::kText, std::string(size_t(nt::kText.width), 'y'));
  WriteNumber("CC", 0, cc::kMessageNumber, int32_t(LastIssued("MESSAGE")));
  Write("CC", 1, cc::kName, std::string(19, 'C'));
  ExpectCheckClean();
}

}  // namespace
