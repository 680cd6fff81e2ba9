#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstring>

#include "data/messages/attachments.h"
#include "storage/records/email.h"
#include "tests/data/messages/email_fixture.h"
#include "tests/support/file_size_limit.h"

namespace email = records::email;

namespace {

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
  // An attachment added from a file of the given content.
  void Attach(EmailHeader& h, const std::string& name, const std::string& content) {
    std::string source = dir.File(name);
    WriteFile(source, content);
    ASSERT_EQ(AttachmentAdd(h, source), 1) << EmailError();
    std::remove(source.c_str());
  }
  std::string StoredPath(const EmailHeader& h, int i) {
    return AttachmentFilePath(AttachmentAt(h, i).storedName);
  }
  // Puts raw bytes into an attachment entry's stored-name field, as the
  // gateway could.
  void PokeStoredName(EmailHeader& h, int i, const char* bytes, size_t length) {
    uint8_t* field = h.bytes + email::Attachment(i).offset + email::entry::kStoredName.offset;
    std::memset(field, 0, email::entry::kStoredName.width);
    std::memcpy(field, bytes, length);
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
  EXPECT_EQ(back.To(), "Bob, \"Smith, Ann\" <ann@example.com>");
  EXPECT_EQ(back.Subject(), "Quarterly figures");
  EXPECT_EQ(text, body);
  EXPECT_FALSE(truncated);
  // A send-log copy lives in the send-log folder.
  EXPECT_EQ(EmailFilePath(7, true), dir.File("SENDLOG/7.DPE"));
}

TEST_F(EmailFileTest, LongBodyIsReadCutAtTheLimitWithTheTruncatedFlag) {
  std::string body(40000, 'x');
  body[31999] = 'y';
  ASSERT_EQ(EmailWrite(SampleHeader(), body, 1), 1);
  std::string text;
  bool truncated = false;
  ASSERT_EQ(EmailReadBody(EmailFilePath(1), &text, kEmailBodyLimit, &truncated), 1);
  EXPECT_EQ(text.size(), 32000u);
  EXPECT_EQ(text.back(), 'y');
  EXPECT_TRUE(truncated);

  ASSERT_EQ(EmailWrite(SampleHeader(), std::string(32000, 'x'), 2), 1);
  ASSERT_EQ(EmailReadBody(EmailFilePath(2), &text, kEmailBodyLimit, &truncated), 1);
  EXPECT_EQ(text.size(), 32000u);
  EXPECT_FALSE(truncated);

  ASSERT_EQ(EmailReadBody(EmailFilePath(2), &text, 10, &truncated), 1);
  EXPECT_EQ(text, std::string(10, 'x'));
  EXPECT_TRUE(truncated);
}

TEST_F(EmailFileTest, FileShorterThanAHeaderIsAReadError) {
  WriteFile(dir.File("DPE/5.DPE"), std::string(2047, '\0'));
  EmailHeader h;
  EXPECT_EQ(EmailRead(EmailFilePath(5), &h, nullptr, 0, nullptr), 0);
  EXPECT_EQ(EmailError(), "Error reading DPE file.");
  EXPECT_EQ(EmailRead(EmailFilePath(6), &h, nullptr, 0, nullptr), 0);
  EXPECT_EQ(EmailError(), "Error reading DPE file.");
  EXPECT_EQ(AppErrorCode(), kAppNoSuchFile);
}

TEST_F(EmailFileTest, HeaderWithoutAnyNulIsReadCutToItsFields) {
  std::string raw(2048, '\xff');
  raw += "body";
  WriteFile(dir.File("DPE/9.DPE"), raw);
  EmailHeader h;
  std::string body;
  bool truncated = true;
  ASSERT_EQ(EmailRead(EmailFilePath(9), &h, &body, kEmailBodyLimit, &truncated), 1);
  EXPECT_EQ(h.To(), std::string(255, '\xff'));
  EXPECT_EQ(h.From(), std::string(127, '\xff'));
  EXPECT_EQ(h.Cc(), std::string(255, '\xff'));
  EXPECT_EQ(body, "body");
  EXPECT_EQ(AttachmentCount(h), 40);
}

TEST_F(EmailFileTest, RewritingTheHeaderKeepsTheBodyAndAWholeRewriteCutsTheFile) {
  std::string body = "line one\r\nline two\r\n";
  ASSERT_EQ(EmailWrite(SampleHeader(), body, 3), 1);
  EmailHeader h = SampleHeader();
  h.SetSubject("Changed");
  ASSERT_EQ(EmailRewriteHeader(h, 3, false), 1);
  EmailHeader back;
  std::string text;
  ASSERT_EQ(EmailRead(EmailFilePath(3), &back, &text, kEmailBodyLimit, nullptr), 1);
  EXPECT_EQ(back.Subject(), "Changed");
  EXPECT_EQ(text, body);

  EXPECT_EQ(EmailRewriteHeader(h, 3, true), 0);  // no send-log copy to rewrite
  EXPECT_FALSE(FileExists(EmailFilePath(3, true)));
  // A whole rewrite replaces header and body and cuts the file.
  std::remove(EmailFilePath(3).c_str());
  ASSERT_EQ(EmailWrite(SampleHeader(), std::string(5000, 'a'), 4), 1);
  h.SetTo("Carl");
  ASSERT_EQ(EmailRewrite(h, "short", 4), 1);
  EXPECT_EQ(ReadWholeFile(dir.File("DPE/4.DPE")).size(), 2048u + 5);
  ASSERT_EQ(EmailRead(EmailFilePath(4), &back, &text, kEmailBodyLimit, nullptr), 1);
  EXPECT_EQ(back.To(), "Carl");
  EXPECT_EQ(text, "short");
  EXPECT_EQ(FilesIn("DPE"), std::set<std::string>{"4.DPE"});  // nothing left beside it

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
  EXPECT_EQ(FilesIn("DPE"), std::set<std::string>{"8.DPE"});
}

TEST_F(EmailFileTest, DeleteRemovesBodyAttachmentsAndRawFileAndNothingElse) {
  EmailHeader h = SampleHeader();
  Attach(h, "a.txt", "first");
  Attach(h, "b.txt", "second");
  ASSERT_EQ(EmailWrite(h, "body", 10), 1);
  WriteFile(dir.File("DPE/in-0001.RAW"), "raw mail");
  // Another e-mail with an attachment of its own, and its raw file.
  EmailHeader other = SampleHeader();
  Attach(other, "c.txt", "third");
  ASSERT_EQ(EmailWrite(other, "other", 11), 1);
  WriteFile(dir.File("DPE/in-0002.RAW"), "raw mail");
  std::string keep = StoredPath(other, 0);

  ASSERT_EQ(EmailDeleteFiles(EmailFilePath(10), "in-0001"), 1) << EmailError();
  EXPECT_EQ(FilesIn("DPE"), (std::set<std::string>{"11.DPE", "in-0002.RAW",
                                                   AttachmentAt(other, 0).storedName + ".ATT"}));
  EXPECT_EQ(ReadWholeFile(keep), "third");
}

TEST_F(EmailFileTest, DeleteTakesTheRawStemFromTheRecordAndRemovesItWithoutTheFile) {
  WriteFile(dir.File("DPE/gone.RAW"), "raw");
  EXPECT_EQ(EmailDeleteFiles(EmailFilePath(13), "gone"), 1);
  ASSERT_EQ(EmailWrite(SampleHeader(), "body", 12), 1);
  WriteFile(dir.File("DPE/msg12.RAW"), "raw");
  uint8_t record[records::message::kRecordSize] = {};
  SetFieldText(record, records::message::kRawStem, "msg12");
  ASSERT_EQ(EmailDeleteFiles(record, EmailFilePath(12)), 1);
  EXPECT_TRUE(FilesIn("DPE").empty());
}

TEST_F(EmailFileTest, HostileAttachmentNamesAreRefusedAndNothingOutsideDpeIsDeleted) {
  WriteFile(dir.File("victim.ATT"), "precious");
  WriteFile(dir.File("DPE/ABCDEF12.ATT"), "not ours");
  WriteFile(dir.File("DPE/1234567.ATT"), "not ours");
  WriteFile(dir.File("DPE/12345678.ATT"), "not ours either");
  EmailHeader h = SampleHeader();
  Attach(h, "good.txt", "good");
  Attach(h, "a", "x");
  Attach(h, "b", "x");
  Attach(h, "c", "x");
  Attach(h, "d", "x");
  std::string goodName = AttachmentAt(h, 0).storedName;
  for (int i = 1; i < 5; ++i) std::remove(StoredPath(h, i).c_str());
  PokeStoredName(h, 1, "../victim", 9);  // DPE/../victim.ATT, no NUL
  PokeStoredName(h, 2, "ABCDEF12", 8);   // upper case: not a name we write
  PokeStoredName(h, 3, "1234567", 7);    // too short
  PokeStoredName(h, 4, "12345678.", 9);  // fills the field: "12345678.x" cut
  ASSERT_EQ(EmailWrite(h, "body", 14), 1);

  EXPECT_EQ(EmailDeleteFiles(EmailFilePath(14), ""), 0);
  EXPECT_EQ(EmailError(), "Invalid attachment name: ../victim.");
  EXPECT_EQ(AppErrorCode(), kAppInvalidName);
  EXPECT_EQ(ReadWholeFile(dir.File("victim.ATT")), "precious");
  // The good attachment and the e-mail file itself are gone all the same.
  EXPECT_EQ(FilesIn("DPE"), (std::set<std::string>{"ABCDEF12.ATT", "1234567.ATT", "12345678.ATT"}));
  EXPECT_FALSE(FileExists(AttachmentFilePath(goodName)));
}

TEST_F(EmailFileTest, HostileRawStemsAreRefusedAndNothingOutsideDpeIsDeleted) {
  WriteFile(dir.File("victim.RAW"), "precious");
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
  std::string body;
  ASSERT_EQ(EmailRead(EmailFilePath(20, true), &copy, &body, kEmailBodyLimit, nullptr), 1);
  EXPECT_EQ(body, "the body");
  EXPECT_EQ(copy.To(), "Dora");
  EXPECT_EQ(copy.Subject(), h.Subject());
  EXPECT_EQ(copy.bytes[email::kReserved.offset], 9);
  ASSERT_EQ(AttachmentCount(copy), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_NE(AttachmentAt(copy, i).storedName, AttachmentAt(h, i).storedName);
    EXPECT_EQ(AttachmentAt(copy, i).ownName, AttachmentAt(h, i).ownName);
    EXPECT_EQ(AttachmentAt(copy, i).size, AttachmentAt(h, i).size);
    EXPECT_EQ(ReadWholeFile(StoredPath(copy, i)), ReadWholeFile(StoredPath(h, i)));
  }
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
  std::set<std::string> before = FilesIn("DPE");

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

TEST_F(EmailFileTest, AHeaderOfGarbageIsNeitherCopiedNorLetsADeleteTouchAnotherFile) {
  std::string raw(2048, '\xff');
  WriteFile(dir.File("DPE/25.DPE"), raw + "body");
  EXPECT_EQ(EmailCopyFile(EmailFilePath(25), EmailFilePath(26)), 0);
  EXPECT_EQ(EmailError().rfind("Invalid attachment name: ", 0), 0u) << EmailError();
  EXPECT_EQ(FilesIn("DPE"), std::set<std::string>{"25.DPE"});
  EXPECT_EQ(ReadWholeFile(dir.File("DPE/25.DPE")), raw + "body");
  WriteFile(dir.File("DPE/0000000a.ATT"), "another e-mail's attachment");
  EXPECT_EQ(EmailDeleteFiles(EmailFilePath(25), ""), 0);
  EXPECT_EQ(EmailError().rfind("Invalid attachment name: ", 0), 0u) << EmailError();
  EXPECT_EQ(FilesIn("DPE"), std::set<std::string>{"0000000a.ATT"});
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

}  // namespace
