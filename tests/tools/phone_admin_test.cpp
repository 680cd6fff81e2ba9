// The phone list commands of dpadmin, run as a separate process: adding an
// entry, importing a CSV file with quoted commas, line breaks, a bad line
// and a duplicate, exporting and importing again, and a workload of phone
// list changes after which dpadmin check finds every table consistent.
#include <fstream>
#include <string>
#include <vector>

#include "data/messages/dpnote.h"
#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "data/phone/dpphone.h"
#include "data/phone/phone_category.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "storage/lockwait.h"
#include "tests/tools/admin_test.h"

namespace ph = records::phone;

namespace {

class PhoneAdminTest : public AdminTest {
 protected:
  // The demo office: people ANNE, BOB, ... and three COMMON entries.
  void SetUp() override { Expect({"demo", office}); }
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = scratch.File(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
};

TEST_F(PhoneAdminTest, AddPhoneRefusesTheSameListnameAndPhoneInAnotherCase) {
  DpadminRun added = Run({"add-phone", office, "ANNE", "--listname", "M\u00FCller GmbH", "--phone",
                          "555-0100", "--city", "Z\u00FCrich"});
  ASSERT_EQ(added.status, 0) << ShowRun(added);
  DpadminRun again =
      Run({"add-phone", office, "anne", "--listname", "M\u00FCLLER GMBH", "--phone", "555-0100"});
  EXPECT_EQ(again.status, 1) << ShowRun(again);
  EXPECT_NE(again.err.find("already"), std::string::npos) << again.err;
  // The same pair in the common list is another entry.
  EXPECT_EQ(
      Run({"add-phone", office, "COMMON", "--listname", "M\u00FCller GmbH", "--phone", "555-0100"})
          .status,
      0);
  DpadminRun list = Run({"phonelist", office, "ANNE"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, "M\u00FCller GmbH\t555-0100\n");
}

TEST_F(PhoneAdminTest, BadUsageAndUnknownListsExitWithTwo) {
  EXPECT_EQ(Run({"phonelist", office, "NOBODY"}).status, 2);
  EXPECT_EQ(Run({"phonelist", office, "*SALES"}).status, 2);
  EXPECT_EQ(Run({"add-phone", office, "COMMON", "--phone", "1"}).status, 2);
  EXPECT_EQ(Run({"add-phone", office, "COMMON", "--listname", "A", "--birthday", "x"}).status, 2);
  EXPECT_EQ(Run({"import-phone", office, "COMMON", scratch.File("missing.csv")}).status, 2);
  EXPECT_EQ(
      Run({"import-phone", office, "COMMON", Write("nolist.csv", "Company,City\nA,B\n")}).status,
      2);
  EXPECT_EQ(Run({"export-phone", scratch.File("nowhere"), "COMMON", scratch.File("x.csv")}).status,
            2);
}

TEST_F(PhoneAdminTest, ImportReportsBadLinesAndDuplicatesAndStoresTheRest) {
  std::string csv =
      "Phone 1,LISTNAME,Birthday,company,Misc info\r\n"
      "555-0001,\"Smith, John\",1 May,\"Acme, \"\"The Tool People\"\"\",\"first line\r\n"
      "second line\"\r\n"
      "555-0002,Too Long,," +
      std::string(41, 'x') +
      ",\r\n"
      "555-0003,,,No Listname,\r\n"
      "555-0001,\"SMITH, JOHN\",,Again,\r\n"
      "555-0004,Tanaka,,\u6771\u4EAC,\r\n"
      "\r\n"
      "555-0005,Ortiz,,\"Ortiz\nTravel\",\"lf\nbreak\"\n";
  DpadminRun run = Run({"import-phone", office, "BOB", Write("in.csv", csv)});
  EXPECT_EQ(run.status, 1) << ShowRun(run);
  for (const char* said :
       {"1: unknown column \"Birthday\" skipped", "4: Company is longer than 40 characters",
        "5: Listname is missing", "6: duplicate", "7: Company holds \"\u6771\"",
        "9: Company holds a line break"})
    EXPECT_TRUE(Contains(run.err, std::string("in.csv:") + said)) << run.err;
  EXPECT_NE(run.out.find("1 added, 5 refused (1 duplicates)"), std::string::npos) << run.out;

  DpadminRun list = Run({"phonelist", office, "BOB"});
  EXPECT_EQ(list.out, "Smith, John\t555-0001\n");
  DpadminRun out = Run({"export-phone", office, "BOB", scratch.File("out.csv")});
  ASSERT_EQ(out.status, 0) << ShowRun(out);
  std::string exported = ReadWholeFile(scratch.File("out.csv"));
  EXPECT_NE(exported.find("\"Smith, John\",\"Acme, \"\"The Tool People\"\"\""), std::string::npos)
      << exported;
  EXPECT_NE(exported.find("\"first line\r\nsecond line\""), std::string::npos) << exported;
}

TEST_F(PhoneAdminTest, ExportedListImportsIntoAnotherListAsTheSameEntries) {
  ASSERT_EQ(Run({"add-phone", office, "COMMON", "--listname", "Caf\u00E9 \u20AC", "--phone",
                 "(555) 123-4567", "--misc", "two\nlines", "--email", "a@b.example", "--state",
                 "NY", "--cell", "555, ext 9"})
                .status,
            0);
  ASSERT_EQ(Run({"export-phone", office, "COMMON", scratch.File("a.csv")}).status, 0);
  DpadminRun in = Run({"import-phone", office, "ANNE", scratch.File("a.csv")});
  ASSERT_EQ(in.status, 0) << ShowRun(in);
  EXPECT_NE(in.out.find("4 added, 0 refused"), std::string::npos) << in.out;
  ASSERT_EQ(Run({"export-phone", office, "ANNE", scratch.File("b.csv")}).status, 0);
  EXPECT_EQ(ReadWholeFile(scratch.File("b.csv")), ReadWholeFile(scratch.File("a.csv")));
  // Importing it again adds nothing and says so.
  DpadminRun again = Run({"import-phone", office, "ANNE", scratch.File("a.csv")});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.out.find("0 added, 4 refused (4 duplicates)"), std::string::npos) << again.out;
}

// A name ending in .vcf writes vCards, which import-phone reads back into
// the same entries.
TEST_F(PhoneAdminTest, ExportedVCardsImportIntoAnotherListAsTheSameEntries) {
  ASSERT_EQ(Run({"add-phone", office, "COMMON", "--listname", "Caf\u00E9 \u20AC", "--phone",
                 "(555) 123-4567", "--email", "a@b.example", "--misc", "two\nlines"})
                .status,
            0);
  ASSERT_EQ(Run({"export-phone", office, "COMMON", scratch.File("a.VCF")}).status, 0);
  const std::string cards = ReadWholeFile(scratch.File("a.VCF"));
  EXPECT_EQ(cards.rfind("BEGIN:VCARD\r\nVERSION:3.0\r\n", 0), 0u) << cards;
  DpadminRun in = Run({"import-phone", office, "ANNE", scratch.File("a.VCF")});
  ASSERT_EQ(in.status, 0) << ShowRun(in);
  ASSERT_EQ(Run({"export-phone", office, "ANNE", scratch.File("a.csv")}).status, 0);
  ASSERT_EQ(Run({"export-phone", office, "COMMON", scratch.File("b.csv")}).status, 0);
  EXPECT_EQ(ReadWholeFile(scratch.File("a.csv")), ReadWholeFile(scratch.File("b.csv")));
}

TEST_F(PhoneAdminTest, CheckIsCleanAfterAWorkloadOfPhoneListChanges) {
  std::string csv = "Listname,Phone 1,Company,Misc info\n";
  for (int i = 0; i < 300; ++i)
    csv += "Entry " + std::to_string(i) + ",555-" + std::to_string(1000 + i) + ",Firm " +
           std::to_string(i % 17) + ",\"note\nline\"\n";
  ASSERT_EQ(Run({"import-phone", office, "COMMON", Write("bulk.csv", csv)}).status, 0);
  ASSERT_EQ(
      Run({"add-phone", office, "BOB", "--listname", "Entry 5", "--phone", "555-1005"}).status, 0);

  // This process as a workstation: copies, overwrites, notes, edits,
  // categories and deletes.
  DbSetErrorReporter(TranslateEngineError);
  DbSetLockRetry(nullptr);
  IdxSetLockRetry(nullptr);
  SetDataDirectory(office);
  {
    NameRecord bob;
    ASSERT_EQ(NameLookup("BOB", &bob), 1);
    PhoneTable phones;
    CategoryTable cats;
    AssignmentTable lcs;
    ASSERT_EQ(PhoneOpen(phones), 1);
    ASSERT_EQ(CategoryOpen(cats), 1);
    ASSERT_EQ(AssignmentOpen(lcs), 1);
    CategoryRecord vip;
    ASSERT_EQ(CategoryAdd(cats, 0, "VIP", &vip), 1);
    std::vector<int32_t> records;
    PhoneEntry e;
    for (int ok = PhoneFirstOfList(phones, 0, &e); ok; ok = PhoneNextInList(phones, 0, &e))
      records.push_back(e.RecordNumber());
    for (size_t i = 0; i < records.size(); ++i) {
      PhoneRecord r;
      ASSERT_EQ(PhoneRead(phones, records[i], &r), 1);
      if (i % 3 == 0) {
        int32_t note = 0;
        ASSERT_EQ(NoteNew(&note), 1);
        ASSERT_EQ(NoteWrite(note, "call " + std::to_string(i)), 1);
        SetFieldI32(r.bytes, ph::kNote, note);
        ASSERT_EQ(PhoneWrite(phones, records[i], r), 1);
      }
      if (i % 4 == 0) {
        ASSERT_EQ(PhoneCopyToList(phones, records[i], bob.Number(), true), 1);
      }
      if (i % 5 == 0) {
        CategorySet set;
        ASSERT_EQ(CategoryLoadSet(lcs, r.EntryNumber(), &set), 1);
        ASSERT_EQ(CategoryToggle(lcs, r.EntryNumber(), vip.Number(), &set), 1);
      }
      if (i % 7 == 0) {
        PhoneEntry old;
        ASSERT_EQ(PhoneFind(phones, 0, r.Listname(), r.Phone1(), &old), 1);
        r.SetText(ph::kListname, r.Listname() + " (edited)");
        ASSERT_EQ(PhoneUpdate(phones, old, r), 1);
      }
      if (i % 11 == 0) {
        ASSERT_EQ(PhoneDelete(phones, records[i]), 1);
      }
    }
    PhoneClose(phones);
    CategoryClose(cats);
    AssignmentClose(lcs);
  }
  SetDataDirectory("");
  DbSetErrorReporter(nullptr);

  DpadminRun check = Run({"check", office});
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  DpadminRun list = Run({"phonelist", office});
  EXPECT_EQ(list.status, 0);
  EXPECT_NE(list.out.find("BOB\n  Entry 0\t555-1000\n"), std::string::npos);
}

}  // namespace
