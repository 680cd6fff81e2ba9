// dpadmin's office commands run as a separate program against a directory
// made by dpadmin create: names and groups, messages dropped by a script as
// the program's Send would store them, the lists and flag files that show
// what arrived, text the files cannot hold refused before anything is
// written, and rename-name: the renamed person's messages, the send-log
// copies of what was sent to them, the CC lists and group memberships go
// with the new name, and a record held by another workstation stops the
// rename with a message saying which, after which a second run finishes it.
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "data/messages/dpnote.h"
#include "data/office/datadir.h"
#include "storage/catalogue.h"
#include "storage/database.h"
#include "storage/records/cc.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "tests/support/lock_holder.h"
#include "tests/tools/admin_test.h"

namespace {

namespace msg = records::message;

using Record = std::vector<uint8_t>;

class OfficeCommandsTest : public AdminTest {
 protected:
  void SetUp() override {
    Expect({"create", office});
    Expect({"add-name", office, "ALICE", "BOB", "CAROL"});
  }
  void TearDown() override { SetDataDirectory(""); }

  // Every live record of a table, in record order.
  std::vector<Record> Records(const TableDef& def) {
    std::vector<Record> out;
    Table t(def);
    int32_t count = 0;
    if (!DbOpenTable(t, office) || !DbRecordCount(t, &count)) return out;
    for (int32_t i = 0; i < count; ++i) {
      Record r(def.recordSize);
      if (DbReadRecord(t, i, r.data())) out.push_back(r);
    }
    DbClearError();
    DbCloseTable(t);
    return out;
  }
  std::string Note(int32_t number) {
    SetDataDirectory(office);
    std::string text;
    EXPECT_EQ(NoteRead(number, &text), 1);
    return text;
  }
  std::string Flags(const std::string& user) { return Expect({"flags", office, user}); }
};

TEST_F(OfficeCommandsTest, NamesAreAddedRenamedAndRemovedAsTheNamePickerDoes) {
  EXPECT_TRUE(Contains(Expect({"add-name", office, "alice"}), "already there as ALICE"));
  Expect({"rename-name", office, "BOB", "ROBERT"});
  const std::string names = Expect({"names", office});
  EXPECT_TRUE(Contains(names, "* - ALL"));
  EXPECT_TRUE(Contains(names, "ROBERT"));
  EXPECT_FALSE(Contains(names, "BOB "));
  Expect({"remove-name", office, "robert"});
  EXPECT_FALSE(Contains(Expect({"names", office}), "ROBERT"));

  Exits(1, {"remove-name", office, "* - ALL"});
  Exits(1, {"remove-name", office, "NOBODY"});
  Exits(1, {"rename-name", office, "ALICE", "CAROL"});
  ExpectCheckClean();
}

TEST_F(OfficeCommandsTest, GroupKeepsMembersInTheOrderGivenAndAnUnknownMemberChangesNothing) {
  Expect({"add-group", office, "*SALES", "CAROL", "ALICE"});
  Expect({"add-group", office, "*sales", "BOB", "ALICE"});
  EXPECT_EQ(Expect({"members", office, "*SALES"}), "CAROL\nALICE\nBOB\n");

  EXPECT_TRUE(Contains(Exits(1, {"add-group", office, "*NEW", "ALICE", "NOBODY"}).err, "NOBODY"));
  EXPECT_FALSE(Contains(Expect({"names", office}), "*NEW"));
  Exits(1, {"add-group", office, "*BAD", "*SALES"});
  Exits(1, {"members", office, "ALICE"});
  // A group starts no workstation: its rename says nothing of INI files.
  EXPECT_FALSE(Contains(Expect({"rename-name", office, "*SALES", "*FIELD"}), "DPDESK.INI"));
  EXPECT_EQ(Expect({"members", office, "*FIELD"}), "CAROL\nALICE\nBOB\n");
}

TEST_F(OfficeCommandsTest, PhoneSlipStoresEveryFieldAndRaisesTheRecipientsFlag) {
  Expect({"send",        office,
          "--from",      "ALICE",
          "--to",        "bob",
          "--caller",    "Mr. Fischer",
          "--company",   "Fischer & Sons",
          "--phone",     "(555) 123-4567",
          "--extension", "12",
          "--text",      "Call back\nabout the order",
          "--call-back", "--rush",
          "--urgent",    "--by",
          "AB"});
  auto stored = Records(kMessageTable);
  ASSERT_EQ(stored.size(), 1u);
  const uint8_t* r = stored[0].data();
  EXPECT_EQ(FieldByte(r, msg::kKind), msg::kKindPhone);
  std::vector<std::string> texts;
  for (Field field : {msg::kTo, msg::kFrom, msg::kCompany, msg::kPhone, msg::kExtension,
                      msg::kPhoneText, msg::kBy, msg::kCallBack, msg::kRush, msg::kWillCall})
    texts.push_back(FieldText(r, field));
  EXPECT_EQ(texts,
            (std::vector<std::string>{"BOB", "Mr. Fischer", "Fischer & Sons", "(555) 123-4567",
                                      "12", "Call back\rabout the order", "AB", "><", "><", ""}));
  EXPECT_EQ(FieldByte(r, msg::kFlags), msg::kFlagNotViewed | msg::kFlagUrgent);
  EXPECT_NE(FieldI32(r, msg::kTime), 0);
  EXPECT_EQ(Flags("BOB"), "2 (urgent message)\n");
  EXPECT_EQ(Flags("ALICE"), "0 (nothing waiting)\n");
  EXPECT_EQ(Records(kSendLogTable).size(), 0u);  // ALICE's send-log option is off
}

TEST_F(OfficeCommandsTest, CallerLeftBlankIsTheCompanyAsOnTheSlip) {
  Expect({"send", office, "--from", "ALICE", "--to", "BOB", "--company",
          "Consolidated Widgets Springfd", "--text", "Invoice"});
  auto stored = Records(kMessageTable);
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(FieldText(stored[0].data(), msg::kFrom), "Consolidated Widgets");
}

TEST_F(OfficeCommandsTest, LongMemoToAGroupWithCCGivesEveryCopyItsOwnNoteAndCCRecords) {
  Expect({"add-group", office, "*TEAM", "BOB", "CAROL"});
  std::string text(600, 'x');
  text.replace(0, 5, "Hello");
  EXPECT_TRUE(Contains(Expect({"send", office, "--from", "ALICE", "--to", "*TEAM", "--kind", "memo",
                               "--text", "-", "--cc"},
                              text),
                       "2 copies stored with a CC list"));
  auto stored = Records(kMessageTable);
  ASSERT_EQ(stored.size(), 2u);
  std::vector<int32_t> notes;
  for (const Record& r : stored) {
    EXPECT_EQ(FieldText(r.data(), msg::kFrom), "ALICE");
    EXPECT_EQ(FieldText(r.data(), msg::kMemoText), text.substr(0, 416));
    EXPECT_TRUE(FieldByte(r.data(), msg::kFlags) & msg::kFlagCcList);
    notes.push_back(FieldI32(r.data(), msg::kLongTextNote));
    EXPECT_EQ(Note(notes.back()), text);
  }
  EXPECT_NE(notes[0], notes[1]);
  // Each copy's CC list names the other recipient.
  auto cc = Records(kCcTable);
  ASSERT_EQ(cc.size(), 2u);
  EXPECT_EQ(FieldText(cc[0].data(), records::cc::kName), "CAROL");
  EXPECT_EQ(FieldText(cc[1].data(), records::cc::kName), "BOB");
  EXPECT_EQ(Flags("BOB"), "1 (new message)\n");
  EXPECT_EQ(Flags("CAROL"), "1 (new message)\n");
  EXPECT_EQ(Flags("ALICE"), "0 (nothing waiting)\n");
  ExpectCheckClean();
}

TEST_F(OfficeCommandsTest, AllReachesEveryPersonAndTheSendersOwnCopyRaisesNothing) {
  Expect({"send", office, "--from", "ALICE", "--to", "* - ALL", "--kind", "memo", "--text",
          "Fire drill at noon"});
  EXPECT_EQ(Records(kMessageTable).size(), 3u);
  EXPECT_EQ(Flags("ALICE"), "0 (nothing waiting)\n");
  EXPECT_EQ(Flags("CAROL"), "1 (new message)\n");
  EXPECT_TRUE(
      Contains(Expect({"messages", office, "ALICE"}), "memo from ALICE: Fire drill at noon"));
}

TEST_F(OfficeCommandsTest, EmailToALocalNameAndAnInternetAddressGivesTwoMessagesWithOwnFiles) {
  const std::string attachment = scratch.File("price list.txt");
  // The file is not there yet: nothing is sent.
  Exits(1, {"send", office, "--from", "ALICE", "--to", "BOB, pat@example.com", "--kind", "email",
            "--subject", "Prices", "--body", "See the list.\n", "--attach", attachment});
  EXPECT_TRUE(Records(kMessageTable).empty());
  std::ofstream(attachment) << "widgets 3.50\n";
  Expect({"send", office, "--from", "ALICE", "--to", "BOB, pat@example.com", "--kind", "email",
          "--subject", "Prices", "--body", "See the list.\n", "--attach", attachment,
          "--email-from", "alice@example.com"});
  auto stored = Records(kMessageTable);
  ASSERT_EQ(stored.size(), 2u);
  std::vector<std::string> to;
  for (const Record& r : stored) {
    to.push_back(FieldText(r.data(), msg::kTo));
    EXPECT_EQ(FieldText(r.data(), msg::kSubject), "Prices");
    EXPECT_TRUE(
        FileExists(office + "DPE/" + std::to_string(FieldI32(r.data(), msg::kNumber)) + ".DPE"));
  }
  EXPECT_EQ(to, (std::vector<std::string>{"BOB", "DPMAIL SERVER"}));
  EXPECT_TRUE(
      Contains(Expect({"messages", office, "BOB"}), "e-mail from alice@example.com: Prices"));
}

TEST_F(OfficeCommandsTest, MessagesListsTheFolderAskedOldestOrNewestFirst) {
  for (const char* text : {"first", "second", "third"})
    Expect({"send", office, "--from", "ALICE", "--to", "BOB", "--kind", "memo", "--text", text});
  std::string oldest = Expect({"messages", office, "BOB"});
  std::string newest = Expect({"messages", office, "BOB", "--newest-first"});
  EXPECT_LT(oldest.find("first"), oldest.find("third")) << oldest;
  EXPECT_LT(newest.find("third"), newest.find("first")) << newest;
  EXPECT_EQ(Expect({"messages", office, "BOB", "--folder", "archive"}), "");
  EXPECT_EQ(Expect({"messages", office, "CAROL"}), "");
  Exits(1, {"messages", office, "BOB", "--folder", "Nonesuch"});
}

TEST_F(OfficeCommandsTest, TextTheFilesCannotHoldIsRefusedBeforeAnythingIsStored) {
  EXPECT_TRUE(Contains(Exits(1, {"send", office, "--from", "ALICE", "--to", "BOB", "--kind", "memo",
                                 "--text", "caf\xC3\xA9 \xE2\x82\xAC \xE6\x97\xA5"})
                           .err,
                       "\xE6\x97\xA5"));
  EXPECT_TRUE(Contains(Exits(1, {"send", office, "--from", "ALICE", "--to", "BOB", "--company",
                                 std::string(30, 'c')})
                           .err,
                       "at most 29"));
  EXPECT_TRUE(Records(kMessageTable).empty());
  EXPECT_EQ(Flags("BOB"), "0 (nothing waiting)\n");

  Expect({"send", office, "--from", "ALICE", "--to", "BOB", "--kind", "memo", "--text",
          "caf\xC3\xA9 \xE2\x82\xAC"
          "5"});
  EXPECT_EQ(FieldText(Records(kMessageTable)[0].data(), msg::kMemoText),
            "caf\xE9 \x80"
            "5");
}

TEST_F(OfficeCommandsTest, BadUsageAndUnknownPeopleAreTold) {
  Exits(2, {"send", office, "--from", "ALICE"});
  Exits(2, {"send", office, "--from", "ALICE", "--to", "BOB", "--colour", "red"});
  Exits(2, {"send", office, "--from", "ALICE", "--to", "BOB", "--kind", "fax"});
  Exits(1, {"send", office, "--from", "NOBODY", "--to", "BOB"});
  Exits(1, {"send", office, "--from", "ALICE", "--to", "NOBODY"});
  Exits(2, {"send", scratch.File("nowhere/"), "--from", "A", "--to", "B"});
  Exits(1, {"flags", office, "*SALES"});
  EXPECT_TRUE(Records(kMessageTable).empty());
}

// ---- rename-name ----

int Lines(const std::string& text) {
  return int(std::count(text.begin(), text.end(), '\n'));
}

class AdminRenameTest : public AdminTest {
 protected:
  // The office of the fault: six memos from Anne to Carol (records 0 to 5
  // of MESSAGE), a team memo with a CC list, and a memo Carol sent Bob.
  void SetUp() override {
    Expect({"create", office});
    Expect({"add-name", office, "ANNE", "BOB", "CAROL", "DAVE"});
    Expect({"add-group", office, "*TEAM", "CAROL", "DAVE"});
    KeepSendLog("ANNE");
    for (int i = 1; i <= 6; ++i)
      Expect({"send", office, "--from", "ANNE", "--to", "CAROL", "--kind", "memo", "--text",
              "memo " + std::to_string(i)});
    Expect({"send", office, "--from", "ANNE", "--to", "*TEAM", "--cc", "--kind", "memo", "--text",
            "team"});
    Expect({"send", office, "--from", "CAROL", "--to", "BOB", "--kind", "memo", "--text", "hello"});
  }

