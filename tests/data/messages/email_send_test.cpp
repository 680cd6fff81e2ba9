#include "data/messages/email_send.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <tuple>

#include "data/messages/attachments.h"
#include "data/messages/dpfolder.h"
#include "data/messages/dpnote.h"
#include "data/messages/message_user.h"
#include "data/office/dpname.h"
#include "storage/records/email.h"
#include "tests/data/messages/email_fixture.h"
#include "tests/data/messages/message_checks.h"

namespace msg = records::message;

namespace {

class EmailSendTest : public EmailDirTest {
 protected:
  void SetUp() override {
    EmailDirTest::SetUp();
    number = AddNames({"Sue", "Bob", "Carl"});
    User(false);
  }
  void TearDown() override {
    SetMessageUser(MessageUser());
    EmailDirTest::TearDown();
  }
  void User(bool sendLog) { SetMessageUser({"Sue", number["Sue"], sendLog}); }

  std::vector<MessageRecord> Sent() { return LiveRecords(dir.Path(), kMessageTable); }
  std::vector<MessageRecord> Log() { return LiveRecords(dir.Path(), kSendLogTable); }
  EmailHeader HeaderOf(int32_t messageNumber, bool sendLog = false, std::string* body = nullptr) {
    EmailHeader h;
    EXPECT_EQ(EmailRead(EmailFilePath(messageNumber, sendLog), &h, body, kEmailBodyLimit, nullptr),
              1);
    return h;
  }
  std::string StoredName(int32_t messageNumber, bool sendLog = false) {
    return AttachmentAt(HeaderOf(messageNumber, sendLog), 0).storedName;
  }
  std::string StoredContent(const EmailHeader& h, int i = 0) {
    return ReadWholeFile(AttachmentFilePath(AttachmentAt(h, i).storedName));
  }
  EmailDraft Draft(const std::string& to, const std::string& from = "sue@office.example") {
    EmailDraft d;
    d.to = to;
    d.from = from;
    d.subject = "Figures";
    d.body = "See the sheet.\r\n";
    return d;
  }
  void Attach(EmailDraft& d, const std::string& content) {
    std::string source = dir.File("sheet.csv");
    WriteWholeFile(source, content);
    ASSERT_EQ(AttachmentAdd(d.header, source), 1) << EmailError();
    std::remove(source.c_str());
  }

  std::map<std::string, int32_t> number;
  std::string message;
};

TEST_F(EmailSendTest, OneLocalNameAndOneAddressGiveTwoMessagesWithSeparateAttachmentFiles) {
  EmailDraft d = Draft("bob, ann@example.com", "sue.brown@office.example");
  Attach(d, "a,b,c\r\n");
  const std::string original = AttachmentAt(d.header, 0).storedName;
  ASSERT_EQ(EmailSend(d, &message), 1) << message;

  std::vector<MessageRecord> sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].To(), "Bob");
  EXPECT_EQ(sent[1].To(), "DPMAIL SERVER");
  for (const MessageRecord& r : sent) {
    // The list's From is the address's first 20 characters.
    EXPECT_EQ(
        std::tuple(r.Kind(), r.Folder(), r.Sender(), r.From(),
                   FieldText(r.bytes, msg::kSenderAddress), FieldText(r.bytes, msg::kSubject)),
        std::tuple(msg::kKindEmail, msg::kFolderNew, number["Sue"], "sue.brown@office.exa",
                   "sue.brown@office.example", "Figures"));
    std::string body;
    EmailHeader h = HeaderOf(r.Number(), false, &body);
    // Both recipients, as stored.
    EXPECT_EQ(std::tuple(h.To(), h.From(), h.Subject(), body, AttachmentCount(h), StoredContent(h)),
              std::tuple("Bob, ann@example.com", "sue.brown@office.example", "Figures",
                         "See the sheet.\r\n", 1, "a,b,c\r\n"));
  }
  // The first message takes the draft's file, the next a copy of its own.
  EXPECT_EQ(StoredName(sent[0].Number()), original);
  EXPECT_NE(StoredName(sent[1].Number()), original);
  EXPECT_TRUE(FileExists(dir.File(std::to_string(number["Bob"]) + ".nam")));  // Bob's flag
}

