#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "data/messages/attachments.h"
#include "storage/records/email.h"
#include "tests/data/messages/email_fixture.h"

namespace email = records::email;

namespace {

class AttachmentsTest : public EmailDirTest {
 protected:
  std::string Source(const std::string& name, const std::string& content) {
    std::string path = dir.File(name);
    WriteFile(path, content);
    return path;
  }
};

TEST_F(AttachmentsTest, StoredNamesCountUpFromTheClockPastNamesAlreadyTaken) {
  now = 0x61000000;
  WriteFile(dir.File("DPE/61000001.ATT"), "taken by another workstation");
  std::string name;
  File f;
  ASSERT_EQ(CreateUniqueFile("ATT", &name, &f), 1);
  EXPECT_EQ(name, "61000000");
  ASSERT_EQ(CreateUniqueFile("ATT", &name, &f), 1);
  EXPECT_EQ(name, "61000002");
  EXPECT_EQ(ReadWholeFile(dir.File("DPE/61000001.ATT")), "taken by another workstation");
  // A clock that went back does not bring old names round again.
  now = 0x60ffffff;
  ASSERT_EQ(CreateUniqueFile("ATT", &name, &f), 1);
  EXPECT_EQ(name, "61000003");
  // Ten names in a row taken: give up.
  now = 0x62000000;
  for (int i = 0; i < 10; ++i) {
    char taken[32];
    std::snprintf(taken, sizeof taken, "DPE/%08x.ATT", 0x62000000 + i);
    WriteFile(dir.File(taken), "");
  }
  EXPECT_EQ(CreateUniqueFile("ATT", &name, &f), 0);
  EXPECT_EQ(EmailError(), "Could not create a unique file.");
}

TEST_F(AttachmentsTest, AddStoresACopyUnderItsShortNameWithItsSizeOrNothingWithoutASource) {
  EmailHeader h;
  int index = -1;
  ASSERT_EQ(AttachmentAdd(h, Source("notes.txt", "hello"), &index), 1) << EmailError();
  ASSERT_EQ(AttachmentAdd(h, Source("Quarterly Report.xlsx", std::string(5000, 'q')), &index), 1);
  EXPECT_EQ(index, 1);
  ASSERT_EQ(AttachmentCount(h), 2);
  Attachment a = AttachmentAt(h, 0);
  EXPECT_EQ(a.ownName, "notes.txt");
  EXPECT_TRUE(IsStoredAttachmentName(a.storedName));
  EXPECT_EQ(a.size, 5u);
  EXPECT_EQ(ReadWholeFile(AttachmentFilePath(a.storedName)), "hello");
  Attachment b = AttachmentAt(h, 1);
  EXPECT_EQ(b.ownName, "QUARTE~1.XLS");
  EXPECT_EQ(b.size, 5000u);
  EXPECT_EQ(h.bytes[email::Attachment(1).offset + email::entry::kZero.offset], 0);
  // An empty file is an attachment too.
  ASSERT_EQ(AttachmentAdd(h, Source("empty.txt", ""), &index), 1) << EmailError();
  EXPECT_EQ(AttachmentAt(h, 2).size, 0u);
  EXPECT_EQ(ReadWholeFile(AttachmentFilePath(AttachmentAt(h, 2).storedName)), "");
  // A missing source is an open error and stores nothing.
  EXPECT_EQ(AttachmentAdd(h, dir.File("nowhere.txt")), 0);
  EXPECT_EQ(EmailError(), "Error opening file.");
  EXPECT_EQ(AttachmentCount(h), 3);
  EXPECT_EQ(FilesIn("DPE").size(), 3u);
}

TEST_F(AttachmentsTest, TheFortyFirstAttachmentIsRefused) {
  EmailHeader h;
  std::string source = Source("a.txt", "a");
  for (int i = 0; i < 40; ++i) ASSERT_EQ(AttachmentAdd(h, source), 1) << i;
  EXPECT_EQ(AttachmentAdd(h, source), 0);
  EXPECT_EQ(EmailError(), "Maximum of 40 attachments allowed.");
  EXPECT_EQ(AttachmentCount(h), 40);
  EXPECT_EQ(FilesIn("DPE").size(), 40u);
}

TEST_F(AttachmentsTest, RemovingAnEntryDeletesItsFileAndMovesTheLaterOnesUp) {
  EmailHeader h;
  ASSERT_EQ(AttachmentAdd(h, Source("a.txt", "a")), 1);
  ASSERT_EQ(AttachmentAdd(h, Source("b.txt", "b")), 1);
  ASSERT_EQ(AttachmentAdd(h, Source("c.txt", "c")), 1);
  std::string removed = AttachmentAt(h, 1).storedName;
  ASSERT_EQ(AttachmentRemove(h, 1), 1);
  EXPECT_FALSE(FileExists(AttachmentFilePath(removed)));
  ASSERT_EQ(AttachmentCount(h), 2);
  EXPECT_EQ(AttachmentAt(h, 0).ownName, "a.txt");
  EXPECT_EQ(AttachmentAt(h, 1).ownName, "c.txt");
  for (int i = email::Attachment(2).offset; i < email::kHeaderSize; ++i)
    ASSERT_EQ(h.bytes[i], 0) << i;
  EXPECT_EQ(AttachmentRemove(h, 2), 0);
  EXPECT_EQ(EmailError(), "No entry selected.");
}

TEST_F(AttachmentsTest, DuplicatesHaveNewNamesAndTheSameContentOrNoneAtAll) {
  EmailHeader h;
  ASSERT_EQ(AttachmentAdd(h, Source("a.txt", "alpha")), 1);
  ASSERT_EQ(AttachmentAdd(h, Source("b.bin", std::string(9000, '\0'))), 1);
  EmailHeader copy = h;
  ASSERT_EQ(AttachmentsDuplicate(copy), 1) << EmailError();
  for (int i = 0; i < 2; ++i) {
    Attachment a = AttachmentAt(h, i), b = AttachmentAt(copy, i);
    EXPECT_NE(a.storedName, b.storedName);
    EXPECT_TRUE(IsStoredAttachmentName(b.storedName));
    EXPECT_EQ(a.ownName, b.ownName);
    EXPECT_EQ(a.size, b.size);
    EXPECT_EQ(ReadWholeFile(AttachmentFilePath(a.storedName)),
              ReadWholeFile(AttachmentFilePath(b.storedName)));
  }
  EXPECT_EQ(FilesIn("DPE").size(), 4u);
  // A failed duplication leaves the header and no new files.
  std::remove(AttachmentFilePath(AttachmentAt(copy, 0).storedName).c_str());
  std::remove(AttachmentFilePath(AttachmentAt(copy, 1).storedName).c_str());
  std::remove(AttachmentFilePath(AttachmentAt(h, 1).storedName).c_str());
  copy = h;
  EXPECT_EQ(AttachmentsDuplicate(copy), 0);
  EXPECT_EQ(EmailError(), "Error opening file.");
  EXPECT_EQ(std::memcmp(copy.bytes, h.bytes, sizeof h.bytes), 0);
  EXPECT_EQ(FilesIn("DPE"), std::set<std::string>{AttachmentAt(h, 0).storedName + ".ATT"});
}

TEST_F(AttachmentsTest, SaveCopiesTheStoredFileOut) {
  EmailHeader h;
  ASSERT_EQ(AttachmentAdd(h, Source("a.txt", "alpha")), 1);
  std::string target = dir.File("saved.txt");
  WriteFile(target, "an older and longer file");
  ASSERT_EQ(AttachmentSave(AttachmentAt(h, 0).storedName, target), 1);
  EXPECT_EQ(ReadWholeFile(target), "alpha");
  EXPECT_EQ(AttachmentSave("0000000a", target), 0);
  EXPECT_EQ(EmailError(), "Error opening file.");
  EXPECT_EQ(ReadWholeFile(target), "alpha");
  // Saving a stored file onto itself would empty it.
  std::string stored = AttachmentFilePath(AttachmentAt(h, 0).storedName);
  EXPECT_EQ(AttachmentSave(AttachmentAt(h, 0).storedName, stored), 0);
  EXPECT_EQ(ReadWholeFile(stored), "alpha");
}

TEST_F(AttachmentsTest, OnlyTheNamesThisSystemWritesAreUsedInAPath) {
  WriteFile(dir.File("secret"), "do not copy");
  WriteFile(dir.File("DPE/ABCDEF12.ATT"), "not ours");
  std::string target = dir.File("out");
  for (const char* name : {"../../etc/passwd", "../secret", "ABCDEF12", "1234567", "12345678.x",
                           "/etc/passwd", "", "1234567g", "123456789"}) {
    EXPECT_FALSE(IsStoredAttachmentName(name)) << name;
    EXPECT_EQ(AttachmentSave(name, target), 0) << name;
    EXPECT_EQ(EmailError(), "Invalid attachment name: " + std::string(name) + ".");
    EXPECT_EQ(AppErrorCode(), kAppInvalidName);
    EXPECT_FALSE(FileExists(target)) << name;
  }
  // A name is shown printable: control bytes as "?", blanks as they are.
  EXPECT_EQ(AttachmentSave("a b\tc\x7f", target), 0);
  EXPECT_EQ(EmailError(), "Invalid attachment name: a b?c?.");
  EXPECT_TRUE(IsStoredAttachmentName("0123abcd"));
}

TEST_F(AttachmentsTest, HostileNamesInAHeaderAreNeitherDuplicatedNorRemoved) {
  WriteFile(dir.File("victim.ATT"), "precious");
  EmailHeader h;
  ASSERT_EQ(AttachmentAdd(h, Source("a.txt", "a")), 1);
  uint8_t* field = h.bytes + email::Attachment(0).offset + email::entry::kStoredName.offset;
  std::memcpy(field, "../victim", 9);
  EmailHeader copy = h;
  EXPECT_EQ(AttachmentsDuplicate(copy), 0);
  EXPECT_EQ(EmailError(), "Invalid attachment name: ../victim.");
  EXPECT_EQ(AttachmentRemove(copy, 0), 0);
  EXPECT_EQ(AttachmentsDeleteFiles(copy), 0);
  EXPECT_EQ(ReadWholeFile(dir.File("victim.ATT")), "precious");
  EXPECT_EQ(FilesIn("DPE").size(), 1u);  // only the file "a.txt" was stored in
}

// Deleting goes on past a failure, and what the caller is told, sentence
// and error alike, is the first failure, not the last.
TEST_F(AttachmentsTest, DeletingGoesOnPastFailuresAndReportsTheFirst) {
  EmailHeader h;
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    ASSERT_EQ(AttachmentAdd(h, Source(name, name)), 1);
  const std::string b = AttachmentFilePath(AttachmentAt(h, 1).storedName);
  const std::string c = AttachmentFilePath(AttachmentAt(h, 2).storedName);
  std::memcpy(h.bytes + email::Attachment(0).offset + email::entry::kStoredName.offset, "../victim",
              9);
  // A folder with something in it, which no one can unlink, root included.
  ASSERT_EQ(::unlink(b.c_str()), 0);
  ASSERT_EQ(::mkdir(b.c_str(), 0700), 0);
  WriteFile(b + "/inside", "x");
  EXPECT_EQ(AttachmentsDeleteFiles(h), 0);
  EXPECT_EQ(EmailError(), "Invalid attachment name: ../victim.");
  EXPECT_EQ(AppErrorCode(), kAppInvalidName);
  EXPECT_EQ(AppErrorName(), "../victim");
  EXPECT_FALSE(FileExists(c));
}

TEST_F(AttachmentsTest, NamesWithoutAnEightDotThreeFormGetAShortForm) {
  EXPECT_EQ(ShortFileName("/home/sue/notes.txt"), "notes.txt");
  EXPECT_EQ(ShortFileName("README"), "README");
  EXPECT_EQ(ShortFileName("/x/Quarterly Report.xlsx"), "QUARTE~1.XLS");
  EXPECT_EQ(ShortFileName("archive.tar.gz"), "ARCHIV~1.GZ");
  EXPECT_EQ(ShortFileName(".profile"), "PROFIL~1");
  EXPECT_EQ(ShortFileName("a+b.txt"), "A_B~1.TXT");
  EXPECT_LE(ShortFileName("/x/aaaaaaaaaaaaaaaaaaaaaaaaa.bbbbbbbbbbbbb").size(), 12u);
}

}  // namespace

