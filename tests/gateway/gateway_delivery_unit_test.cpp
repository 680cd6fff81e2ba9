// Delivering Internet mail into the office, without servers: who gets it,
// what the e-mail file keeps, and a delivery finished after a crash.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "data/messages/attachments.h"
#include "data/messages/dpmess.h"
#include "data/messages/email_file.h"
#include "data/messages/message_user.h"
#include "data/office/dpname.h"
#include "gateway/incoming.h"
#include "storage/records/name.h"
#include "tests/data/messages/email_fixture.h"
#include "tests/data/messages/message_checks.h"
#include "tests/gateway/mail_text.h"

namespace msg = records::message;

namespace {

class DeliveryTest : public EmailDirTest {
 protected:
  void SetUp() override {
    EmailDirTest::SetUp();
    NameTable names;
    ASSERT_EQ(NameOpen(names), 1);
    for (const char* n : {"ANNE", "BOB", "POST"}) ASSERT_EQ(NameAdd(names, n), 1);
    NameClose(names);
    NameRecord bob;
    ASSERT_EQ(NameLookup("BOB", &bob), 1);
    SetFieldText(bob.bytes, records::name::kEmailFrom, "Bob B <Bob.Builder@Example.COM>");
    ASSERT_EQ(NameUpdate(bob), 1);
    WriteWholeFile(dir.File("DPDESK.CFG"), "DOMAIN=office.example\r\n");
    SetMessageUser({kMailServerName, kMailServerNumber, false});
  }
  void TearDown() override {
    SetMessageUser(MessageUser());
    EmailDirTest::TearDown();
  }
  std::vector<MessageRecord> Records() { return LiveRecords(dir.Path(), kMessageTable); }
  // A delivery that must succeed.
  DeliveryResult Deliver(const std::string& raw, const std::string& key, bool recovering = false) {
    DeliveryResult result;
    std::string error;
    EXPECT_EQ(DeliverIncoming(raw, key, "POST", recovering, &result, &error), 1) << error;
    return result;
  }
};

std::string Mail(const std::string& to, const std::string& cc, const std::string& body,
                 int attachments = 0) {
  std::string m = "From: Someone <someone@example.net>\r\nTo: " + to + "\r\nCc: " + cc +
                  "\r\nSubject: Hi\r\nMessage-ID: <m1@example.net>\r\nMIME-Version: 1.0\r\n"
                  "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
                  "Content-Type: text/plain; charset=utf-8\r\n\r\n" +
                  body + "\r\n";
  for (int i = 0; i < attachments; ++i)
    m += "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; "
         "filename=\"file" +
         std::to_string(i) + ".dat\"\r\n\r\ncontent " + std::to_string(i) + "\r\n";
  return m + "--b--\r\n";
}

TEST_F(DeliveryTest, EveryPersonNamedGetsACopyWithFilesOfTheirOwnAndStrangersGoToThePostmaster) {
  struct Case {
    std::string to, cc;
    std::vector<std::string> people;
    bool postmaster;
  };
  const std::vector<Case> cases = {
      {"ANNE@office.example", "bob.builder@example.com", {"ANNE", "BOB"}, false},
      {"someone@else.example", "Anne <anne@OFFICE.example>", {"ANNE"}, false},
      {"bob@office.example", "", {"BOB"}, false},
      {"stranger@office.example", "", {"POST"}, true},
      {"undisclosed-recipients:;", "", {"POST"}, true},
  };
  int k = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    const size_t before = Records().size();
    DeliveryResult result = Deliver(Mail(c.to, c.cc, "text", 1), "k" + std::to_string(++k));
    EXPECT_EQ(result.people, c.people);
    EXPECT_EQ(result.toPostmaster, c.postmaster);
    std::vector<MessageRecord> all = Records();
    ASSERT_EQ(all.size(), before + c.people.size());
    std::set<std::string> stored, stems;
    for (size_t i = before; i < all.size(); ++i) {
      EXPECT_EQ(all[i].To(), c.people[i - before]);
      EXPECT_EQ(all[i].Kind(), msg::kKindEmail);
      std::string stem = FieldText(all[i].bytes, msg::kRawStem);
      stems.insert(stem);
      EXPECT_EQ(ReadWholeFile(RawFilePath(stem)).substr(0, 5), "From:");
      EmailHeader h;
      ASSERT_EQ(EmailRead(EmailFilePath(all[i].Number()), &h, nullptr, 0, nullptr), 1);
      ASSERT_EQ(AttachmentCount(h), 1);
      stored.insert(AttachmentAt(h, 0).storedName);
    }
    EXPECT_EQ(stored.size(), c.people.size());
    EXPECT_EQ(stems.size(), c.people.size());
  }
}