TEST_F(EmailSendTest, SendLogKeepsCopiesWithFilesOfTheirOwnNamingTheFirstAddress) {
  User(true);
  EmailDraft d = Draft("Bob, ann@example.com, carl@example.com");
  d.header.SetCc("Carl");
  Attach(d, "sheet");
  ASSERT_EQ(EmailSend(d, &message), 1) << message;

  std::vector<MessageRecord> sent = Sent();
  std::vector<MessageRecord> log = Log();
  ASSERT_EQ(sent.size(), 3u);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(sent[1].To(), "Carl");  // CC recipients follow the To ones
  EXPECT_EQ(ToNames(log), (std::vector<std::string>{"Bob", "Carl", "ann@example.com"}));
  std::set<std::string> stored;
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(log[i].Number(), sent[i].Number());
    EmailHeader copy = HeaderOf(sent[i].Number(), true);
    EXPECT_EQ(copy.Cc(), "Carl");
    EXPECT_EQ(StoredContent(copy), "sheet");
    stored.insert(AttachmentAt(copy, 0).storedName);
    stored.insert(StoredName(sent[i].Number()));
  }
  EXPECT_EQ(stored.size(), 6u);  // every e-mail file has its own attachment file
}

TEST_F(EmailSendTest, FieldsAreCheckedBeforeAnythingIsSentThenUrgencyAndSignatureGoAlong) {
  struct Case {
    std::string to, from, cc, expected;
  } cases[] = {
      {"", "sue@office.example", "", "Please enter TO field."},
      {"Bob", "", "", "Please enter FROM field."},
      {"Bob, Dora", "sue@office.example", "", "Invalid name: Dora"},
      {"Bob", "sue@office.example", "Carl, @x", "Invalid name: @x"},
      {"Bob, ann@example.com", "Sue", "", "Emails must have a valid FROM field."},
      {"Bob", "Sue", "ann@example.com", "Emails must have a valid FROM field."},
  };
  for (const Case& c : cases) {
    EmailDraft d = Draft(c.to, c.from);
    d.header.SetCc(c.cc);
    EXPECT_EQ(EmailSend(d, &message), 0) << c.to;
    EXPECT_EQ(message, c.expected) << c.to;
  }
  EXPECT_TRUE(Sent().empty());
  // Between people in the office any From will do; urgent and signed here.
  EmailDraft d = Draft("Bob", "Sue");
  d.urgent = true;
  d.signature = "Sue\r\nAccounts";
  ASSERT_EQ(EmailSend(d, &message), 1) << message;
  std::vector<MessageRecord> sent = Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_TRUE(sent[0].Flags() & msg::kFlagUrgent);
  std::string body;
  HeaderOf(sent[0].Number(), false, &body);
  EXPECT_EQ(body, "See the sheet.\r\n\r\n\r\nSue\r\nAccounts");
}

TEST_F(EmailSendTest, SendToFolderFilesItWithTheSenderAlone) {
  FolderTable folders;
  ASSERT_EQ(FolderOpen(folders), 1);
  FolderRecord drafts = MakeFolderRecord("Drafts", number["Sue"]);
  ASSERT_EQ(FolderAdd(folders, drafts), 1);
  FolderClose(folders);
  EmailDraft d = Draft("Bob, ann@example.com");
  d.header.SetCc("not checked@ here, Dora");
  d.folder = drafts.Number();
  ASSERT_EQ(EmailSend(d, &message), 1) << message;
  std::vector<MessageRecord> sent = Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].To(), "Sue");
  EXPECT_EQ(sent[0].Folder(), drafts.Number());
  EXPECT_EQ(HeaderOf(sent[0].Number()).To(), "Sue");
}

TEST_F(EmailSendTest, AFailedSendLeavesTheDraftWithAttachmentFilesOfItsOwn) {
  User(true);
  ASSERT_EQ(::rmdir(dir.File("SENDLOG").c_str()), 0);  // the send-log copy will fail
  EmailDraft d = Draft("Bob, Carl");
  Attach(d, "sheet");
  const std::string original = AttachmentAt(d.header, 0).storedName;
  EXPECT_EQ(EmailSend(d, &message), 0);
  EXPECT_EQ(message, "Error creating email file.");
  std::vector<MessageRecord> sent = Sent();
  ASSERT_EQ(sent.size(), 1u);  // Bob's message was delivered; Carl's never started
  EXPECT_EQ(StoredName(sent[0].Number()), original);
  const std::string draftOwn = AttachmentAt(d.header, 0).storedName;
  EXPECT_NE(draftOwn, original);
  EXPECT_EQ(ReadWholeFile(AttachmentFilePath(draftOwn)), "sheet");
}

