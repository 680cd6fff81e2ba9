// A whole phone list in and out as a file: what an import reads and
// refuses before anything is stored, duplicates refused as they are added,
// an export that reads back as the same list in every format, and a file
// written whole or not at all when the disk fills or the folder is shut.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "data/phone/phone_csv.h"
#include "data/phone/phone_transfer.h"
#include "tests/data/phone/phone_fixture.h"
#include "tests/support/file_size_limit.h"

namespace ph = records::phone;

namespace {

constexpr int32_t kAnne = 7;
constexpr int32_t kBob = 8;

// A plan as text: each row's line, list and notes, then each refusal and
// skipped column with its line.
std::string Lines(const PhoneImportPlan& plan) {
  std::string out = plan.notPhoneList;
  for (const auto& r : plan.rows) {
    out += "row " + std::to_string(r.line) + " of list " + std::to_string(r.record.List());
    for (const std::string& note : r.notes) out += ", " + note;
    out += "\n";
  }
  for (const auto& r : plan.refused) out += std::to_string(r.line) + ": " + r.text + "\n";
  for (const auto& c : plan.skippedColumns) out += std::to_string(c.line) + ": " + c.text + "\n";
  return out;
}

TEST(PhoneImportReadTest, AFileThatIsNoPhoneListImportsNothingAndSaysWhy) {
  struct Case {
    const char* name;
    std::string text;
    std::string why;
  };
  const Case cases[] = {
      {"empty", "", "the file is empty"},
      {"blank lines", "\r\n,,\r\n", "the file is empty"},
      {"another table", "Company,City\nAcme,Leeds\n", "line 1: no Listname column in the header"},
      {"semicolons", "Listname;Phone 1\nA;1\n",
       "line 1: the header's fields are separated by semicolons; the separator must be a comma"},
      {"a picture", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
       "line 1: no Listname column in the header"},
      {"a broken quote in the header", "\"Listname,Phone 1\n",
       "line 1: quoted field is not closed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Lines(PhoneImportRead(c.text, 0)), c.why);
  }
}

TEST(PhoneImportReadTest, RowsAndCardsAreReadAndRefusedByLine) {
  PhoneImportPlan csv = PhoneImportRead(
      "Listname,Phone 1,Birthday,Misc info\n"
      "Acme,555-0100,,\"two\r\nlines\"\n"
      "Snow \xE2\x98\x83,1,,\n"
      ",2,,\n"
      "Zed,3,,\n",
      kAnne);
  EXPECT_EQ(Lines(csv),
            "row 2 of list 7\nrow 6 of list 7\n"
            "4: Listname holds \"\xE2\x98\x83\", which Windows-1252 lacks\n"
            "5: Listname is missing\n1: unknown column \"Birthday\" skipped\n");
  ASSERT_FALSE(csv.rows.empty());
  EXPECT_EQ(csv.rows[0].record.Text(ph::kMisc), "two\rlines");

  PhoneImportPlan cards = PhoneImportRead(
      "\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nTITLE:Boss\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xE2\x98\x83\r\nEND:VCARD\r\n",
      kBob);
  EXPECT_EQ(Lines(cards),
            "row 2 of list 8, TITLE was not stored\n"
            "7: Listname holds \"\xE2\x98\x83\", which Windows-1252 lacks\n");
}

using PhoneTransferTest = PhoneTableTest;

TEST_F(PhoneTransferTest, ADuplicateIsRefusedAndNotStoredTwice) {
  PhoneImportPlan plan = PhoneImportRead("Listname,Phone 1\nAcme,1\nACME,1\nAcme,2\n", kAnne);
  ASSERT_EQ(plan.rows.size(), 3u);
  std::string reason;
  bool duplicate = false;
  EXPECT_EQ(PhoneImportAdd(phones, plan.rows[0].record, &reason, &duplicate), 1);
  EXPECT_EQ(PhoneImportAdd(phones, plan.rows[1].record, &reason, &duplicate), 0);
  EXPECT_TRUE(duplicate);
  EXPECT_EQ(reason, "duplicate: ACME with phone \"1\" is in the list already");
  EXPECT_EQ(PhoneImportAdd(phones, plan.rows[2].record, &reason, &duplicate), 1);
  EXPECT_FALSE(duplicate);
  EXPECT_EQ(AppErrorCode(), 0);
}

TEST_F(PhoneTransferTest, AnExportReadsBackAsTheSameListInEveryFormat) {
  PhoneImportPlan plan = PhoneImportRead(
      "Listname,Company,Street 1,Street 2,City,State,ZIP,Country,Contact,Phone 1,Ext 1,Phone "
      "2,Ext 2,Fax,Cell / Pager,URL,E-Mail,ID,Misc info\n"
      "\"Smith, Jo\",\"A; \"\"B\"\"\",1 Road,Flat 2,K\xC3\xB6ln,NW,50667,DE,Jo "
      "Smith,555-1,7,555-2,8,555-3,"
      "555-4,http://x.example/a,jo@x.example,J1,\"line 1\nline 2\"\n"
      "Zed,,,,,,,,,,,,,,,,,,\n",
      kAnne);
  ASSERT_EQ(plan.rows.size(), 2u);
  std::string reason;
  for (auto& row : plan.rows) ASSERT_EQ(PhoneImportAdd(phones, row.record, &reason), 1) << reason;
  for (PhoneFileFormat format :
       {PhoneFileFormat::kCsv, PhoneFileFormat::kVCard30, PhoneFileFormat::kVCard40}) {
    std::string text;
    int count = 0;
    ASSERT_EQ(PhoneExportText(phones, kAnne, format, &text, &count), 1) << FormatAppError();
    EXPECT_EQ(count, 2);
    PhoneImportPlan back = PhoneImportRead(text, kBob);
    ASSERT_EQ(back.rows.size(), 2u) << text;
    EXPECT_TRUE(back.refused.empty());
    for (size_t i = 0; i < 2; ++i) {
      PhoneRecord want = plan.rows[i].record;
      SetFieldI32(want.bytes, ph::kList, kBob);
      EXPECT_EQ(std::memcmp(back.rows[i].record.bytes, want.bytes, 641), 0) << text;
    }
  }
  // An empty list exports its header alone, and cards not at all.
  std::string text;
  int count = -1;
  ASSERT_EQ(PhoneExportText(phones, kBob, PhoneFileFormat::kCsv, &text, &count), 1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(text, PhoneCsvHeaderLine());
  // A stop asked for by the progress fails the export.
  EXPECT_EQ(PhoneExportText(phones, kAnne, PhoneFileFormat::kCsv, &text, &count,
                            [](int done) { return done < 1; }),
            0);
}

// A folder nobody may write into: shut by its mode, or, for root (whom
// modes do not stop), the kernel's own read-only tree.
std::string ShutFolder(const TempDir& dir) {
  if (geteuid() == 0) return "/sys/";
  const std::string shut = dir.File("shut/");
  mkdir(shut.c_str(), 0555);
  return shut;
}

TEST(WriteFileWholeTest, AFailedWriteLeavesTheOldFileAndNoScratch) {
  TempDir dir;
  mkdir(dir.File("adir").c_str(), 0755);
  struct Case {
    const char* name;
    std::string path;
  };
  const Case cases[] = {
      {"a folder that is gone", dir.File("gone/out.csv")},
      {"a folder nobody may write", ShutFolder(dir) + "out.csv"},
      {"a name that is a folder", dir.File("adir")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string reason;
    EXPECT_FALSE(WriteFileWhole(c.path, "text", &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_NE(access((c.path + ".tmp").c_str(), F_OK), 0);
  }
  // The disk fills in the middle: the file keeps its old content.
  const std::string file = dir.File("list.csv");
  std::ofstream(file) << "old";
  const int status = WithFileSizeLimit(1000, [&] {
    std::string reason;
    return WriteFileWhole(file, std::string(5000, 'x'), &reason) ? 0 : 1;
  });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(ReadWholeFile(file), "old");
  EXPECT_NE(access((file + ".tmp").c_str(), F_OK), 0);
  // And a write that goes through replaces it.
  std::string reason;
  ASSERT_TRUE(WriteFileWhole(file, "new", &reason)) << reason;
  EXPECT_EQ(ReadWholeFile(file), "new");
}

}  // namespace
