// The gateway against real mail servers on 127.0.0.1: Dovecot (IMAP, POP3
// and LMTP into maildirs) and an SMTP server with STARTTLS and login in
// front of it (mail_servers.py). The office is made by dpadmin, e-mails are
// sent with the data layer's own send, and the real dpgateway program runs
// one pass at a time. What arrives on the Internet side is read with
// Python's e-mail parser (mail_tool.py).
#include <arpa/inet.h>
#include <dirent.h>
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
#include <fstream>
#include <map>
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
#include "tests/gateway/base64.h"
#include "tests/support/dpadmin_run.h"
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
  char b[3];
  for (unsigned char c : bytes) {
    std::snprintf(b, sizeof b, "%02x", c);
    out += b;
  }
  return out;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(d))
      if (e->d_name[0] != '.') names.push_back(folder + e->d_name);
    ::closedir(d);
  }
  return names;
}

std::vector<std::string> Maildir(const std::string& user) {
  return FilesIn(servers.dir + "home/" + user + "/Maildir/new/");
}

class GatewayServersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    office = work.File("office/");
    ASSERT_EQ(RunDpadmin({"create", office}, work.Path()).status, 0);
    ASSERT_EQ(RunDpadmin({"add-name", office, "ANNE", "BOB"}, work.Path()).status, 0);
    Write(office + "DPDESK.CFG", "DOMAIN=office.example\r\n");
    Write(work.File("passwords"), "smtp = secret\nincoming = secret\n");
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

  void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  std::string Config(const std::string& inUser, const std::string& extra = "") {
    std::string path = work.File("gateway.conf");
    Write(path, "data_directory = " + office + "\nstate_directory = " + work.File("state") +
                    "\npassword_file = " + work.File("passwords") +
                    "\nsmtp_host = 127.0.0.1\nsmtp_port = " + std::to_string(servers.smtp) +
                    "\nsmtp_user = office\nin_host = 127.0.0.1\nin_port = " +
                    std::to_string(servers.imap) + "\nin_user = " + inUser +
                    "\nca_file = " + servers.dir + "cert.pem\npostmaster = BOB\n" + extra);
    return path;
  }
  DpadminRun Gateway(const std::string& config) {
    return RunProgram(DPGATEWAY_PATH, {"--once", config}, work.Path());
  }
  // One pass on a wall clock moved on by offset ("+2h"), through libfaketime;
  // timers keep the real monotonic clock.
  DpadminRun GatewayLater(const std::string& config, const char* offset) {
    const char* library = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";
    if (::access(library, R_OK) != 0) {
      ADD_FAILURE() << "libfaketime is not installed; scripts/install-deps installs faketime";
      return {};
    }
    // Under ASan the preloaded library comes before the sanitizer's runtime,
    // which it then allows.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asanBefore = asan ? asan : "";
    ::setenv("ASAN_OPTIONS", (asanBefore + ":verify_asan_link_order=0").c_str(), 1);
    ::setenv("LD_PRELOAD", library, 1);
    ::setenv("FAKETIME", offset, 1);
    ::setenv("FAKETIME_DONT_FAKE_MONOTONIC", "1", 1);
    DpadminRun run = Gateway(config);
    for (const char* name : {"LD_PRELOAD", "FAKETIME", "FAKETIME_DONT_FAKE_MONOTONIC"})
      ::unsetenv(name);
    if (asan)
      ::setenv("ASAN_OPTIONS", asanBefore.c_str(), 1);
    else
      ::unsetenv("ASAN_OPTIONS");
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

  std::vector<MessageRecord> Records(const TableDef& def) {
    std::vector<MessageRecord> out;
    Table t(def);
    int32_t count = 0;
    if (!DbOpenTable(t, office)) return out;
    DbRecordCount(t, &count);
    for (int32_t i = 0; i < count; ++i) {
      MessageRecord r;
      if (DbReadRecord(t, i, r.bytes) && r.bytes[0] == 0) out.push_back(r);
    }
    DbCloseTable(t);
    return out;
  }
  std::vector<MessageRecord> MessagesTo(const std::string& name) {
    std::vector<MessageRecord> out;
    for (const MessageRecord& r : Records(kMessageTable))
      if (r.To() == name) out.push_back(r);
    return out;
  }

  // What Python's parser reads in a delivered message: key -> value, and the
  // attachments as name -> hex bytes.
  std::map<std::string, std::string> Parse(const std::string& file,
                                           std::map<std::string, std::string>* attachments) {
    DpadminRun run =
        RunProgram("/usr/bin/python3", {kScripts + "mail_tool.py", "parse", file}, work.Path());
    EXPECT_EQ(run.status, 0) << ShowRun(run);
    std::map<std::string, std::string> fields;
    std::istringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line)) {
      size_t colon = line.find(": ");
      if (colon == std::string::npos) continue;
      std::string key = line.substr(0, colon), value = line.substr(colon + 2);
      if (key == "attachment") {
        size_t blank = value.rfind(' ');
        (*attachments)[value.substr(0, blank)] = value.substr(blank + 1);
      } else {
        fields[key] = value;
      }
    }
    return fields;
  }

  void Inject(const std::string& rcpt, const std::string& message) {
    std::string path = work.File("inject.eml");
    Write(path, message);
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
  const size_t before = Maildir("friend").size();
  SendEmail("friend@example.net",
            "Gr\xFC\xDF"
            "e f\xFCr 5 \x80",
            "Line one \xFC\r\nLine two \x80\r\n", "zahlen.bin", bytes);
  ASSERT_EQ(MessagesTo(kMailServerName).size(), 1u);

  DpadminRun run = Gateway(Config("in1"));
  ASSERT_EQ(run.status, 0) << ShowRun(run);

  std::vector<std::string> arrived = Maildir("friend");
  ASSERT_EQ(arrived.size(), before + 1);
  std::map<std::string, std::string> attachments;
  // The newest file is ours.
  std::string newest;
  time_t newestTime = 0;
  for (const std::string& f : arrived) {
    struct stat st {};
    ::stat(f.c_str(), &st);
    if (newest.empty() || st.st_mtime >= newestTime) newest = f, newestTime = st.st_mtime;
  }
  std::map<std::string, std::string> mail = Parse(newest, &attachments);
  EXPECT_EQ(mail["subject"],
            "Gr\xC3\xBC\xC3\x9F"
            "e f\xC3\xBCr 5 \xE2\x82\xAC");
  EXPECT_EQ(mail["from"], "anne@office.example");
  EXPECT_EQ(mail["to"], "friend@example.net");
  EXPECT_NE(mail["body"].find("Line one \xC3\xBC\\nLine two \xE2\x82\xAC"), std::string::npos)
      << mail["body"];
  ASSERT_EQ(attachments.size(), 1u);
  EXPECT_EQ(attachments["zahlen.bin"], Hex(bytes));

  // The mailbox is empty and the send log's copy knows when it went.
  EXPECT_TRUE(MessagesTo(kMailServerName).empty());
  std::vector<MessageRecord> log = Records(kSendLogTable);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].ViewedTime(), 0);
  EXPECT_EQ(log[0].Viewer(), kMailServerNumber);
}