  void ExpectCarried() {
    const std::string listed = Expect({"messages", office, "CAROLINE"});
    EXPECT_EQ(Lines(listed), 7) << listed;
    EXPECT_TRUE(Contains(listed, "memo 6"));
    EXPECT_TRUE(Contains(listed, "team"));
    EXPECT_TRUE(Contains(Expect({"flags", office, "CAROLINE"}), "new message"));
    // Bob still has what she sent him.
    EXPECT_TRUE(Contains(Expect({"messages", office, "BOB"}), "hello"));
    EXPECT_TRUE(Contains(Expect({"members", office, "*TEAM"}), "CAROLINE"));
    for (const char* table : {"MESSAGE", "SENDLOG", "CC"}) {
      const std::string dump = Expect({"dump", office, table});
      EXPECT_FALSE(Contains(dump, "to=\"CAROL\""));
      EXPECT_FALSE(Contains(dump, "name=\"CAROL\""));
    }
    EXPECT_TRUE(Contains(Expect({"dump", office, "SENDLOG"}), "to=\"CAROLINE\""));
    EXPECT_TRUE(Contains(Expect({"dump", office, "CC"}), "name=\"CAROLINE\""));
    ExpectCheckClean();
  }
};

TEST_F(AdminRenameTest, RenamedPersonKeepsMessagesSendLogCopiesAndGroups) {
  const std::string out = Expect({"rename-name", office, "CAROL", "CAROLINE"});
  EXPECT_TRUE(Contains(out, "CAROL is now CAROLINE"));
  // Her workstation's INI is out of reach: the administrator is told.
  EXPECT_TRUE(Contains(out, "set Name=CAROLINE in DPDESK.INI"));
  ExpectCarried();
  Exits(1, {"messages", office, "CAROL"});
}

TEST_F(AdminRenameTest, AMessageInUseStopsTheRenameAndASecondRunFinishesIt) {
  {
    // Another workstation has Carol's fourth memo open.
    const int64_t lockByte = msg::kHeaderSize + int64_t(3 + 1) * msg::kRecordSize - 1;
    LockHolder view(office + "MESSAGE.DAT", lockByte);
    ASSERT_TRUE(view.Held());
    DpadminRun run = Exits(1, {"rename-name", office, "CAROL", "CAROLINE"});
    EXPECT_TRUE(Contains(run.err, "Record in use."));
    EXPECT_TRUE(Contains(run.err, "MESSAGE record 3"));
    EXPECT_TRUE(Contains(run.err, "run rename-name again"));
    EXPECT_FALSE(Contains(run.out, "is now"));
    // She is still Carol, so the rename can be run again.
    const std::string names = Expect({"names", office});
    EXPECT_TRUE(Contains(names, "CAROL "));
    EXPECT_FALSE(Contains(names, "CAROLINE"));
  }
  Expect({"rename-name", office, "CAROL", "CAROLINE"});
  ExpectCarried();
}

}  // namespace
