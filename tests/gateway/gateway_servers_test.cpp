// The gateway against real mail servers on 127.0.0.1: Dovecot (IMAP, POP3
// and LMTP into maildirs) and an SMTP server with STARTTLS and login in
// front of it (mail_servers.py). The office is made by dpadmin, e-mails are
// sent with the data layer's own send, and the real dpgateway program runs
// one pass at a time. What arrives on the Internet side is read with
// Python's e-mail parser (mail_tool.py).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "data/messages/attachments.h"
#include "data/messages/dpmess.h"
#include "data/messages/email_error.h"
#include "data/messages/email_file.h"
#include "data/messages/email_send.h"
#include "data/messages/message_user.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "gateway/incoming.h"
#include "gateway/outgoing.h"
#include "storage/database.h"
#include "storage/errors.h"
#include "storage/records/name.h"
#include "tests/data/messages/message_checks.h"
#include "tests/gateway/mail_text.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"

namespace msg = records::message;

namespace {

struct Servers {
  std::string dir;  // ends in '/'
  int imap = 0, pop3 = 0, smtp = 0, smtps = 0;
};
Servers servers;

const std::string kScripts = MAIL_SCRIPTS;

std::string Hex(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) out += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
  return out;
}

// The new mail of a user, in file name order.
std::set<std::string> Maildir(const std::string& user) {
  std::set<std::string> names;
  const std::string folder = servers.dir + "home/" + user + "/Maildir/new/";
  std::error_code none;
  for (const auto& e : std::filesystem::directory_iterator(folder, none))
    names.insert(e.path().string());
  return names;
}

// The mail that came to a user since before.
std::vector<std::string> NewMail(const std::string& user, const std::set<std::string>& before) {
  std::vector<std::string> arrived;
  for (const std::string& name : Maildir(user))
    if (!before.count(name)) arrived.push_back(name);
  return arrived;
}

class GatewayServersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    office = work.File("office/");
    ASSERT_EQ(RunDpadmin({"create", office}, work.Path()).status, 0);
    ASSERT_EQ(RunDpadmin({"add-name", office, "ANNE", "BOB"}, work.Path()).status, 0);
    WriteWholeFile(office + "DPDESK.CFG", "DOMAIN=office.example\r\n");
    WriteWholeFile(work.File("passwords"), "smtp = secret\nincoming = secret\n");
    ::chmod(work.File("passwords").c_str(), 0600);
    ASSERT_EQ(OpenDataDirectory(office), 1) << FormatAppError();
    // ANNE keeps a send log.
    NameRecord anne;
    ASSERT_EQ(NameLookup("ANNE", &anne), 1);
    SetFieldByte(anne.bytes, records::name::kSendLog, 1);
    ASSERT_EQ(NameUpdate(anne), 1);
    SetMessageUser({"ANNE", anne.Number(), true});
    ClearEmailError();
  }
  void TearDown() override {
    SetMessageUser(MessageUser());
    CloseDataDirectory();
  }

  std::string Config(const std::string& inUser, const std::string& extra = "") {
    std::string path = work.File("gateway.conf");
    WriteWholeFile(path,
                   "data_directory = " + office + "\nstate_directory = " + work.File("state") +
                       "\npassword_file = " + work.File("passwords") +
                       "\nsmtp_host = 127.0.0.1\nsmtp_port = " + std::to_string(servers.smtp) +
                       "\nsmtp_user = office\nin_host = 127.0.0.1\nin_port = " +
                       std::to_string(servers.imap) + "\nin_user = " + inUser +
                       "\nca_file = " + servers.dir + "cert.pem\npostmaster = BOB\n" + extra);
    return path;
  }
  // One pass of the real program; later ("+2h") moves its wall clock on
  // through libfaketime, while timers keep the real monotonic clock.
  DpadminRun Gateway(const std::string& config, const std::string& later = "") {
    if (later.empty()) return RunProgram(DPGATEWAY_PATH, {"--once", config}, work.Path());
    const std::string library = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";
    EXPECT_EQ(::access(library.c_str(), R_OK), 0) << "scripts/install-deps installs faketime";
    // Under ASan the preloaded library comes before the sanitizer's runtime,
    // which it then allows.
    const char* asan = std::getenv("ASAN_OPTIONS");
    return RunProgram(
        "/usr/bin/env",
        {"LD_PRELOAD=" + library, "FAKETIME=" + later, "FAKETIME_DONT_FAKE_MONOTONIC=1",
         "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":verify_asan_link_order=0",
         DPGATEWAY_PATH, "--once", config},
        work.Path());
  }
  // A pass that must end well.
  DpadminRun Pass(const std::string& config, const std::string& later = "") {
    DpadminRun run = Gateway(config, later);
    EXPECT_EQ(run.status, 0) << ShowRun(run);
    return run;
  }

  int32_t SendEmail(const std::string& to, const std::string& subject, const std::string& body,
                    const std::string& attachmentName = "", const std::string& bytes = "") {
    EmailDraft draft;
    draft.to = to;
    draft.from = "anne@office.example";
    draft.subject = subject;
    draft.body = body;
    if (!attachmentName.empty()) {
      EXPECT_EQ(AttachmentAddBytes(draft.header, attachmentName, bytes), 1) << EmailError();
    }
    std::string message;
    EXPECT_EQ(EmailSend(draft, &message), 1) << message;
    return Records(kMessageTable).empty() ? 0 : Records(kMessageTable).back().Number();
  }

  std::vector<MessageRecord> Records(const TableDef& def) { return LiveRecords(office, def); }
  std::vector<MessageRecord> MessagesTo(const std::string& name) {
    std::vector<MessageRecord> out;
    for (const MessageRecord& r : Records(kMessageTable))
      if (r.To() == name) out.push_back(r);
    return out;
  }
  // The text of a person's one message, a memo.
  std::string OnlyMemoTo(const std::string& name) {
    const std::vector<MessageRecord> to = MessagesTo(name);
    if (to.size() == 1 && to[0].Kind() == msg::kKindMemo)
      return FieldText(to[0].bytes, msg::kMemoText);
    ADD_FAILURE() << to.size() << " messages to " << name << ", not one memo";
    return "";
  }
  // The folder of a message in the gateway's mailbox; -1 once it is gone.
  int32_t MailboxFolder(int32_t number) {
    for (const MessageRecord& r : MessagesTo(kMailServerName))
      if (r.Number() == number) return r.Folder();
    return -1;
  }

  // What Python's parser reads in a delivered message: "subject", "from",
  // "to", "body", "attachments" (their names, each followed by a blank) and
  // "attachment NAME" (its bytes in hex).
  std::map<std::string, std::string> Parse(const std::string& file) {
    DpadminRun run =
        RunProgram("/usr/bin/python3", {kScripts + "mail_tool.py", "parse", file}, work.Path());
    EXPECT_EQ(run.status, 0) << ShowRun(run);
    std::map<std::string, std::string> fields;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
      const size_t colon = line.find(": ");
      if (colon == std::string::npos) continue;
      std::string key = line.substr(0, colon), value = line.substr(colon + 2);
      if (key == "attachment") {
        const size_t blank = value.rfind(' ');
        fields["attachments"] += value.substr(0, blank) + " ";
        key += " " + value.substr(0, blank);
        value = value.substr(blank + 1);
      }
      fields[key] = value;
    }
    return fields;
  }

  void Inject(const std::string& rcpt, const std::string& message) {
    std::string path = work.File("inject.eml");
    WriteWholeFile(path, message);
    DpadminRun run = RunProgram("/usr/bin/python3",
                                {kScripts + "mail_tool.py", "inject", std::to_string(servers.smtp),
                                 servers.dir + "cert.pem", rcpt, path},
                                work.Path());
    ASSERT_EQ(run.status, 0) << ShowRun(run);
  }

  TempDir work;
  std::string office;
};

