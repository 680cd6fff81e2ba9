// dpadmin import-phone reads vCard files as the phone list window does,
// chosen by the file's first line or its ".vcf"/".vcard" name, and sums
// them up as it does CSV: bad cards and duplicates named by line, what a
// card held beyond the entry said, the rest added.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

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
  const char* listed;             // dpadmin phonelist BOB afterwards
};

TEST(PhoneImportVCardTest, CardsAreReadByContentOrNameAndSummedUpAsCsvIs) {
  const Case cases[] = {
      {"cards.vcf",
       kCards,
       1,
       "2 added, 2 refused (1 duplicates)",
       {"cards.vcf:1: Delta Freight: TITLE was not stored",
        "cards.vcf:7: vCard version 9.9 is not read", "cards.vcf:15: duplicate: delta freight"},
       "Delta Freight\t555-0101\nEcho Travel\t\n"},
      // Cards under any name are cards; a CSV file is still CSV.
      {"cards.txt", kCards, 1, "2 added, 2 refused (1 duplicates)", {}, nullptr},
      {"list.csv",
       "Listname,Phone 1\nAcme,555-0100\n",
       0,
       "1 added, 0 refused (0 duplicates)",
       {},
       "Acme\t555-0100\n"},
      // A ".vcf" file without a card adds nothing and says why.
      {"empty.VCF",
       "Listname,Phone 1\nAcme,555-0100\n",
       2,
       "",
       {"empty.VCF: not a phone list: no BEGIN:VCARD in the file"},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir scratch;
    TempDir data;
    const auto run = [&](const std::vector<std::string>& args) {
      return RunDpadmin(args, scratch.Path());
    };
    ASSERT_EQ(run({"create", data.Path()}).status, 0);
    ASSERT_EQ(run({"add-name", data.Path(), "BOB"}).status, 0);
    const std::string path = scratch.File(c.name);
    std::ofstream(path, std::ios::binary) << c.text;
    DpadminRun in = run({"import-phone", data.Path(), "BOB", path});
    EXPECT_EQ(in.status, c.status) << ShowRun(in);
    if (*c.summary) {
      EXPECT_NE(in.out.find(c.summary), std::string::npos) << in.out;
    }
    for (const std::string& said : c.said)
      EXPECT_NE(in.err.find(said), std::string::npos) << said << "\n" << in.err;
    if (c.listed) {
      EXPECT_EQ(run({"phonelist", data.Path(), "BOB"}).out, c.listed);
    }
  }
}

}  // namespace
