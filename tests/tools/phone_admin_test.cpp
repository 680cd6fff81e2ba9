// The phone list commands of dpadmin, run as a separate process: adding an
// entry, importing a CSV file with quoted commas, line breaks, a bad line
// and a duplicate, importing vCards, exporting and importing again, and a
// workload of phone list changes after which dpadmin check finds every
// table consistent.
#include <fstream>
#include <iterator>
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
  Expect({"add-phone", office, "ANNE", "--listname", "M\u00FCller GmbH", "--phone", "555-0100",
          "--city", "Z\u00FCrich"});
  EXPECT_TRUE(Contains(Exits(1, {"add-phone", office, "anne", "--listname", "M\u00FCLLER GMBH",
                                 "--phone", "555-0100"})
                           .err,
                       "already"));
  // The same pair in the common list is another entry.
  Expect({"add-phone", office, "COMMON", "--listname", "M\u00FCller GmbH", "--phone", "555-0100"});
  EXPECT_EQ(Expect({"phonelist", office, "ANNE"}), "M\u00FCller GmbH\t555-0100\n");
}

TEST_F(PhoneAdminTest, BadUsageAndUnknownListsExitWithTwo) {
  Exits(2, {"phonelist", office, "NOBODY"});
  Exits(2, {"phonelist", office, "*SALES"});
  Exits(2, {"add-phone", office, "COMMON", "--phone", "1"});
  Exits(2, {"add-phone", office, "COMMON", "--listname", "A", "--birthday", "x"});
  Exits(2, {"import-phone", office, "COMMON", scratch.File("missing.csv")});
  Exits(2, {"import-phone", office, "COMMON", Write("nolist.csv", "Company,City\nA,B\n")});
  EXPECT_TRUE(
      Contains(Exits(2, {"import-phone", office, "COMMON",
                         Write("semi.csv", "Listname;Company;Phone\nSMITH, ANN;Acme;555\n")})
                   .err,
               "separated by semicolons; the separator must be a comma"));
  Exits(2, {"export-phone", scratch.File("nowhere"), "COMMON", scratch.File("x.csv")});
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
  DpadminRun run = Exits(1, {"import-phone", office, "BOB", Write("in.csv", csv)});
  for (const char* said :
       {"1: unknown column \"Birthday\" skipped", "4: Company is longer than 40 characters",
        "5: Listname is missing", "6: duplicate", "7: Company holds \"\u6771\"",
        "9: Company holds a line break"})
    EXPECT_TRUE(Contains(run.err, std::string("in.csv:") + said));
  EXPECT_TRUE(Contains(run.out, "1 added, 5 refused (1 duplicates)"));
  EXPECT_EQ(Expect({"phonelist", office, "BOB"}), "Smith, John\t555-0001\n");
  Expect({"export-phone", office, "BOB", scratch.File("out.csv")});
  const std::string exported = ReadWholeFile(scratch.File("out.csv"));
  EXPECT_TRUE(Contains(exported, "\"Smith, John\",\"Acme, \"\"The Tool People\"\"\""));
  EXPECT_TRUE(Contains(exported, "\"first line\r\nsecond line\""));
}

TEST_F(PhoneAdminTest, ExportedListImportsIntoAnotherListAsTheSameEntries) {
  Expect({"add-phone", office, "COMMON", "--listname", "Caf\u00E9 \u20AC", "--phone",
          "(555) 123-4567", "--misc", "two\nlines", "--email", "a@b.example", "--state", "NY",
          "--cell", "555, ext 9"});
  Expect({"export-phone", office, "COMMON", scratch.File("a.csv")});
  EXPECT_TRUE(Contains(Expect({"import-phone", office, "ANNE", scratch.File("a.csv")}),
                       "4 added, 0 refused"));
  Expect({"export-phone", office, "ANNE", scratch.File("b.csv")});
  EXPECT_EQ(ReadWholeFile(scratch.File("b.csv")), ReadWholeFile(scratch.File("a.csv")));
  // Importing it again adds nothing and says so.
  EXPECT_TRUE(Contains(Exits(1, {"import-phone", office, "ANNE", scratch.File("a.csv")}).out,
                       "0 added, 4 refused (4 duplicates)"));
}