TEST_F(GatewayServersTest, AnEmailToTheInternetArrivesWholeAndTheSendLogSaysWhenItWent) {
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes.push_back(char(i * 7 % 256));
  const std::set<std::string> before = Maildir("friend");
  SendEmail("friend@example.net",
            "Gr\xFC\xDF"
            "e f\xFCr 5 \x80",
            "Line one \xFC\r\nLine two \x80\r\n", "zahlen.bin", bytes);
  ASSERT_EQ(MessagesTo(kMailServerName).size(), 1u);
  Pass(Config("in1"));

  const std::vector<std::string> arrived = NewMail("friend", before);
  ASSERT_EQ(arrived.size(), 1u);
  std::map<std::string, std::string> mail = Parse(arrived[0]);
  EXPECT_EQ(mail["subject"],
            "Gr\xC3\xBC\xC3\x9F"
            "e f\xC3\xBCr 5 \xE2\x82\xAC");
  EXPECT_EQ(mail["from"], "anne@office.example");
  EXPECT_EQ(mail["to"], "friend@example.net");
  EXPECT_TRUE(Holds(mail["body"], "Line one \xC3\xBC\\nLine two \xE2\x82\xAC"));
  EXPECT_EQ(mail["attachments"], "zahlen.bin ");
  EXPECT_EQ(mail["attachment zahlen.bin"], Hex(bytes));
  // The mailbox is empty and the send log's copy knows when it went.
  EXPECT_TRUE(MessagesTo(kMailServerName).empty());
  std::vector<MessageRecord> log = Records(kSendLogTable);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].ViewedTime(), 0);
  EXPECT_EQ(log[0].Viewer(), kMailServerNumber);
}

TEST_F(GatewayServersTest, AnHtmlMailWithTwoAttachmentsFromOutsideReachesAnnesInBox) {
  const std::string pdf = std::string("%PDF-1.4\0\x01\x02\xFF", 12) + std::string(5000, 'p');
  Inject("in2@office.example",
         "From: Fritz =?UTF-8?Q?M=C3=BCller?= <fritz@example.net>\r\nTo: anne@office.example\r\n"
         "Cc: someone@elsewhere.example\r\nSubject: =?UTF-8?B?R3LDvMOfZSDml6XmnKw=?=\r\n"
         "Message-ID: <html-two@example.net>\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\n"
         "Content-Type: text/html; charset=utf-8\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
         "<html><head><style>p {color: red}</style></head><body>\r\n"
         "<p>Hello <b>Anne</b> &amp; co,</p><p>the price is 5&euro; f=C3=BCr you.</p>\r\n"
         "</body></html>\r\n--b1\r\nContent-Type: application/pdf; name=\"report.pdf\"\r\n"
         "Content-Disposition: attachment; filename=\"report.pdf\"\r\n"
         "Content-Transfer-Encoding: base64\r\n\r\n" +
             Base64(pdf, true) +
             "\r\n--b1\r\nContent-Type: text/plain; charset=utf-8\r\n"
             "Content-Disposition: attachment; filename*=UTF-8''%C3%BCber.txt\r\n"
             "Content-Transfer-Encoding: base64\r\n\r\n" +
             Base64("Zeile \xC3\xBC\r\n", true) + "\r\n--b1--\r\n");
  Pass(Config("in2"));

  std::vector<MessageRecord> anne = MessagesTo("ANNE");
  ASSERT_EQ(anne.size(), 1u);
  const MessageRecord& r = anne[0];
  EXPECT_EQ(r.Kind(), msg::kKindEmail);
  EXPECT_EQ(r.Folder(), msg::kFolderNew);
  EXPECT_NE(r.Flags() & msg::kFlagNotViewed, 0);
  const std::string stem = FieldText(r.bytes, msg::kRawStem);
  ASSERT_TRUE(IsRawStem(stem)) << stem;
  EXPECT_TRUE(Holds(ReadWholeFile(RawFilePath(stem)), "Message-ID: <html-two@example.net>"));

  EmailHeader h;
  std::string body;
  ASSERT_EQ(EmailRead(EmailFilePath(r.Number()), &h, &body, kEmailBodyLimit, nullptr), 1);
  EXPECT_EQ(FieldText(r.bytes, msg::kSenderAddress), h.From());
  // The subject lacks two characters Windows-1252 has not.
  EXPECT_EQ(h.From() + "|" + h.To() + "|" + h.Cc() + "|" + h.Subject(),
            "Fritz M\xFCller <fritz@example.net>|anne@office.example|someone@elsewhere.example|"
            "Gr\xFC\xDF"
            "e ??");
  EXPECT_TRUE(Holds(body, "Hello Anne & co,"));
  EXPECT_TRUE(Holds(body, "the price is 5\x80 f\xFCr you."));
  EXPECT_FALSE(Holds(body, "color"));
  ASSERT_EQ(AttachmentCount(h), 2);
  EXPECT_EQ(AttachmentAt(h, 0).ownName, "report.pdf");
  EXPECT_EQ(ReadWholeFile(AttachmentFilePath(AttachmentAt(h, 0).storedName)), pdf);
  EXPECT_EQ(AttachmentAt(h, 1).ownName,
            "\xFC"
            "ber.txt");
  EXPECT_EQ(ReadWholeFile(AttachmentFilePath(AttachmentAt(h, 1).storedName)), "Zeile \xC3\xBC\r\n");

  // A second pass brings nothing new. The next mail is the next UID: fetched
  // once, and nothing before it is fetched again. The office is sound.
  Pass(Config("in2"));
  EXPECT_EQ(MessagesTo("ANNE").size(), 1u);
  Inject("in2@office.example",
         "From: fritz@example.net\r\nTo: anne@office.example\r\nSubject: Second\r\n"
         "Message-ID: <second@example.net>\r\n\r\nAnd again\r\n");
  EXPECT_FALSE(Holds(Pass(Config("in2")).err, "delivered before"));
  EXPECT_EQ(MessagesTo("ANNE").size(), 2u);
  DpadminRun check = RunDpadmin({"check", office}, work.Path());
  EXPECT_EQ(check.status, 0) << ShowRun(check);
}