TEST_F(DeliveryTest, ALongBodyAndManyFilesKeepTheirWholeInTheRawFile) {
  std::string body;
  while (body.size() < 40000) body += "0123456789 abcdefghij\r\n";
  const std::string raw = Mail("anne@office.example", "", body, 45);
  Deliver(raw, "long");
  std::vector<MessageRecord> all = Records();
  ASSERT_EQ(all.size(), 1u);
  EmailHeader h;
  std::string stored;
  bool truncated = true;
  ASSERT_EQ(EmailRead(EmailFilePath(all[0].Number()), &h, &stored, 100000, &truncated), 1);
  EXPECT_FALSE(truncated);
  EXPECT_EQ(stored.size(), kStoredBodyLimit);
  EXPECT_TRUE(Holds(stored, "[The text goes on in the raw e-mail.]"));
  EXPECT_TRUE(Holds(stored, "[5 more attachment(s) are in the raw e-mail.]"));
  EXPECT_EQ(AttachmentCount(h), 40);
  EXPECT_EQ(AttachmentAt(h, 39).ownName, "file39.dat");
  EXPECT_EQ(ReadWholeFile(RawFilePath(FieldText(all[0].bytes, msg::kRawStem))), raw);
}

TEST_F(DeliveryTest, TheStoredTextEndsEveryLineInCrLfAndShowsWhatItCannotHold) {
  struct Case {
    std::string utf8;
    std::string stored;
  };
  const std::vector<Case> cases = {
      {"a\nb\r\nc\rd", "a\r\nb\r\nc\r\nd"},
      {"\r\n\r\n", "\r\n\r\n"},
      {"f\xC3\xBCr 5 \xE2\x82\xAC \xE6\x97\xA5", "f\xFCr 5 \x80 ?"},
      {"tab\tkept", "tab\tkept"},
  };
  int k = 0;
  for (const Case& c : cases) {
    const std::string raw =
        "From: a@b.c\r\nTo: anne@office.example\r\nMIME-Version: 1.0\r\n"
        "Content-Type: text/plain; charset=utf-8\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\n" +
        Base64(c.utf8) + "\r\n";
    Deliver(raw, "t" + std::to_string(++k));
    std::string body;
    ASSERT_EQ(EmailRead(EmailFilePath(Records().back().Number()), nullptr, &body, 100000, nullptr),
              1);
    EXPECT_EQ(body, c.stored) << c.utf8;
  }
}

TEST_F(DeliveryTest, ADeliveryCutShortByACrashIsFinishedWithoutSecondCopies) {
  const std::string raw = Mail("anne@office.example", "bob@office.example", "text");
  Deliver(raw, "crash");
  ASSERT_EQ(Records().size(), 2u);
  // As if the crash came after ANNE's copy: BOB's is not there yet.
  MessageTable table;
  ASSERT_EQ(MsgOpen(table), 1);
  MessageEntry bob;
  ASSERT_EQ(MsgFindFirst(table, msg::kFolderNew, "BOB", &bob), 1);
  ASSERT_EQ(MsgDelete(table, bob), 1);
  MsgClose(table);

  DeliveryResult result = Deliver(raw, "crash", true);
  std::vector<MessageRecord> all = Records();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].To(), "ANNE");
  EXPECT_EQ(all[1].To(), "BOB");
  EXPECT_EQ(result.people, (std::vector<std::string>{"ANNE", "BOB"}));
  // Once more: both have it.
  Deliver(raw, "crash", true);
  EXPECT_EQ(Records().size(), 2u);
}

// The e-mail file of a copy cannot be written (a full disk, say): the copy
// goes with every file it had, and the next attempt delivers it whole.
TEST_F(DeliveryTest, ACopyWhoseEmailFileCannotBeWrittenIsTakenBackAndDeliveredNextTime) {
  Deliver(Mail("anne@office.example", "", "first"), "one");
  const int32_t next = Records().back().Number() + 1;
  ASSERT_EQ(::mkdir(EmailFilePath(next).c_str(), 0700), 0);  // in the way of the next file
  const std::set<std::string> before = FilesIn("DPE");

  const std::string raw = Mail("anne@office.example", "", "second", 2);
  DeliveryResult result;
  std::string error;
  EXPECT_EQ(DeliverIncoming(raw, "two", "POST", false, &result, &error), 0);
  EXPECT_TRUE(Holds(error, "the e-mail file for ANNE cannot be written"));
  EXPECT_EQ(Records().size(), 1u);
  EXPECT_EQ(FilesIn("DPE"), before);  // no raw file, no attachment left behind

  ASSERT_EQ(::rmdir(EmailFilePath(next).c_str()), 0);
  Deliver(raw, "two", true);
  std::vector<MessageRecord> all = Records();
  ASSERT_EQ(all.size(), 2u);
  EmailHeader header;
  std::string body;
  ASSERT_EQ(EmailRead(EmailFilePath(all[1].Number()), &header, &body, 100000, nullptr), 1);
  EXPECT_EQ(body.substr(0, 6), "second");
  EXPECT_EQ(AttachmentCount(header), 2);
}

}  // namespace