// A copy whose e-mail file cannot be written (a full disk, say) is taken
// back: nobody gets a message that cannot be read, copies delivered before
// it stay, the draft keeps its file, and sending again delivers it.
TEST_F(EmailSendTest, ACopyWhoseEmailFileCannotBeWrittenIsTakenBack) {
  EmailDraft first = Draft("Bob");
  ASSERT_EQ(EmailSend(first, &message), 1) << message;
  auto attachmentFiles = [this] {
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.File("DPE")))
      n += e.path().extension() == ".ATT";
    return n;
  };
  // The first copy's file fails; then the second's, after Bob's went. A
  // copy taken back has used its number.
  int32_t lastNumber = Sent().back().Number();
  for (const auto& [to, delivered] : {std::pair{"Bob", 0}, std::pair{"Bob, Carl", 1}}) {
    SCOPED_TRACE(to);
    const size_t before = Sent().size();
    const int32_t blocked = lastNumber + 1 + delivered;
    lastNumber = blocked;
    ASSERT_EQ(::mkdir(EmailFilePath(blocked).c_str(), 0700), 0);  // in the way of its file
    EmailDraft d = Draft(to);
    Attach(d, "sheet");
    const size_t files = attachmentFiles();
    EXPECT_EQ(EmailSend(d, &message), 0);
    EXPECT_FALSE(message.empty());
    std::vector<MessageRecord> sent = Sent();
    ASSERT_EQ(sent.size(), before + size_t(delivered));
    if (delivered) {
      EXPECT_EQ(StoredContent(HeaderOf(sent.back().Number())), "sheet");
    }
    EXPECT_EQ(ReadWholeFile(AttachmentFilePath(AttachmentAt(d.header, 0).storedName)), "sheet");
    // Bob's copy took the draft's file and the draft a copy of its own;
    // the taken-back copy left none.
    EXPECT_EQ(attachmentFiles(), files + size_t(delivered));
    ASSERT_EQ(::rmdir(EmailFilePath(blocked).c_str()), 0);
  }
  EmailDraft again = Draft("Bob");
  Attach(again, "sheet");
  ASSERT_EQ(EmailSend(again, &message), 1) << message;
  EXPECT_EQ(StoredContent(HeaderOf(Sent().back().Number())), "sheet");
}

TEST_F(EmailSendTest, TheGatewayStampsTheSendLogCopyOfWhatItSent) {
  User(true);
  EmailDraft draft = Draft("Bob, ann@example.com");
  ASSERT_EQ(EmailSend(draft, &message), 1) << message;
  std::vector<MessageRecord> sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  ASSERT_EQ(sent[1].To(), kMailServerName);

  ASSERT_EQ(MsgStampSent(sent[1], 0x60001234), 1) << FormatAppError();
  std::vector<MessageRecord> log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].ViewedTime(), 0);  // Bob's copy is his to open
  EXPECT_EQ(log[1].ViewedTime(), 0x60001234);
  EXPECT_EQ(log[1].Viewer(), kMailServerNumber);
  EXPECT_EQ(Sent()[1].ViewedTime(), 0);  // the mailbox's message is not touched
}

class EmailCopyTest : public EmailSendTest {
 protected:
  // An e-mail in Bob's in-box, as if it came in through the gateway.
  MessageRecord Incoming(const std::string& from, const std::string& rawStem = "") {
    EmailDraft d = Draft("Bob", from);
    Attach(d, "sheet");
    EXPECT_EQ(EmailSend(d, &message), 1) << message;
    MessageRecord r = Sent().back();
    if (!rawStem.empty()) {
      SetFieldText(r.bytes, msg::kRawStem, rawStem.c_str());
      WriteWholeFile(dir.File("DPE/" + rawStem + ".RAW"), "raw");
    }
    return r;
  }
};