// Every recipient refused for good: the sender hears of each, and the mail
// goes to the archive, never tried again. One only put off keeps it waiting.
TEST_F(GatewayServersTest, AMailEveryRecipientRefusesGivesTheSenderAMemoAndGoesToTheArchive) {
  const int32_t number =
      SendEmail("refuse-me@example.net, refuse-too@example.net", "Offer", "Hello\r\n");
  const std::string config = Config("in1", "retry_seconds = 600\n");
  DpadminRun run = Pass(config);
  const std::string text = OnlyMemoTo("ANNE");
  EXPECT_TRUE(
      Holds(text, "\"Offer\" was not sent: the mail server refused refuse-me@example.net: 550"));
  EXPECT_TRUE(Holds(text, "User unknown"));
  EXPECT_TRUE(Holds(text, "; refuse-too@example.net: 550"));
  // The log tells the refusal, never the password.
  EXPECT_TRUE(Holds(run.err, "refused"));
  EXPECT_FALSE(Holds(run.err, "secret"));
  EXPECT_EQ(MessagesTo(kMailServerName).size(), 1u);
  EXPECT_EQ(MailboxFolder(number), msg::kFolderArchive);
  EXPECT_EQ(Records(kSendLogTable)[0].ViewedTime(), 0);  // never sent

  const int32_t mixed =
      SendEmail("refuse-me@example.net, later@example.net", "One wrong, one busy", "Hello\r\n");
  run = Pass(config);
  EXPECT_TRUE(Holds(run.err, "refuse-me@example.net: 550"));
  EXPECT_TRUE(Holds(run.err, "later@example.net: 451"));
  EXPECT_EQ(MessagesTo("ANNE").size(), 1u);  // no memo for either
  EXPECT_EQ(MailboxFolder(mixed), msg::kFolderNew);
}