TEST_F(GatewayServersTest, AnHtmlMailWithTwoAttachmentsFromOutsideReachesAnnesInBox) {
  const std::string pdf = std::string("%PDF-1.4\0\x01\x02\xFF", 12) + std::string(5000, 'p');
  const std::string message =
      "From: Fritz =?UTF-8?Q?M=C3=BCller?= <fritz@example.net>\r\n"
      "To: anne@office.example\r\n"
      "Cc: someone@elsewhere.example\r\n"
      "Subject: =?UTF-8?B?R3LDvMOfZSDml6XmnKw=?=\r\n"
      "Message-ID: <html-two@example.net>\r\n"
      "MIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"b1\"\r\n"
      "\r\n"
      "--b1\r\n"
      "Content-Type: text/html; charset=utf-8\r\n"
      "Content-Transfer-Encoding: quoted-printable\r\n"
      "\r\n"
      "<html><head><style>p {color: red}</style></head><body>\r\n"
      "<p>Hello <b>Anne</b> &amp; co,</p><p>the price is 5&euro; f=C3=BCr you.</p>\r\n"
      "</body></html>\r\n"
      "--b1\r\n"
      "Content-Type: application/pdf; name=\"report.pdf\"\r\n"
      "Content-Disposition: attachment; filename=\"report.pdf\"\r\n"
      "Content-Transfer-Encoding: base64\r\n"
      "\r\n";
  const std::string text = "Zeile \xC3\xBC\r\n";
  const std::string full = message + Base64(pdf, true) + "\r\n" +
                           "--b1\r\n"
                           "Content-Type: text/plain; charset=utf-8\r\n"
                           "Content-Disposition: attachment; filename*=UTF-8''%C3%BCber.txt\r\n"
                           "Content-Transfer-Encoding: base64\r\n"
                           "\r\n" +
                           Base64(text, true) + "\r\n" + "--b1--\r\n";
  Inject("in2@office.example", full);

  DpadminRun run = Gateway(Config("in2"));
  ASSERT_EQ(run.status, 0) << ShowRun(run);

  std::vector<MessageRecord> anne = MessagesTo("ANNE");
  ASSERT_EQ(anne.size(), 1u);
  const MessageRecord& r = anne[0];
  EXPECT_EQ(r.Kind(), msg::kKindEmail);
  EXPECT_EQ(r.Folder(), msg::kFolderNew);
  EXPECT_NE(r.Flags() & msg::kFlagNotViewed, 0);
  const std::string stem = FieldText(r.bytes, msg::kRawStem);
  ASSERT_TRUE(IsRawStem(stem)) << stem;
  std::string raw = ReadWholeFile(RawFilePath(stem));
  EXPECT_NE(raw.find("Message-ID: <html-two@example.net>"), std::string::npos);

  EmailHeader h;
  std::string body;
  ASSERT_EQ(EmailRead(EmailFilePath(r.Number()), &h, &body, kEmailBodyLimit, nullptr), 1);
  EXPECT_EQ(h.From(), "Fritz M\xFCller <fritz@example.net>");
  EXPECT_EQ(FieldText(r.bytes, msg::kSenderAddress), h.From());
  EXPECT_EQ(h.To(), "anne@office.example");
  EXPECT_EQ(h.Cc(), "someone@elsewhere.example");
  EXPECT_EQ(h.Subject(),
            "Gr\xFC\xDF"
            "e ??");  // two characters Windows-1252 has not
  EXPECT_NE(body.find("Hello Anne & co,"), std::string::npos) << body;
  EXPECT_NE(body.find("the price is 5\x80 f\xFCr you."), std::string::npos) << body;
  EXPECT_EQ(body.find("color"), std::string::npos) << body;
  ASSERT_EQ(AttachmentCount(h), 2);
  EXPECT_EQ(AttachmentAt(h, 0).ownName, "report.pdf");
  EXPECT_EQ(ReadWholeFile(AttachmentFilePath(AttachmentAt(h, 0).storedName)), pdf);
  EXPECT_EQ(AttachmentAt(h, 1).ownName,
            "\xFC"
            "ber.txt");
  EXPECT_EQ(ReadWholeFile(AttachmentFilePath(AttachmentAt(h, 1).storedName)), "Zeile \xC3\xBC\r\n");

  // A second pass brings nothing new; the office is sound.
  ASSERT_EQ(Gateway(Config("in2")).status, 0);
  EXPECT_EQ(MessagesTo("ANNE").size(), 1u);
  // The next mail is the next UID: fetched once, and nothing before it is
  // fetched again.
  Inject("in2@office.example",
         "From: fritz@example.net\r\nTo: anne@office.example\r\nSubject: Second\r\n"
         "Message-ID: <second@example.net>\r\n\r\nAnd again\r\n");
  DpadminRun next = Gateway(Config("in2"));
  ASSERT_EQ(next.status, 0) << ShowRun(next);
  EXPECT_EQ(MessagesTo("ANNE").size(), 2u);
  EXPECT_EQ(next.err.find("delivered before"), std::string::npos) << next.err;
  DpadminRun check = RunDpadmin({"check", office}, work.Path());
  EXPECT_EQ(check.status, 0) << ShowRun(check);
}