TEST_F(AttachmentsTest, BytesFromElsewhereAreStoredUnderASafeShortName) {
  struct Case {
    std::string name;
    std::string ownName;
  };
  const std::vector<Case> cases = {
      {"report.pdf", "report.pdf"},
      {"../../etc/passwd", "passwd"},
      {"C:\\Windows\\win.ini", "win.ini"},
      {"..", "_~1"},
      {"a\x01\x1f"
       "b.txt",
       "A__B~1.TXT"},
      {"", "_~1"},
      {"dir/", "_~1"},
  };
  EmailHeader h;
  for (size_t i = 0; i < cases.size(); ++i) {
    int index = -1;
    ASSERT_EQ(AttachmentAddBytes(h, cases[i].name, std::string(i, 'x'), &index), 1) << EmailError();
    EXPECT_EQ(index, int(i));
    Attachment a = AttachmentAt(h, int(i));
    EXPECT_EQ(a.ownName, cases[i].ownName) << cases[i].name;
    EXPECT_EQ(a.size, i);
    EXPECT_EQ(ReadWholeFile(AttachmentFilePath(a.storedName)), std::string(i, 'x'));
  }
  EXPECT_EQ(FilesIn("DPE").size(), cases.size());
  while (AttachmentCount(h) < 40) ASSERT_EQ(AttachmentAddBytes(h, "x.bin", "x"), 1);
  EXPECT_EQ(AttachmentAddBytes(h, "x.bin", "x"), 0);
  EXPECT_EQ(EmailError(), "Maximum of 40 attachments allowed.");
  EXPECT_EQ(FilesIn("DPE").size(), 40u);
}