TEST_F(GatewayServersTest, OneRefusedRecipientAmongOthersDoesNotKeepTheMailFromThem) {
  const std::set<std::string> before = Maildir("friend");
  SendEmail("friend@example.net, refuse-me@example.net, later@example.net", "Minutes", "Hello\r\n");
  Pass(Config("in1"));
  EXPECT_EQ(NewMail("friend", before).size(), 1u);
  // Sent: out of the mailbox, and the send log says so.
  EXPECT_TRUE(MessagesTo(kMailServerName).empty());
  EXPECT_NE(Records(kSendLogTable)[0].ViewedTime(), 0);
  // ANNE learns who did not get it, and why.
  const std::string text = OnlyMemoTo("ANNE");
  EXPECT_EQ(text.rfind("Your e-mail \"Minutes\" went to everyone else, but the mail server "
                       "refused refuse-me@example.net: 550",
                       0),
            0u)
      << text;
  EXPECT_TRUE(Holds(text, "; later@example.net: 451"));
}

TEST_F(GatewayServersTest, AGatewayKilledAfterTheServerAcceptedSendsNothingTwice) {
  auto accepted = [] {
    const std::string log = ReadWholeFile(servers.dir + "accepted.log");
    size_t n = 0;
    for (size_t at = log.find("other@example.net"); at != std::string::npos;
         at = log.find("other@example.net", at + 1))
      ++n;
    return n;
  };
  const size_t before = accepted();
  SendEmail("other@example.net", "Once only", "Body\r\n");
  const std::string config = Config("in1");
  ::setenv(kCrashAfterAcceptVariable, "1", 1);
  DpadminRun crashed = Gateway(config);
  ::unsetenv(kCrashAfterAcceptVariable);
  ASSERT_EQ(crashed.status, 86) << ShowRun(crashed);
  EXPECT_EQ(accepted(), before + 1);
  EXPECT_EQ(MessagesTo(kMailServerName).size(), 1u);  // the update did not happen

  EXPECT_TRUE(Holds(Pass(config).err, "not sent again"));
  EXPECT_EQ(accepted(), before + 1);
  EXPECT_TRUE(MessagesTo(kMailServerName).empty());
  EXPECT_NE(Records(kSendLogTable)[0].ViewedTime(), 0);
}

TEST_F(GatewayServersTest, AMailToAColleagueAndTheInternetKeepsSeparateAttachmentFiles) {
  const std::string bytes(20000, 'z');
  const std::set<std::string> before = Maildir("postbox");
  SendEmail("BOB, postbox@example.net", "Both", "For both\r\n", "both.txt", bytes);
  auto storedFile = [](const MessageRecord& r) {
    EmailHeader header;
    EXPECT_EQ(EmailRead(EmailFilePath(r.Number()), &header, nullptr, 0, nullptr), 1);
    return AttachmentAt(header, 0).storedName;
  };
  std::vector<MessageRecord> bob = MessagesTo("BOB"), mailbox = MessagesTo(kMailServerName);
  ASSERT_EQ(bob.size(), 1u);
  ASSERT_EQ(mailbox.size(), 1u);
  const std::string bobFile = storedFile(bob[0]);
  EXPECT_NE(bobFile, storedFile(mailbox[0]));

  // Over TLS from the first byte, as on port 465: the later smtp_port wins.
  Pass(Config("in1", "smtp_tls = tls\nsmtp_port = " + std::to_string(servers.smtps) + "\n"));
  // The mailbox's files went with its message; BOB's stay.
  EXPECT_TRUE(MessagesTo(kMailServerName).empty());
  EXPECT_EQ(ReadWholeFile(AttachmentFilePath(bobFile)), bytes);
  const std::vector<std::string> arrived = NewMail("postbox", before);
  ASSERT_EQ(arrived.size(), 1u);
  std::map<std::string, std::string> mail = Parse(arrived[0]);
  // Only the Internet address is a recipient on the Internet.
  EXPECT_EQ(mail["to"], "postbox@example.net");
  EXPECT_EQ(mail["attachment both.txt"], Hex(bytes));
}