// A name ending in .vcf writes vCards, which import-phone reads back into
// the same entries.
TEST_F(PhoneAdminTest, ExportedVCardsImportIntoAnotherListAsTheSameEntries) {
  Expect({"add-phone", office, "COMMON", "--listname", "Caf\u00E9 \u20AC", "--phone",
          "(555) 123-4567", "--email", "a@b.example", "--misc", "two\nlines"});
  Expect({"export-phone", office, "COMMON", scratch.File("a.VCF")});
  const std::string cards = ReadWholeFile(scratch.File("a.VCF"));
  EXPECT_EQ(cards.rfind("BEGIN:VCARD\r\nVERSION:3.0\r\n", 0), 0u) << cards;
  Expect({"import-phone", office, "ANNE", scratch.File("a.VCF")});
  Expect({"export-phone", office, "ANNE", scratch.File("a.csv")});
  Expect({"export-phone", office, "COMMON", scratch.File("b.csv")});
  EXPECT_EQ(ReadWholeFile(scratch.File("a.csv")), ReadWholeFile(scratch.File("b.csv")));
}

const char kCards[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Delta Freight\r\nTEL;TYPE=WORK,VOICE,PREF:555-0101\r\n"
    "TITLE:Boss\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:9.9\r\nFN:Odd\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Echo Travel\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:delta freight\r\nTEL;TYPE=work,voice;PREF=1:555-0101\r\n"
    "END:VCARD\r\n";

struct Case {
  const char* name;               // the file's name
  std::string text;               // its content
  int status;                     // dpadmin's exit status
  const char* summary;            // on standard output; "" for none
  std::vector<std::string> said;  // on standard error, each somewhere
  const char* listed;             // dpadmin phonelist afterwards
};

// import-phone reads vCard files as the phone list window does, chosen by
// the file's first line or its ".vcf"/".vcard" name, and sums them up as it
// does CSV: bad cards and duplicates named by line, what a card held beyond
// the entry said, the rest added. Each file goes into another person's list.
TEST_F(PhoneAdminTest, VCardsAreReadByContentOrNameAndSummedUpAsCsvIs) {
  const Case cases[] = {
      {"cards.vcf",
       kCards,
       1,
       "2 added, 2 refused (1 duplicates)",
       {"cards.vcf:1: Delta Freight: TITLE was not stored",
        "cards.vcf:7: vCard version 9.9 is not read", "cards.vcf:15: duplicate: delta freight"},
       "Delta Freight\t555-0101\nEcho Travel\t\n"},
      // Cards under any name are cards.
      {"cards.txt", kCards, 1, "2 added, 2 refused (1 duplicates)", {}, nullptr},
      // A ".vcf" file without a card adds nothing and says why.
      {"empty.VCF",
       "Listname,Phone 1\nAcme,555-0100\n",
       2,
       "",
       {"empty.VCF: not a phone list: no BEGIN:VCARD in the file"},
       ""},
  };
  const char* people[] = {"ANNE", "BOB", "CAROL"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    DpadminRun in = Exits(c.status, {"import-phone", office, people[i], Write(c.name, c.text)});
    EXPECT_TRUE(Contains(in.out, c.summary));
    for (const std::string& said : c.said) EXPECT_TRUE(Contains(in.err, said));
    if (c.listed) {
      EXPECT_EQ(Expect({"phonelist", office, people[i]}), c.listed);
    }
  }
}

TEST_F(PhoneAdminTest, CheckIsCleanAfterAWorkloadOfPhoneListChanges) {
  std::string csv = "Listname,Phone 1,Company,Misc info\n";
  for (int i = 0; i < 300; ++i)
    csv += "Entry " + std::to_string(i) + ",555-" + std::to_string(1000 + i) + ",Firm " +
           std::to_string(i % 17) + ",\"note\nline\"\n";
  Expect({"import-phone", office, "COMMON", Write("bulk.csv", csv)});
  Expect({"add-phone", office, "BOB", "--listname", "Entry 5", "--phone", "555-1005"});

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

  ExpectCheckClean();
  EXPECT_TRUE(Contains(Expect({"phonelist", office}), "BOB\n  Entry 0\t555-1000\n"));
}

}  // namespace