TEST_F(GatewayServersTest, ARefusedRecipientGivesTheSenderAMemoAndTheMailGoesToTheArchive) {
  const int32_t number = SendEmail("refuse-me@example.net", "Offer", "Hello\r\n");
  DpadminRun run = Gateway(Config("in1"));
  ASSERT_EQ(run.status, 0) << ShowRun(run);

  std::vector<MessageRecord> anne = MessagesTo("ANNE");
  ASSERT_EQ(anne.size(), 1u);
  EXPECT_EQ(anne[0].Kind(), msg::kKindMemo);
  const std::string text = FieldText(anne[0].bytes, msg::kMemoText);
  EXPECT_NE(text.find("\"Offer\""), std::string::npos) << text;
  EXPECT_NE(text.find("refuse-me@example.net"), std::string::npos) << text;
  EXPECT_NE(text.find("550"), std::string::npos) << text;
  EXPECT_NE(text.find("User unknown"), std::string::npos) << text;
  // The log tells the refusal, never the password.
  EXPECT_NE(run.err.find("refused"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("secret"), std::string::npos) << run.err;
  std::vector<MessageRecord> mailbox = MessagesTo(kMailServerName);
  ASSERT_EQ(mailbox.size(), 1u);
  EXPECT_EQ(mailbox[0].Number(), number);
  EXPECT_EQ(mailbox[0].Folder(), msg::kFolderArchive);
  EXPECT_EQ(Records(kSendLogTable)[0].ViewedTime(), 0);  // never sent

  // The archived mail is not tried again.
  ASSERT_EQ(Gateway(Config("in1")).status, 0);
  EXPECT_EQ(MessagesTo("ANNE").size(), 1u);
}

TEST_F(GatewayServersTest, OneRefusedRecipientAmongOthersDoesNotKeepTheMailFromThem) {
  const size_t before = Maildir("friend").size();
  SendEmail("friend@example.net, refuse-me@example.net, later@example.net", "Minutes", "Hello\r\n");
  DpadminRun run = Gateway(Config("in1"));
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_EQ(Maildir("friend").size(), before + 1);
  // Sent: out of the mailbox, and the send log says so.
  EXPECT_TRUE(MessagesTo(kMailServerName).empty());
  EXPECT_NE(Records(kSendLogTable)[0].ViewedTime(), 0);
  // ANNE learns who did not get it, and why.
  std::vector<MessageRecord> anne = MessagesTo("ANNE");
  ASSERT_EQ(anne.size(), 1u);
  const std::string text = FieldText(anne[0].bytes, msg::kMemoText);
  EXPECT_EQ(text.rfind("Your e-mail \"Minutes\" went to everyone else, but the mail server "
                       "refused refuse-me@example.net: 550",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find("; later@example.net: 451"), std::string::npos) << text;
}

// Every recipient refused: for good only when each is, and the sender hears
// of them all; one only put off keeps the mail for a later attempt.
TEST_F(GatewayServersTest, WhenEveryRecipientIsRefusedEachIsNamed) {
  SendEmail("refuse-me@example.net, refuse-too@example.net", "Both wrong", "Hello\r\n");
  ASSERT_EQ(Gateway(Config("in1")).status, 0);
  std::vector<MessageRecord> anne = MessagesTo("ANNE");
  ASSERT_EQ(anne.size(), 1u);
  const std::string text = FieldText(anne[0].bytes, msg::kMemoText);
  EXPECT_NE(text.find("was not sent: the mail server refused refuse-me@example.net: 550"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("; refuse-too@example.net: 550"), std::string::npos) << text;

  const int32_t mixed =
      SendEmail("refuse-me@example.net, later@example.net", "One wrong, one busy", "Hello\r\n");
  DpadminRun run = Gateway(Config("in1", "retry_seconds = 600\n"));
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_NE(run.err.find("refuse-me@example.net: 550"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("later@example.net: 451"), std::string::npos) << run.err;
  EXPECT_EQ(MessagesTo("ANNE").size(), 1u);  // no memo yet
  bool waiting = false;
  for (const MessageRecord& r : MessagesTo(kMailServerName))
    waiting = waiting || (r.Number() == mixed && r.Folder() == msg::kFolderNew);
  EXPECT_TRUE(waiting);
}

TEST_F(GatewayServersTest, AGatewayKilledAfterTheServerAcceptedSendsNothingTwice) {
  const std::string log = servers.dir + "accepted.log";
  auto accepted = [&] {
    std::string text = ReadWholeFile(log);
    size_t n = 0;
    for (size_t at = text.find("other@example.net"); at != std::string::npos;
         at = text.find("other@example.net", at + 1))
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

  DpadminRun again = Gateway(config);
  ASSERT_EQ(again.status, 0) << ShowRun(again);
  EXPECT_NE(again.err.find("not sent again"), std::string::npos) << again.err;
  EXPECT_EQ(accepted(), before + 1);
  EXPECT_TRUE(MessagesTo(kMailServerName).empty());
  EXPECT_NE(Records(kSendLogTable)[0].ViewedTime(), 0);
}

TEST_F(GatewayServersTest, AMailToAColleagueAndTheInternetKeepsSeparateAttachmentFiles) {
  const std::string bytes(20000, 'z');
  const size_t before = Maildir("postbox").size();
  SendEmail("BOB, postbox@example.net", "Both", "For both\r\n", "both.txt", bytes);
  std::vector<MessageRecord> bob = MessagesTo("BOB");
  std::vector<MessageRecord> mailbox = MessagesTo(kMailServerName);
  ASSERT_EQ(bob.size(), 1u);
  ASSERT_EQ(mailbox.size(), 1u);
  EmailHeader bobHeader, mailboxHeader;
  ASSERT_EQ(EmailRead(EmailFilePath(bob[0].Number()), &bobHeader, nullptr, 0, nullptr), 1);
  ASSERT_EQ(EmailRead(EmailFilePath(mailbox[0].Number()), &mailboxHeader, nullptr, 0, nullptr), 1);
  const std::string bobFile = AttachmentAt(bobHeader, 0).storedName;
  EXPECT_NE(bobFile, AttachmentAt(mailboxHeader, 0).storedName);

  ASSERT_EQ(Gateway(Config("in1")).status, 0);
  // The mailbox's files went with its message; BOB's stay.
  EXPECT_TRUE(MessagesTo(kMailServerName).empty());
  EXPECT_EQ(ReadWholeFile(AttachmentFilePath(bobFile)), bytes);
  std::vector<std::string> arrived = Maildir("postbox");
  ASSERT_EQ(arrived.size(), before + 1);
  std::map<std::string, std::string> attachments;
  std::map<std::string, std::string> mail = Parse(arrived.back(), &attachments);
  // Only the Internet address is a recipient on the Internet.
  EXPECT_EQ(mail["to"], "postbox@example.net");
  EXPECT_EQ(attachments["both.txt"], Hex(bytes));
}

TEST_F(GatewayServersTest, ACrashAfterDeliveryDeliversOnceOverPop3AndImap) {
  for (const char* protocol : {"pop3", "imap"}) {
    SCOPED_TRACE(protocol);
    const std::string user = protocol == std::string("pop3") ? "in3" : "in4";
    const size_t before = MessagesTo("BOB").size();
    Inject(user + "@office.example",
           "From: stranger@example.net\r\nTo: nobody-here@office.example\r\n"
           "Subject: For whom?\r\nMessage-ID: <" +
               user + "-once@example.net>\r\n\r\nHello\r\n");
    const std::string config =
        Config(user, protocol == std::string("pop3")
                         ? "incoming = pop3\nin_port = " + std::to_string(servers.pop3) + "\n"
                         : "");
    ::setenv(kCrashAfterDeliverVariable, "1", 1);
    DpadminRun crashed = Gateway(config);
    ::unsetenv(kCrashAfterDeliverVariable);
    ASSERT_EQ(crashed.status, 87) << ShowRun(crashed);
    // Nobody of the office is named: the postmaster has it.
    ASSERT_EQ(MessagesTo("BOB").size(), before + 1);
    for (int pass = 0; pass < 2; ++pass) ASSERT_EQ(Gateway(config).status, 0);
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
  const size_t before = MessagesTo("ANNE").size();
  for (const char* n : {"1", "2"}) {
    Inject("in5@office.example", std::string("From: a@example.net\r\nTo: anne@office.example\r\n"
                                             "Subject: Same size ") +
                                     n + "\r\nMessage-ID: <same-" + n +
                                     "@example.net>\r\n\r\nHello\r\n");
    DpadminRun run = Gateway(config);
    ASSERT_EQ(run.status, 0) << ShowRun(run);
  }
  EXPECT_EQ(MessagesTo("ANNE").size(), before + 2);
}

TEST_F(GatewayServersTest, TlsFromTheFirstByteOnPort465WorksToo) {
  const size_t before = Maildir("friend").size();
  SendEmail("friend@example.net", "Over TLS", "Body\r\n");
  std::string config = Config("in1", "smtp_tls = tls\n");
  // The later smtp_port wins: the TLS port of the test server.
  Write(config, ReadWholeFile(config) + "smtp_port = " + std::to_string(servers.smtps) + "\n");
  DpadminRun run = Gateway(config);
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_EQ(Maildir("friend").size(), before + 1);
}

TEST_F(GatewayServersTest, ATemporaryRefusalKeepsTheMailForALaterAttempt) {
  const int32_t number = SendEmail("later@example.net", "Busy", "Body\r\n");
  const std::string config = Config("in1", "retry_seconds = 600\n");
  DpadminRun first = Gateway(config);
  ASSERT_EQ(first.status, 0) << ShowRun(first);
  EXPECT_NE(first.err.find("not sent, tried again in 600 s: later@example.net: 451"),
            std::string::npos)
      << first.err;
  // Not tried again before its time, and still waiting in the in-box.
  DpadminRun second = Gateway(config);
  ASSERT_EQ(second.status, 0) << ShowRun(second);
  EXPECT_EQ(second.err.find("not sent"), std::string::npos) << second.err;
  std::vector<MessageRecord> mailbox = MessagesTo(kMailServerName);
  ASSERT_EQ(mailbox.size(), 1u);
  EXPECT_EQ(mailbox[0].Number(), number);
  EXPECT_EQ(mailbox[0].Folder(), msg::kFolderNew);
  EXPECT_TRUE(MessagesTo("ANNE").empty());  // no memo for a delay
}

TEST_F(GatewayServersTest, AMailPutOffLongerThanTheOfficeAllowsGoesBackToItsSender) {
  const int32_t number = SendEmail("later@example.net", "Quarterly figures", "Body\r\n");
  const std::string config = Config("in1", "retry_seconds = 60\ngive_up_hours = 1\n");
  ASSERT_EQ(Gateway(config).status, 0);
  EXPECT_TRUE(MessagesTo("ANNE").empty());
  // Half an hour on, still put off and still waiting.
  DpadminRun waiting = GatewayLater(config, "+30m");
  ASSERT_EQ(waiting.status, 0) << ShowRun(waiting);
  EXPECT_NE(waiting.err.find("not sent, tried again in 120 s: later@example.net: 451"),
            std::string::npos)
      << waiting.err;
  EXPECT_TRUE(MessagesTo("ANNE").empty());

  // Past the hour the office allows: ANNE learns it did not go.
  DpadminRun late = GatewayLater(config, "+2h");
  ASSERT_EQ(late.status, 0) << ShowRun(late);
  std::vector<MessageRecord> anne = MessagesTo("ANNE");
  ASSERT_EQ(anne.size(), 1u);
  const std::string text = FieldText(anne[0].bytes, msg::kMemoText);
  EXPECT_NE(text.find("Your e-mail \"Quarterly figures\" was not sent: the mail server put it off "
                      "for 1 hour; its last answer: later@example.net: 451"),
            std::string::npos)
      << text;
  std::vector<MessageRecord> mailbox = MessagesTo(kMailServerName);
  ASSERT_EQ(mailbox.size(), 1u);
  EXPECT_EQ(mailbox[0].Number(), number);
  EXPECT_EQ(mailbox[0].Folder(), msg::kFolderArchive);
  // Given up once: no second memo, nothing left waiting.
  ASSERT_EQ(GatewayLater(config, "+3h").status, 0);
  EXPECT_EQ(MessagesTo("ANNE").size(), 1u);
  EXPECT_EQ(ReadWholeFile(work.File("state/outgoing.retry")), "");
}

TEST_F(GatewayServersTest, AWaitAnOlderGatewayRecordedCountsFromTheFirstAttemptAfterIt) {
  const int32_t number = SendEmail("later@example.net", "Old wait", "Body\r\n");
  const std::string config = Config("in1", "give_up_hours = 1\n");
  // An older gateway's line: number, attempts, next attempt; no first.
  ::mkdir(work.File("state").c_str(), 0700);
  Write(work.File("state/outgoing.retry"), std::to_string(number) + " 9 0\n");
  DpadminRun run = GatewayLater(config, "+2h");
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  EXPECT_NE(run.err.find("not sent, tried again in"), std::string::npos) << run.err;
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
    DpadminRun run = Gateway(config);
    EXPECT_NE(run.err.find("message " + std::to_string(tried) + " not sent"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find(" not sent", run.err.find(" not sent") + 1), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("the other messages wait for the next pass"), std::string::npos)
        << run.err;
  }
  EXPECT_EQ(MessagesTo(kMailServerName).size(), 2u);
  EXPECT_TRUE(MessagesTo("ANNE").empty());
}

TEST_F(GatewayServersTest, SigtermEndsTheRunningGatewayAfterTheMessageInHand) {
  const size_t before = Maildir("friend").size();
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
  for (int i = 0; i < 300 && Maildir("friend").size() == before; ++i) ::usleep(50 * 1000);
  EXPECT_EQ(Maildir("friend").size(), before + 1);
  ::kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status)) << ReadWholeFile(work.File("running.err"));
  EXPECT_EQ(WEXITSTATUS(status), 0) << ReadWholeFile(work.File("running.err"));
  EXPECT_TRUE(MessagesTo(kMailServerName).empty());
  EXPECT_EQ(Maildir("friend").size(), before + 1);
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