TEST_F(GatewayServersTest, ACrashAfterDeliveryDeliversOnceOverPop3AndImap) {
  for (const char* protocol : {"pop3", "imap"}) {
    SCOPED_TRACE(protocol);
    const bool pop3 = protocol == std::string("pop3");
    const std::string user = pop3 ? "in3" : "in4";
    const size_t before = MessagesTo("BOB").size();
    Inject(user + "@office.example",
           "From: stranger@example.net\r\nTo: nobody-here@office.example\r\n"
           "Subject: For whom?\r\nMessage-ID: <" +
               user + "-once@example.net>\r\n\r\nHello\r\n");
    const std::string config = Config(
        user, pop3 ? "incoming = pop3\nin_port = " + std::to_string(servers.pop3) + "\n" : "");
    ::setenv(kCrashAfterDeliverVariable, "1", 1);
    DpadminRun crashed = Gateway(config);
    ::unsetenv(kCrashAfterDeliverVariable);
    ASSERT_EQ(crashed.status, 87) << ShowRun(crashed);
    // Nobody of the office is named: the postmaster has it.
    ASSERT_EQ(MessagesTo("BOB").size(), before + 1);
    Pass(config);
    Pass(config);
    EXPECT_EQ(MessagesTo("BOB").size(), before + 1);
  }
  DpadminRun check = RunDpadmin({"check", office}, work.Path());
  EXPECT_EQ(check.status, 0) << ShowRun(check);
}

// POP3 tells messages apart by their UIDL alone: a second mail of exactly
// the first one's size, arriving later, is still new.
TEST_F(GatewayServersTest, Pop3DeliversALaterMailOfTheSameSizeToo) {
  const std::string config =
      Config("in5", "incoming = pop3\nin_port = " + std::to_string(servers.pop3) + "\n");
  for (std::string n : {"1", "2"}) {
    Inject("in5@office.example",
           "From: a@example.net\r\nTo: anne@office.example\r\nSubject: Same size " + n +
               "\r\nMessage-ID: <same-" + n + "@example.net>\r\n\r\nHello\r\n");
    Pass(config);
  }
  EXPECT_EQ(MessagesTo("ANNE").size(), 2u);
}

// Put off (451): kept for a later attempt, not made before its time, with no
// memo for a delay; past the hours the office allows it goes back to its sender.
TEST_F(GatewayServersTest, AMailPutOffWaitsAndGoesBackToItsSenderPastTheOfficesLimit) {
  const int32_t number = SendEmail("later@example.net", "Quarterly figures", "Body\r\n");
  const std::string config = Config("in1", "retry_seconds = 60\ngive_up_hours = 1\n");
  EXPECT_TRUE(Holds(Pass(config).err, "not sent, tried again in 60 s: later@example.net: 451"));
  EXPECT_FALSE(Holds(Pass(config).err, "not sent"));
  EXPECT_EQ(MessagesTo(kMailServerName).size(), 1u);
  EXPECT_EQ(MailboxFolder(number), msg::kFolderNew);
  EXPECT_TRUE(MessagesTo("ANNE").empty());
  // Half an hour on, still put off and still waiting.
  EXPECT_TRUE(
      Holds(Pass(config, "+30m").err, "not sent, tried again in 120 s: later@example.net: 451"));
  EXPECT_TRUE(MessagesTo("ANNE").empty());

  // Past the hour the office allows: ANNE learns it did not go.
  Pass(config, "+2h");
  EXPECT_TRUE(Holds(OnlyMemoTo("ANNE"),
                    "Your e-mail \"Quarterly figures\" was not sent: the mail server put it off "
                    "for 1 hour; its last answer: later@example.net: 451"));
  EXPECT_EQ(MessagesTo(kMailServerName).size(), 1u);
  EXPECT_EQ(MailboxFolder(number), msg::kFolderArchive);
  // Given up once: no second memo, nothing left waiting.
  Pass(config, "+3h");
  EXPECT_EQ(MessagesTo("ANNE").size(), 1u);
  EXPECT_EQ(ReadWholeFile(work.File("state/outgoing.retry")), "");
}