TEST_F(EmailCopyTest, CopyGoesToEachLocalNameAndOnceToTheGateway) {
  MessageRecord source = Incoming("ann@example.com", "in0001");
  const size_t before = Sent().size();
  EmailCopyRequest request;
  request.to = "carl, zed@example.com";
  request.cc = "Sue";
  request.urgent = true;
  request.attachNote = true;
  request.note = "For you.";
  ASSERT_EQ(EmailCopy(request, source, false, &message), 1) << message;

  std::vector<MessageRecord> all = Sent();
  all.erase(all.begin(), all.begin() + long(before));
  EXPECT_EQ(ToNames(all), (std::vector<std::string>{"Carl", "Sue", "DPMAIL SERVER"}));
  std::set<int32_t> notes;
  for (const MessageRecord& r : all) {
    // The raw file stays the original's.
    EXPECT_EQ(
        std::tuple(r.Flags() & (msg::kFlagUrgent | msg::kFlagCcList),
                   FieldText(r.bytes, msg::kSenderAddress), FieldText(r.bytes, msg::kRawStem)),
        std::tuple(msg::kFlagUrgent, "ann@example.com", ""));
    int32_t note = FieldI32(r.bytes, msg::kAttachedNote);
    std::string text;
    ASSERT_EQ(NoteRead(note, &text), 1);
    EXPECT_EQ(text, "For you.");
    notes.insert(note);
    EmailHeader h = HeaderOf(r.Number());
    EXPECT_EQ(std::tuple(h.To(), h.Cc(), h.From(), StoredContent(h)),
              std::tuple("Carl, zed@example.com", "Sue", "ann@example.com", "sheet"));
    EXPECT_NE(AttachmentAt(h, 0).storedName, StoredName(source.Number()));
  }
  EXPECT_EQ(notes.size(), 3u);  // a note of its own per copy
}

TEST_F(EmailCopyTest, TheDialogsChecksComeFirstAndATickedFromIsTheCopysOwn) {
  MessageRecord source = Incoming("Bob");
  const struct {
    const char *to, *cc, *expected;
  } refused[] = {
      {"", "", "Please enter TO field."},
      {"Carl, Dora", "", "Invalid name: Dora"},
      {"Carl", "x@", "Invalid CC name: x@"},
      {"Carl", "zed@example.com", "Internet Emails must have a valid From field."},  // From "Bob"
  };
  EmailCopyRequest request;
  for (const auto& c : refused) {
    request.to = c.to;
    request.cc = c.cc;
    EXPECT_EQ(EmailCopy(request, source, false, &message), 0) << c.expected;
    EXPECT_EQ(message, c.expected);
  }
  request.useFrom = true;
  request.from = "sue@office.example";
  EXPECT_EQ(EmailCopy(request, source, false, &message), 1) << message;
  const MessageRecord copy = Sent().back();
  EXPECT_EQ(HeaderOf(copy.Number()).From(), "sue@office.example");
  // The lists show the short From: the copy's, not the original's.
  EXPECT_EQ(FieldText(copy.bytes, msg::kFrom), "sue@office.example");
}

TEST_F(EmailCopyTest, SeveralEmailsAskForAnInternetFromOnce) {
  std::vector<MessageRecord> sources = {Incoming("Bob"), Incoming("ann@example.com"),
                                        Incoming("Carl")};
  const size_t before = Sent().size();
  EmailCopyRequest request;
  request.to = "zed@example.com";
  int asked = 0;
  std::string answer;  // none: cancelled
  AskEmailFrom ask = [&](std::string* from) {
    ++asked;
    *from = answer;
    return !answer.empty();
  };
  EXPECT_EQ(EmailCopySeveral(request, sources, false, ask, &message), 0);
  EXPECT_EQ(message, "");
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Sent().size(), before);  // the first e-mail needed the answer

  answer = "sue@office.example";
  ASSERT_EQ(EmailCopySeveral(request, sources, false, ask, &message), 1) << message;
  EXPECT_EQ(asked, 2);
  std::vector<MessageRecord> all = Sent();
  ASSERT_EQ(all.size(), before + 3);
  EXPECT_EQ(HeaderOf(all[before].Number()).From(), "sue@office.example");
  EXPECT_EQ(HeaderOf(all[before + 1].Number()).From(), "ann@example.com");
  EXPECT_EQ(HeaderOf(all[before + 2].Number()).From(), "sue@office.example");
}

TEST_F(EmailCopyTest, CopyFromTheSendLogReadsTheSendLogFile) {
  User(true);
  MessageRecord source = Incoming("sue@office.example");
  MessageRecord logged = Log().back();
  // The in-box copy is gone; the send-log one is still there to copy.
  std::remove(EmailFilePath(source.Number()).c_str());
  EmailCopyRequest request;
  request.to = "Carl";
  ASSERT_EQ(EmailCopy(request, logged, true, &message), 1) << message;
  EXPECT_EQ(Sent().back().To(), "Carl");
  EXPECT_EQ(EmailCopy(request, logged, false, &message), 0);
  EXPECT_EQ(message, "Error reading DPE file.");
}

}  // namespace
