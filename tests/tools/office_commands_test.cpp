// dpadmin's office commands run as a separate program against a directory
// made by dpadmin create: names and groups, messages dropped by a script as
// the program's Send would store them, the lists and flag files that show
// what arrived, and text the files cannot hold refused before anything is
// written.
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
  EXPECT_NE(Expect({"add-name", office, "alice"}).find("already there as ALICE"),
            std::string::npos);
  Expect({"rename-name", office, "BOB", "ROBERT"});
  std::string names = Expect({"names", office});
  EXPECT_NE(names.find("* - ALL"), std::string::npos) << names;
  EXPECT_NE(names.find("ROBERT"), std::string::npos) << names;
  EXPECT_EQ(names.find("BOB "), std::string::npos) << names;
  Expect({"remove-name", office, "robert"});
  EXPECT_EQ(Expect({"names", office}).find("ROBERT"), std::string::npos);

  EXPECT_EQ(Run({"remove-name", office, "* - ALL"}).status, 1);
  EXPECT_EQ(Run({"remove-name", office, "NOBODY"}).status, 1);
  EXPECT_EQ(Run({"add-name", office, "*GROUP"}).status, 1);
  EXPECT_EQ(Run({"add-name", office, "TWENTY CHARACTERS XX"}).status, 1);
  EXPECT_EQ(Run({"rename-name", office, "ALICE", "CAROL"}).status, 1);
  ExpectCheckClean();
}

TEST_F(OfficeCommandsTest, GroupKeepsMembersInTheOrderGivenAndAnUnknownMemberChangesNothing) {
  Expect({"add-group", office, "*SALES", "CAROL", "ALICE"});
  Expect({"add-group", office, "*sales", "BOB", "ALICE"});
  EXPECT_EQ(Expect({"members", office, "*SALES"}), "CAROL\nALICE\nBOB\n");

  DpadminRun refused = Run({"add-group", office, "*NEW", "ALICE", "NOBODY"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("NOBODY"), std::string::npos) << ShowRun(refused);
  EXPECT_EQ(Expect({"names", office}).find("*NEW"), std::string::npos);
  EXPECT_EQ(Run({"add-group", office, "*BAD", "*SALES"}).status, 1);
  EXPECT_EQ(Run({"members", office, "ALICE"}).status, 1);
  // A group starts no workstation: its rename says nothing of INI files.
  const std::string renamed = Expect({"rename-name", office, "*SALES", "*FIELD"});
  EXPECT_EQ(renamed.find("DPDESK.INI"), std::string::npos) << renamed;
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
  EXPECT_EQ(FieldText(r, msg::kTo), "BOB");
  EXPECT_EQ(FieldText(r, msg::kFrom), "Mr. Fischer");
  EXPECT_EQ(FieldText(r, msg::kCompany), "Fischer & Sons");
  EXPECT_EQ(FieldText(r, msg::kPhone), "(555) 123-4567");
  EXPECT_EQ(FieldText(r, msg::kExtension), "12");
  EXPECT_EQ(FieldText(r, msg::kPhoneText), "Call back\rabout the order");
  EXPECT_EQ(FieldText(r, msg::kBy), "AB");
  EXPECT_EQ(FieldText(r, msg::kCallBack), "><");
  EXPECT_EQ(FieldText(r, msg::kRush), "><");
  EXPECT_EQ(FieldText(r, msg::kWillCall), "");
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
  DpadminRun run = Run(
      {"send", office, "--from", "ALICE", "--to", "*TEAM", "--kind", "memo", "--text", "-", "--cc"},
      text);
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_NE(run.out.find("2 copies stored with a CC list"), std::string::npos) << run.out;
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
  EXPECT_NE(Expect({"messages", office, "ALICE"}).find("memo from ALICE: Fire drill at noon"),
            std::string::npos);
}

TEST_F(OfficeCommandsTest, SendersSendLogOptionKeepsACopy) {
  KeepSendLog("ALICE");
  Expect({"send", office, "--from", "ALICE", "--to", "BOB", "--kind", "memo", "--text", "Hi"});
  auto logged = Records(kSendLogTable);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(FieldText(logged[0].data(), msg::kTo), "BOB");
}

TEST_F(OfficeCommandsTest, EmailToALocalNameAndAnInternetAddressGivesTwoMessagesWithOwnFiles) {
  const std::string attachment = scratch.File("price list.txt");
  ASSERT_EQ(
      Run({"send", office, "--from", "ALICE", "--to", "BOB, pat@example.com", "--kind", "email",
           "--subject", "Prices", "--body", "See the list.\n", "--attach", attachment})
          .status,
      1);  // the file is not there yet: nothing is sent
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
  EXPECT_NE(Expect({"messages", office, "BOB"}).find("e-mail from alice@example.com: Prices"),
            std::string::npos);
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
  EXPECT_EQ(Run({"messages", office, "BOB", "--folder", "Nonesuch"}).status, 1);
}

TEST_F(OfficeCommandsTest, TextTheFilesCannotHoldIsRefusedBeforeAnythingIsStored) {
  DpadminRun run = Run({"send", office, "--from", "ALICE", "--to", "BOB", "--kind", "memo",
                        "--text", "caf\xC3\xA9 \xE2\x82\xAC \xE6\x97\xA5"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("\xE6\x97\xA5"), std::string::npos) << ShowRun(run);
  run = Run({"send", office, "--from", "ALICE", "--to", "BOB", "--company", std::string(30, 'c')});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("at most 29"), std::string::npos) << ShowRun(run);
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
  EXPECT_EQ(Run({"send", office, "--from", "ALICE"}).status, 2);
  EXPECT_EQ(Run({"send", office, "--from", "ALICE", "--to", "BOB", "--colour", "red"}).status, 2);
  EXPECT_EQ(Run({"send", office, "--from", "ALICE", "--to", "BOB", "--kind", "fax"}).status, 2);
  EXPECT_EQ(Run({"send", office, "--from", "NOBODY", "--to", "BOB"}).status, 1);
  EXPECT_EQ(Run({"send", office, "--from", "ALICE", "--to", "NOBODY"}).status, 1);
  EXPECT_EQ(Run({"send", scratch.File("nowhere/"), "--from", "A", "--to", "B"}).status, 2);
  EXPECT_EQ(Run({"flags", office, "*SALES"}).status, 1);
  EXPECT_TRUE(Records(kMessageTable).empty());
}

}  // namespace