TEST_F(GatewayServersTest, AWaitAnOlderGatewayRecordedCountsFromTheFirstAttemptAfterIt) {
  const int32_t number = SendEmail("later@example.net", "Old wait", "Body\r\n");
  // An older gateway's line: number, attempts, next attempt; no first.
  ::mkdir(work.File("state").c_str(), 0700);
  WriteWholeFile(work.File("state/outgoing.retry"), std::to_string(number) + " 9 0\n");
  EXPECT_TRUE(
      Holds(Pass(Config("in1", "give_up_hours = 1\n"), "+2h").err, "not sent, tried again in"));
  EXPECT_TRUE(MessagesTo("ANNE").empty());
}

// A mail server nobody answers at: one message finds it out, and the others
// wait for the next pass instead of each waiting out the same failure.
TEST_F(GatewayServersTest, AnUnreachableServerIsTriedOncePerPass) {
  const int32_t first = SendEmail("friend@example.net", "One", "Body\r\n");
  const int32_t second = SendEmail("friend@example.net", "Two", "Body\r\n");
  // A port nothing listens on.
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length), 0);
  ::close(s);
  const std::string config = Config(
      "in1", "incoming = none\nsmtp_port = " + std::to_string(ntohs(address.sin_port)) + "\n");
  for (const int32_t tried : {first, second}) {
    const std::string err = Gateway(config).err;
    EXPECT_TRUE(Holds(err, "message " + std::to_string(tried) + " not sent"));
    EXPECT_EQ(err.find(" not sent", err.find(" not sent") + 1), std::string::npos) << err;
    EXPECT_TRUE(Holds(err, "the other messages wait for the next pass"));
  }
  EXPECT_EQ(MessagesTo(kMailServerName).size(), 2u);
  EXPECT_TRUE(MessagesTo("ANNE").empty());
}

TEST_F(GatewayServersTest, SigtermEndsTheRunningGatewayAfterTheMessageInHand) {
  const std::set<std::string> before = Maildir("friend");
  SendEmail("friend@example.net", "While running", "Body\r\n");
  const std::string config = Config("in1", "poll_seconds = 5\n");
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    std::freopen(work.File("running.err").c_str(), "w", stderr);
    ::execl(DPGATEWAY_PATH, "dpgateway", config.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // The first pass sends it; then the gateway waits for the next.
  for (int i = 0; i < 300 && NewMail("friend", before).empty(); ++i) ::usleep(50 * 1000);
  EXPECT_EQ(NewMail("friend", before).size(), 1u);
  ::kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << status << ReadWholeFile(work.File("running.err"));
  EXPECT_TRUE(MessagesTo(kMailServerName).empty());
  EXPECT_EQ(NewMail("friend", before).size(), 1u);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::geteuid() != 0) {
    std::printf("SKIPPED: the mail servers need root (Dovecot's users and uid 5000)\n");
    return 77;
  }
  if (::access("/usr/sbin/dovecot", X_OK) != 0) {
    std::printf("SKIPPED: Dovecot is not installed (scripts/install-deps)\n");
    return 77;
  }
  char folder[] = "/tmp/dpgw-XXXXXX";
  if (!::mkdtemp(folder)) {
    std::printf("SKIPPED: no temporary folder\n");
    return 77;
  }
  ::chmod(folder, 0755);
  servers.dir = std::string(folder) + "/";
  DpadminRun start =
      RunProgram("/usr/bin/python3", {kScripts + "mail_servers.py", "start", folder}, servers.dir);
  if (start.status != 0 ||
      std::sscanf(start.out.c_str(), "imap=%d pop3=%d smtp=%d smtps=%d", &servers.imap,
                  &servers.pop3, &servers.smtp, &servers.smtps) != 4) {
    std::printf("SKIPPED: the mail servers cannot start: %s\n", ShowRun(start).c_str());
    std::filesystem::remove_all(folder);
    return 77;
  }
  int result = RUN_ALL_TESTS();
  RunProgram("/usr/bin/python3", {kScripts + "mail_servers.py", "stop", folder}, servers.dir);
  std::filesystem::remove_all(folder);
  return result;
}
