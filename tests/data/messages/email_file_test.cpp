// E-mail files and their attachments: writing, reading, rewriting, copying
// and deleting an e-mail file with the stored files its header names, the
// attachment table, and the names from outside that never reach a path.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <tuple>

#include "data/messages/attachments.h"
#include "storage/records/email.h"
#include "tests/data/messages/email_fixture.h"
#include "tests/data/messages/message_checks.h"
#include "tests/support/file_size_limit.h"

namespace email = records::email;

namespace {

using Files = std::set<std::string>;

class EmailFileTest : public EmailDirTest {
 protected:
  EmailHeader SampleHeader() {
    EmailHeader h;
    h.SetTo("Bob, \"Smith, Ann\" <ann@example.com>");
    h.SetFrom("sue@office.example");
    h.SetSubject("Quarterly figures");
    h.SetCc("Carl");
    return h;
  }
  // A source file to attach.
  std::string Source(const std::string& name, const std::string& content) {
    std::string path = dir.File(name);
    WriteWholeFile(path, content);
    return path;
  }
  // An attachment added from a file of the given content.
  void Attach(EmailHeader& h, const std::string& name, const std::string& content) {
    ASSERT_EQ(AttachmentAdd(h, Source(name, content)), 1) << EmailError();
    std::remove(dir.File(name).c_str());
  }
  std::string StoredPath(const EmailHeader& h, int i) {
    return AttachmentFilePath(AttachmentAt(h, i).storedName);
  }
  // Puts raw bytes into an attachment entry's stored-name field, as the
  // gateway could.
  static void PokeStoredName(EmailHeader& h, int i, const char* bytes, size_t length) {
    uint8_t* field = h.bytes + email::Attachment(i).offset + email::entry::kStoredName.offset;
    std::memset(field, 0, email::entry::kStoredName.width);
    std::memcpy(field, bytes, length);
  }
  // Each attachment of copy is the one of h at its place, in a stored file
  // of its own with the same content.
  void ExpectOwnCopies(const EmailHeader& h, const EmailHeader& copy) {
    ASSERT_EQ(AttachmentCount(copy), AttachmentCount(h));
    for (int i = 0; i < AttachmentCount(h); ++i) {
      Attachment a = AttachmentAt(h, i), b = AttachmentAt(copy, i);
      EXPECT_NE(a.storedName, b.storedName);
      EXPECT_TRUE(IsStoredAttachmentName(b.storedName));
      EXPECT_EQ(std::tuple(a.ownName, a.size), std::tuple(b.ownName, b.size));
      EXPECT_EQ(ReadWholeFile(StoredPath(h, i)), ReadWholeFile(StoredPath(copy, i)));
    }
  }
  // The body of e-mail file number, its header in *h when given.
  std::string Body(int32_t number, bool sendLog = false, EmailHeader* h = nullptr) {
    std::string body;
    EmailHeader ignored;
    EXPECT_EQ(EmailRead(EmailFilePath(number, sendLog), h ? h : &ignored, &body, kEmailBodyLimit,
                        nullptr),
              1);
    return body;
  }
};

TEST_F(EmailFileTest, HeaderAndBodyComeBackAsWritten) {
  EmailHeader h = SampleHeader();
  h.bytes[email::kReserved.offset + 5] = 0x7e;  // the gateway's byte, carried as it is
  std::string body = "Dear Bob,\r\n\r\nprices in \x80 rose.\r\n";
  ASSERT_EQ(EmailWrite(h, body, 42), 1);

  EXPECT_EQ(ReadWholeFile(dir.File("DPE/42.DPE")).size(), 2048 + body.size());
  EmailHeader back;
  std::string text;
  bool truncated = true;
  ASSERT_EQ(EmailRead(EmailFilePath(42), &back, &text, kEmailBodyLimit, &truncated), 1);
  EXPECT_EQ(std::memcmp(back.bytes, h.bytes, sizeof h.bytes), 0);
  EXPECT_EQ(text, body);
  EXPECT_FALSE(truncated);
}

TEST_F(EmailFileTest, LongBodyIsReadCutAtTheLimitWithTheTruncatedFlag) {
  std::string body(40000, 'x');
  body[31999] = 'y';
  ASSERT_EQ(EmailWrite(SampleHeader(), body, 1), 1);
  ASSERT_EQ(EmailWrite(SampleHeader(), std::string(32000, 'x'), 2), 1);
  const struct {
    int32_t number;
    size_t limit;
    std::string text;
    bool truncated;
  } cases[] = {{1, kEmailBodyLimit, body.substr(0, 32000), true},
               {2, kEmailBodyLimit, std::string(32000, 'x'), false},
               {2, 10, std::string(10, 'x'), true}};
  for (const auto& c : cases) {
    std::string text;
    bool truncated = !c.truncated;
    ASSERT_EQ(EmailReadBody(EmailFilePath(c.number), &text, c.limit, &truncated), 1);
    EXPECT_EQ(text, c.text) << c.number << " " << c.limit;
    EXPECT_EQ(truncated, c.truncated) << c.number << " " << c.limit;
  }
}

TEST_F(EmailFileTest, FileShorterThanAHeaderIsAReadErrorAndOneWithoutNulsIsCutToItsFields) {
  WriteWholeFile(dir.File("DPE/5.DPE"), std::string(2047, '\0'));
  EmailHeader h;
  EXPECT_EQ(EmailRead(EmailFilePath(5), &h, nullptr, 0, nullptr), 0);
  EXPECT_EQ(EmailError(), "Error reading DPE file.");
  EXPECT_TRUE(Fails(EmailRead(EmailFilePath(6), &h, nullptr, 0, nullptr), kAppNoSuchFile));
  EXPECT_EQ(EmailError(), "Error reading DPE file.");
  WriteWholeFile(dir.File("DPE/9.DPE"), std::string(2048, '\xff') + "body");
  EXPECT_EQ(Body(9, false, &h), "body");
  EXPECT_EQ(h.To(), std::string(255, '\xff'));
  EXPECT_EQ(h.From(), std::string(127, '\xff'));
  EXPECT_EQ(h.Cc(), std::string(255, '\xff'));
  EXPECT_EQ(AttachmentCount(h), 40);
}

TEST_F(EmailFileTest, RewritingTheHeaderKeepsTheBodyAndAWholeRewriteCutsTheFile) {
  std::string body = "line one\r\nline two\r\n";
  ASSERT_EQ(EmailWrite(SampleHeader(), body, 3), 1);
  EmailHeader h = SampleHeader();
  h.SetSubject("Changed");
  ASSERT_EQ(EmailRewriteHeader(h, 3, false), 1);
  EmailHeader back;
  EXPECT_EQ(Body(3, false, &back), body);
  EXPECT_EQ(back.Subject(), "Changed");

  EXPECT_EQ(EmailRewriteHeader(h, 3, true), 0);  // no send-log copy to rewrite
  EXPECT_FALSE(FileExists(EmailFilePath(3, true)));
  // A whole rewrite replaces header and body and cuts the file.
  std::remove(EmailFilePath(3).c_str());
  ASSERT_EQ(EmailWrite(SampleHeader(), std::string(5000, 'a'), 4), 1);
  h.SetTo("Carl");
  ASSERT_EQ(EmailRewrite(h, "short", 4), 1);
  EXPECT_EQ(ReadWholeFile(dir.File("DPE/4.DPE")).size(), 2048u + 5);
  EXPECT_EQ(Body(4, false, &back), "short");
  EXPECT_EQ(back.To(), "Carl");
  EXPECT_EQ(FilesIn("DPE"), Files{"4.DPE"});  // nothing left beside it

  EXPECT_EQ(EmailRewrite(h, "x", 99), 0);  // only an existing file is rewritten
  EXPECT_FALSE(FileExists(EmailFilePath(99)));
}

TEST_F(EmailFileTest, AWriteThatCannotFinishLeavesNoFileAndARewriteTheOldOne) {
  EmailHeader h = SampleHeader();
  EXPECT_EQ(WithFileSizeLimit(3000, [&] { return EmailWrite(h, std::string(4000, 'b'), 8); }), 0);
  EXPECT_FALSE(FileExists(EmailFilePath(8)));
  ASSERT_EQ(EmailWrite(SampleHeader(), "old body", 8), 1);
  std::string before = ReadWholeFile(EmailFilePath(8));
  EXPECT_EQ(WithFileSizeLimit(3000, [&] { return EmailRewrite(h, std::string(4000, 'b'), 8); }), 0);
  EXPECT_EQ(ReadWholeFile(EmailFilePath(8)), before);
  EXPECT_EQ(FilesIn("DPE"), Files{"8.DPE"});
}

TEST_F(EmailFileTest, DeleteRemovesBodyAttachmentsAndRawFileAndNothingElse) {
  EmailHeader h = SampleHeader();
  Attach(h, "a.txt", "first");
  Attach(h, "b.txt", "second");
  ASSERT_EQ(EmailWrite(h, "body", 10), 1);
  WriteWholeFile(dir.File("DPE/in-0001.RAW"), "raw mail");
  // Another e-mail with an attachment of its own, and its raw file.
  EmailHeader other = SampleHeader();
  Attach(other, "c.txt", "third");
  ASSERT_EQ(EmailWrite(other, "other", 11), 1);
  WriteWholeFile(dir.File("DPE/in-0002.RAW"), "raw mail");

  ASSERT_EQ(EmailDeleteFiles(EmailFilePath(10), "in-0001"), 1) << EmailError();
  EXPECT_EQ(FilesIn("DPE"),
            (Files{"11.DPE", "in-0002.RAW", AttachmentAt(other, 0).storedName + ".ATT"}));
  EXPECT_EQ(ReadWholeFile(StoredPath(other, 0)), "third");
  // A raw file goes without its e-mail file. (The stem a message record
  // names is taken with the message's delete.)
  WriteWholeFile(dir.File("DPE/gone.RAW"), "raw");
  EXPECT_EQ(EmailDeleteFiles(EmailFilePath(13), "gone"), 1);
  EXPECT_FALSE(FileExists(dir.File("DPE/gone.RAW")));
}

TEST_F(EmailFileTest, HostileAttachmentNamesAreRefusedAndNothingOutsideDpeIsDeleted) {
  WriteWholeFile(dir.File("victim.ATT"), "precious");
  WriteWholeFile(dir.File("DPE/12345678.ATT"), "not ours");
  EmailHeader h = SampleHeader();
  for (int i = 0; i < 3; ++i) ASSERT_EQ(AttachmentAddBytes(h, "a.txt", "x"), 1);
  std::string goodName = AttachmentAt(h, 0).storedName;
  for (int i = 1; i < 3; ++i) std::remove(StoredPath(h, i).c_str());
  PokeStoredName(h, 1, "../victim", 9);  // DPE/../victim.ATT, no NUL
  PokeStoredName(h, 2, "12345678.", 9);  // fills the field: "12345678.x" cut
  ASSERT_EQ(EmailWrite(h, "body", 14), 1);
  // Such an e-mail is not copied, and the copy leaves nothing behind.
  const Files before = FilesIn("DPE");
  EXPECT_TRUE(Fails(EmailCopyFile(EmailFilePath(14), EmailFilePath(15)), kAppInvalidName));
  EXPECT_EQ(FilesIn("DPE"), before);

  EXPECT_TRUE(Fails(EmailDeleteFiles(EmailFilePath(14), ""), kAppInvalidName));
  EXPECT_EQ(EmailError(), "Invalid attachment name: ../victim.");
  EXPECT_EQ(ReadWholeFile(dir.File("victim.ATT")), "precious");
  // The good attachment and the e-mail file itself are gone all the same.
  EXPECT_EQ(FilesIn("DPE"), Files{"12345678.ATT"});
  EXPECT_FALSE(FileExists(AttachmentFilePath(goodName)));
}

TEST_F(EmailFileTest, HostileRawStemsAreRefusedAndNothingOutsideDpeIsDeleted) {
  WriteWholeFile(dir.File("victim.RAW"), "precious");
  for (const char* stem : {"../victim", "..", "a/b", "/etc/passwd", "c:\\x", "in*", "a\tb"}) {
    EXPECT_FALSE(IsRawStem(stem)) << stem;
    ASSERT_EQ(EmailWrite(SampleHeader(), "body", 15), 1);
    EXPECT_EQ(EmailDeleteFiles(EmailFilePath(15), stem), 0) << stem;
    EXPECT_EQ(EmailError(), "Invalid raw file name: " + Printable(stem) + ".");
    EXPECT_FALSE(FileExists(EmailFilePath(15))) << "the e-mail file still goes";
  }
  EXPECT_EQ(ReadWholeFile(dir.File("victim.RAW")), "precious");
  EXPECT_FALSE(IsRawStem(""));
  EXPECT_FALSE(IsRawStem(std::string(161, 'a')));
  EXPECT_TRUE(IsRawStem("msg-2024.0001_x"));
  EXPECT_TRUE(IsRawStem("Mail from \xe9mile"));
}

TEST_F(EmailFileTest, CopyGivesTheTargetAttachmentFilesOfItsOwn) {
  EmailHeader h = SampleHeader();
  h.bytes[email::kReserved.offset] = 9;
  Attach(h, "report.txt", "report text");
  Attach(h, "pic.bmp", std::string(10000, '\x01'));
  ASSERT_EQ(EmailWrite(h, "the body", 20), 1);
  std::string before = ReadWholeFile(EmailFilePath(20));

  ASSERT_EQ(EmailCopyFile(EmailFilePath(20), EmailFilePath(20, true),
                          [](EmailHeader& copy) { copy.SetTo("Dora"); }),
            1)
      << EmailError();
  EXPECT_EQ(ReadWholeFile(EmailFilePath(20)), before);
  EmailHeader copy;
  EXPECT_EQ(Body(20, true, &copy), "the body");
  EXPECT_EQ(copy.To(), "Dora");
  EXPECT_EQ(copy.Subject(), h.Subject());
  EXPECT_EQ(copy.bytes[email::kReserved.offset], 9);
  EXPECT_EQ(AttachmentCount(copy), 2);
  ExpectOwnCopies(h, copy);
  // Deleting the copy leaves the original's attachments.
  ASSERT_EQ(EmailDeleteFiles(EmailFilePath(20, true), ""), 1);
  EXPECT_EQ(ReadWholeFile(StoredPath(h, 0)), "report text");
}

TEST_F(EmailFileTest, FailedCopyLeavesNoTargetAndNoDuplicates) {
  EmailHeader h = SampleHeader();
  Attach(h, "a.txt", "aaa");
  Attach(h, "b.txt", "bbb");
  ASSERT_EQ(EmailWrite(h, "body", 21), 1);
  std::remove(StoredPath(h, 1).c_str());  // the second attachment file is lost
  Files before = FilesIn("DPE");

  EXPECT_EQ(EmailCopyFile(EmailFilePath(21), EmailFilePath(22)), 0);
  EXPECT_EQ(EmailError(), "Error opening file.");
  EXPECT_EQ(FilesIn("DPE"), before);

  EXPECT_EQ(EmailCopyFile(EmailFilePath(23), EmailFilePath(24)), 0);
  EXPECT_EQ(EmailError(), "Error reading DPE file.");
  EXPECT_FALSE(FileExists(EmailFilePath(24)));
  // Nor is a file copied onto itself.
  ASSERT_EQ(EmailWrite(SampleHeader(), "body", 27), 1);
  const std::string kept = ReadWholeFile(EmailFilePath(27));
  EXPECT_EQ(EmailCopyFile(EmailFilePath(27), EmailFilePath(27)), 0);
  EXPECT_EQ(ReadWholeFile(EmailFilePath(27)), kept);
}

TEST_F(EmailFileTest, LargeBodiesAreCopiedWhole) {
  std::string body(3 * 1024 * 1024 + 7, 'z');
  body[body.size() / 2] = '\0';
  ASSERT_EQ(EmailWrite(SampleHeader(), body, 29), 1);
  ASSERT_EQ(EmailCopyFile(EmailFilePath(29), EmailFilePath(29, true)), 1) << EmailError();
  std::string copy;
  bool truncated = true;
  ASSERT_EQ(EmailRead(EmailFilePath(29, true), nullptr, &copy, SIZE_MAX, &truncated), 1);
  EXPECT_EQ(copy, body);
  EXPECT_FALSE(truncated);
}

// ---- The attachment table and its stored files ----

using AttachmentsTest = EmailFileTest;

TEST_F(AttachmentsTest, StoredNamesCountUpFromTheClockPastNamesAlreadyTaken) {
  now = 0x61000000;
  WriteWholeFile(dir.File("DPE/61000001.ATT"), "taken by another workstation");
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
  for (int i = 0; i < 10; ++i)
    WriteWholeFile(dir.File("DPE/" + std::to_string(62000000 + i) + ".ATT"), "");
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
  EXPECT_EQ(ReadWholeFile(StoredPath(h, 2)), "");
  // A missing source is an open error and stores nothing.
  EXPECT_EQ(AttachmentAdd(h, dir.File("nowhere.txt")), 0);
  EXPECT_EQ(EmailError(), "Error opening file.");
  EXPECT_EQ(AttachmentCount(h), 3);
  EXPECT_EQ(FilesIn("DPE").size(), 3u);
  // The forty-first is refused.
  while (AttachmentCount(h) < 40) ASSERT_EQ(AttachmentAdd(h, Source("a.txt", "a")), 1);
  EXPECT_EQ(AttachmentAdd(h, Source("a.txt", "a")), 0);
  EXPECT_EQ(EmailError(), "Maximum of 40 attachments allowed.");
  EXPECT_EQ(AttachmentCount(h), 40);
  EXPECT_EQ(FilesIn("DPE").size(), 40u);
}

TEST_F(AttachmentsTest, RemovingAnEntryDeletesItsFileAndMovesTheLaterOnesUp) {
  EmailHeader h;
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    ASSERT_EQ(AttachmentAdd(h, Source(name, name)), 1);
  std::string removed = StoredPath(h, 1);
  ASSERT_EQ(AttachmentRemove(h, 1), 1);
  EXPECT_FALSE(FileExists(removed));
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
  ExpectOwnCopies(h, copy);
  EXPECT_EQ(FilesIn("DPE").size(), 4u);
  // A failed duplication leaves the header and no new files.
  for (const std::string& gone : {StoredPath(copy, 0), StoredPath(copy, 1), StoredPath(h, 1)})
    std::remove(gone.c_str());
  copy = h;
  EXPECT_EQ(AttachmentsDuplicate(copy), 0);
  EXPECT_EQ(EmailError(), "Error opening file.");
  EXPECT_EQ(std::memcmp(copy.bytes, h.bytes, sizeof h.bytes), 0);
  EXPECT_EQ(FilesIn("DPE"), Files{AttachmentAt(h, 0).storedName + ".ATT"});
}

TEST_F(AttachmentsTest, SaveCopiesTheStoredFileOut) {
  EmailHeader h;
  ASSERT_EQ(AttachmentAdd(h, Source("a.txt", "alpha")), 1);
  std::string target = Source("saved.txt", "an older and longer file");
  ASSERT_EQ(AttachmentSave(AttachmentAt(h, 0).storedName, target), 1);
  EXPECT_EQ(ReadWholeFile(target), "alpha");
  EXPECT_EQ(AttachmentSave("0000000a", target), 0);
  EXPECT_EQ(EmailError(), "Error opening file.");
  EXPECT_EQ(ReadWholeFile(target), "alpha");
  // Saving a stored file onto itself would empty it.
  EXPECT_EQ(AttachmentSave(AttachmentAt(h, 0).storedName, StoredPath(h, 0)), 0);
  EXPECT_EQ(ReadWholeFile(StoredPath(h, 0)), "alpha");
}

TEST_F(AttachmentsTest, OnlyTheNamesThisSystemWritesAreUsedInAPath) {
  WriteWholeFile(dir.File("secret"), "do not copy");
  WriteWholeFile(dir.File("DPE/ABCDEF12.ATT"), "not ours");
  std::string target = dir.File("out");
  for (const char* name : {"../../etc/passwd", "../secret", "ABCDEF12", "1234567", "12345678.x",
                           "/etc/passwd", "", "1234567g", "123456789"}) {
    EXPECT_FALSE(IsStoredAttachmentName(name)) << name;
    EXPECT_TRUE(Fails(AttachmentSave(name, target), kAppInvalidName)) << name;
    EXPECT_EQ(EmailError(), "Invalid attachment name: " + std::string(name) + ".");
    EXPECT_FALSE(FileExists(target)) << name;
  }
  // A name is shown printable: control bytes as "?", blanks as they are.
  EXPECT_EQ(AttachmentSave("a b\tc\x7f", target), 0);
  EXPECT_EQ(EmailError(), "Invalid attachment name: a b?c?.");
  EXPECT_TRUE(IsStoredAttachmentName("0123abcd"));
}

// Deleting goes on past a failure, and what the caller is told, sentence
// and error alike, is the first failure, not the last; a hostile name is
// neither duplicated nor removed.
TEST_F(AttachmentsTest, HostileNamesAreNotFollowedAndDeletingGoesOnPastFailuresReportingTheFirst) {
  WriteWholeFile(dir.File("victim.ATT"), "precious");
  EmailHeader h;
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    ASSERT_EQ(AttachmentAdd(h, Source(name, name)), 1);
  const std::string b = StoredPath(h, 1);
  const std::string c = StoredPath(h, 2);
  PokeStoredName(h, 0, "../victim", 9);
  EmailHeader copy = h;
  EXPECT_EQ(AttachmentsDuplicate(copy), 0);
  EXPECT_EQ(EmailError(), "Invalid attachment name: ../victim.");
  EXPECT_EQ(AttachmentRemove(copy, 0), 0);
  EXPECT_EQ(FilesIn("DPE").size(), 3u);
  // A folder with something in it, which no one can unlink, root included.
  ASSERT_EQ(::unlink(b.c_str()), 0);
  ASSERT_EQ(::mkdir(b.c_str(), 0700), 0);
  WriteWholeFile(b + "/inside", "x");
  EXPECT_TRUE(Fails(AttachmentsDeleteFiles(h), kAppInvalidName, "../victim"));
  EXPECT_EQ(EmailError(), "Invalid attachment name: ../victim.");
  EXPECT_FALSE(FileExists(c));
  EXPECT_EQ(ReadWholeFile(dir.File("victim.ATT")), "precious");
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

TEST_F(AttachmentsTest, BytesFromElsewhereAreStoredUnderASafeShortName) {
  const std::pair<std::string, std::string> cases[] = {
      {"report.pdf", "report.pdf"},        {"../../etc/passwd", "passwd"},
      {"C:\\Windows\\win.ini", "win.ini"}, {"..", "_~1"},
      {"a\x01\x1fz.txt", "A__Z~1.TXT"},    {"dir/", "_~1"},
  };
  EmailHeader h;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& [name, ownName] = cases[i];
    int index = -1;
    ASSERT_EQ(AttachmentAddBytes(h, name, std::string(i, 'x'), &index), 1) << EmailError();
    EXPECT_EQ(index, int(i));
    EXPECT_EQ(AttachmentAt(h, int(i)).ownName, ownName) << name;
    EXPECT_EQ(AttachmentAt(h, int(i)).size, i);
    EXPECT_EQ(ReadWholeFile(StoredPath(h, int(i))), std::string(i, 'x'));
  }
  EXPECT_EQ(FilesIn("DPE").size(), std::size(cases));
  while (AttachmentCount(h) < 40) ASSERT_EQ(AttachmentAddBytes(h, "x.bin", "x"), 1);
  EXPECT_EQ(AttachmentAddBytes(h, "x.bin", "x"), 0);
  EXPECT_EQ(EmailError(), "Maximum of 40 attachments allowed.");
  EXPECT_EQ(FilesIn("DPE").size(), 40u);
}

}  // namespace
