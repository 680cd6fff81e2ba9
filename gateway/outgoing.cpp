#include "gateway/outgoing.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <vector>

#include "data/clock.h"
#include "data/cp1252.h"
#include "data/messages/attachments.h"
#include "data/messages/dpmess.h"
#include "data/messages/email_error.h"
#include "data/messages/email_file.h"
#include "data/office/dpname.h"
#include "data/office/office_config.h"
#include "gateway/mime_out.h"
#include "gateway/transport.h"
#include "storage/database.h"
#include "storage/errors.h"

namespace msg = records::message;

namespace {

// The body of an outgoing e-mail is read whole, up to this size.
constexpr size_t kMaxOutgoingBody = 64u << 20;
constexpr int kMaxRetryWait = 6 * 3600;

struct Retry {
  int attempts = 0;
  int64_t next = 0;
  int64_t first = 0;  // when the server first put it off
  bool operator==(const Retry&) const = default;
};

// "number attempts next first" lines. A line of an older gateway has no
// first: its message counts as put off from now, never given up at once.
std::map<int32_t, Retry> ReadRetries(const std::string& path) {
  std::map<int32_t, Retry> retries;
  std::istringstream in(ReadStateFile(path));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    long number = 0, attempts = 0;
    long long next = 0, first = 0;
    if (!(fields >> number >> attempts >> next)) continue;
    if (!(fields >> first)) first = ClockNow();
    retries[int32_t(number)] = {int(attempts), next, first};
  }
  return retries;
}

int WriteRetries(const std::string& path, const std::map<int32_t, Retry>& retries) {
  std::string text;
  for (const auto& [number, r] : retries)
    text += std::to_string(number) + " " + std::to_string(r.attempts) + " " +
            std::to_string(r.next) + " " + std::to_string(r.first) + "\n";
  return WriteStateFile(path, text);
}

// "a@b.example: 550 …; c@d.example: 451 …".
std::string RefusalList(const std::vector<std::pair<std::string, std::string>>& refused) {
  std::string text;
  for (const auto& [address, reply] : refused)
    text += (text.empty() ? "" : "; ") + address + ": " + reply;
  return text;
}

// "5 days", "1 hour", "30 hours": how long a message was put off.
std::string HoursText(int hours) {
  const bool days = hours % 24 == 0;
  const int n = days ? hours / 24 : hours;
  return std::to_string(n) + (days ? " day" : " hour") + (n == 1 ? "" : "s");
}

std::string ReadFileBytes(const std::string& path, bool* ok) {
  FILE* f = std::fopen(path.c_str(), "rb");
  *ok = f != nullptr;
  std::string bytes;
  if (!f) return bytes;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  *ok = !std::ferror(f);
  std::fclose(f);
  return bytes;
}

// The mailbox's messages in the in-box, in index order.
int MailboxEntries(MessageTable& table, std::vector<MessageEntry>* entries) {
  entries->clear();
  MessageEntry entry;
  if (!MsgFindFirst(table, msg::kFolderNew, kMailServerName, &entry))
    return AppErrorCode() == kAppNotFound ? 1 : 0;
  while (DbCurrentRecord(table.table) != -1) {
    if (!DbCurrentEntry(table.table, entry.bytes)) return 0;
    if (entry.Folder() != msg::kFolderNew || entry.To() != kMailServerName) break;
    entries->push_back(entry);
    if (!DbNext(table.table)) return 0;
  }
  return 1;
}

// Tells the sender what became of the mail ("Your e-mail "Subject" " and
// then what): a memo from the mailbox, to the person who sent it, or to the
// postmaster when that person is gone.
int SendRefusalMemo(MessageTable& table, const MessageRecord& mail, const std::string& what,
                    const std::string& postmaster) {
  std::string name;
  int32_t number = 0;
  {
    NameTable names;
    if (!NameOpen(names)) return 0;
    NameEntry entry;
    if (NameFindNumber(names, mail.Sender(), &entry) || NameFind(names, postmaster, &entry)) {
      name = entry.Name();
      number = entry.Number();
    }
    NameClose(names);
  }
  if (name.empty()) return 0;
  std::string subject = FieldText(mail.bytes, msg::kSubject);
  std::string text = "Your e-mail \"" + subject + "\" " + what;
  MessageRecord memo;
  SetFieldByte(memo.bytes, msg::kKind, msg::kKindMemo);
  SetFieldText(memo.bytes, msg::kFrom, kMailServerName);
  SetFieldText(memo.bytes, msg::kMemoText, text.substr(0, msg::kMemoText.width - 1).c_str());
  return MsgSendToName(table, memo, name, number);
}

class MailboxPass {
 public:
  MailboxPass(const GatewayConfig& config, SmtpSender& smtp, OutgoingReport* report,
              const GatewayLog& log)
      : config_(config),
        smtp_(smtp),
        report_(report),
        log_(log),
        journal_(config.stateDirectory + "outgoing.journal"),
        retriesPath_(config.stateDirectory + "outgoing.retry") {}

  int Run(const std::atomic<bool>* stop) {
    if (!MsgOpen(table_)) {
      log_("cannot open the message table: " + FormatAppError());
      return 0;
    }
    std::vector<MessageEntry> entries;
    int ok = MailboxEntries(table_, &entries);
    if (!ok) log_("cannot read the mailbox: " + FormatAppError());
    retries_ = ReadRetries(retriesPath_);
    const std::map<int32_t, Retry> read = retries_;
    FinishFromJournal(entries);
    domain_ = ReadOfficeConfig(config_.dataDirectory).domain;
    for (const MessageEntry& entry : entries) {
      if (!ok || (stop && stop->load())) break;
      if (entry.Number() == finishedNumber_) continue;
      One(entry);
      // Each of the others would wait out the same time-out: they wait
      // for the next pass instead.
      if (unreachable_) {
        log_("the mail server cannot be reached; the other messages wait for the next pass");
        break;
      }
    }
    // Waits of messages sent, refused or no longer in the mailbox are
    // forgotten.
    std::map<int32_t, Retry> kept;
    for (const MessageEntry& entry : entries)
      if (retries_.count(entry.Number())) kept[entry.Number()] = retries_[entry.Number()];
    if (kept != read) WriteRetries(retriesPath_, kept);
    MsgClose(table_);
    return ok;
  }

 private:
  // A message the server accepted before the last run ended: only the
  // mailbox's side is left to do.
  void FinishFromJournal(const std::vector<MessageEntry>& entries) {
    std::istringstream in(ReadStateFile(journal_));
    std::string word;
    long number = 0;
    in >> word >> number;
    if (word != "sent") return;
    for (const MessageEntry& entry : entries) {
      if (entry.Number() != number) continue;
      MessageRecord record;
      if (MsgRead(table_, entry.RecordNumber(), &record)) {
        log_("message " + std::to_string(number) +
             " was sent before the last stop; not sent again");
        Delivered(entry, record);
        ++report_->finished;
      }
      finishedNumber_ = int32_t(number);
    }
    RemoveStateFile(journal_);
  }

  void Delivered(const MessageEntry& entry, const MessageRecord& record) {
    if (!MsgStampSent(record, ClockNow()))
      log_("message " + std::to_string(record.Number()) +
           ": the send-log copy cannot be stamped: " + FormatAppError());
    if (!MsgDelete(table_, entry))
      log_("message " + std::to_string(record.Number()) +
           ": cannot leave the mailbox: " + FormatAppError());
  }

  void Refused(const MessageEntry& entry, const MessageRecord& record, const std::string& why) {
    log_("message " + std::to_string(record.Number()) + " refused: " + why);
    if (!SendRefusalMemo(table_, record, "was not sent: " + Utf8ToCp1252Lossy(why),
                         config_.postmaster))
      log_("message " + std::to_string(record.Number()) +
           ": the sender cannot be told: " + FormatAppError());
    if (!MsgMoveToFolder(table_, entry, msg::kFolderArchive))
      log_("message " + std::to_string(record.Number()) +
           ": cannot move to the archive: " + FormatAppError());
    ++report_->refused;
  }

  // Sent, but some recipients took none: the sender learns which, and why.
  void PartlyRefused(const MessageRecord& record,
                     const std::vector<std::pair<std::string, std::string>>& refused) {
    const std::string who = RefusalList(refused);
    log_("message " + std::to_string(record.Number()) + " went out; the mail server refused " +
         who);
    if (!SendRefusalMemo(
            table_, record,
            "went to everyone else, but the mail server refused " + Utf8ToCp1252Lossy(who),
            config_.postmaster))
      log_("message " + std::to_string(record.Number()) +
           ": the sender cannot be told: " + FormatAppError());
  }

  // Put off by the server: tried again later, until the message has waited
  // longer than the office allows; then its sender learns it did not go.
  void Deferred(const MessageEntry& entry, const MessageRecord& record, const std::string& why) {
    const int32_t number = entry.Number();
    Retry& r = retries_[number];
    if (r.attempts == 0) r.first = ClockNow();
    ++r.attempts;
    if (ClockNow() - r.first >= int64_t(config_.giveUpHours) * 3600) {
      retries_.erase(number);
      WriteRetries(retriesPath_, retries_);
      Refused(entry, record,
              "the mail server put it off for " + HoursText(config_.giveUpHours) +
                  "; its last answer: " + why);
      return;
    }
    const int64_t wait = RetryWait(config_.retrySeconds, r.attempts);
    r.next = ClockNow() + wait;
    WriteRetries(retriesPath_, retries_);
    log_("message " + std::to_string(number) + " not sent, tried again in " + std::to_string(wait) +
         " s: " + why);
    ++report_->deferred;
  }

  void One(const MessageEntry& entry) {
    const int32_t number = entry.Number();
    auto retry = retries_.find(number);
    if (retry != retries_.end() && retry->second.next > ClockNow()) {
      ++report_->deferred;
      return;
    }
    MessageRecord record;
    if (!MsgRead(table_, entry.RecordNumber(), &record)) {
      log_("message " + std::to_string(number) + " cannot be read: " + FormatAppError());
      return;
    }
    OutgoingMail mail;
    EmailHeader header;
    bool truncated = false;
    if (!EmailRead(EmailFilePath(number), &header, &mail.body, kMaxOutgoingBody, &truncated)) {
      Refused(entry, record, "its e-mail file cannot be read (" + EmailError() + ")");
      return;
    }
    mail.from =
        header.From().empty() ? FieldText(record.bytes, msg::kSenderAddress) : header.From();
    mail.to = header.To();
    mail.cc = header.Cc();
    mail.subject = header.Subject();
    mail.date = record.Time();
    mail.messageId = "deskpost." + std::to_string(number) + "." + std::to_string(record.Time()) +
                     "@" + (domain_.empty() ? std::string("deskpost.invalid") : domain_);
    const int count = AttachmentCount(header);
    for (int i = 0; i < count; ++i) {
      Attachment a = AttachmentAt(header, i);
      bool ok = IsStoredAttachmentName(a.storedName);
      std::string bytes = ok ? ReadFileBytes(AttachmentFilePath(a.storedName), &ok) : "";
      if (!ok) {
        Refused(entry, record, "its attachment " + Cp1252ToUtf8(a.ownName) + " cannot be read");
        return;
      }
      mail.attachments.push_back({a.ownName, std::move(bytes)});
    }
    BuiltMail built;
    std::string error;
    if (!BuildMail(mail, &built, &error)) {
      Refused(entry, record, error);
      return;
    }
    if (!WriteStateFile(journal_, "sending " + std::to_string(number) + "\n")) {
      log_("the journal cannot be written in " + config_.stateDirectory + "; nothing is sent");
      return;
    }
    SmtpResult result = smtp_.Send(built.envelopeFrom, built.recipients, built.data);
    if (result.sent) {
      // Before anything else: the server has it, and a crash from here on
      // must not send it again.
      WriteStateFile(journal_, "sent " + std::to_string(number) + "\n");
      if (std::getenv(kCrashAfterAcceptVariable)) ::_exit(86);
      Delivered(entry, record);
      retries_.erase(number);
      ++report_->sent;
      if (!result.refused.empty()) PartlyRefused(record, result.refused);
      log_("message " + std::to_string(number) + " sent to " +
           std::to_string(built.recipients.size()) + " address(es)");
    } else if (result.permanent) {
      const std::string why =
          "the mail server refused " +
          (result.refused.empty() ? "it: " + result.reply : RefusalList(result.refused));
      Refused(entry, record, why);
      retries_.erase(number);
    } else {
      // Some recipients only put it off: all of them are tried again.
      Deferred(entry, record, result.refused.empty() ? result.reply : RefusalList(result.refused));
      unreachable_ = result.unreachable;
    }
    RemoveStateFile(journal_);
  }

  const GatewayConfig& config_;
  SmtpSender& smtp_;
  OutgoingReport* report_;
  const GatewayLog& log_;
  std::string journal_;
  std::string retriesPath_;
  std::string domain_;
  std::map<int32_t, Retry> retries_;
  MessageTable table_;
  int32_t finishedNumber_ = 0;
  bool unreachable_ = false;
};

}  // namespace

int64_t RetryWait(int baseSeconds, int attempts) {
  int64_t wait = baseSeconds;
  for (int i = 1; i < attempts && wait < kMaxRetryWait; ++i) wait *= 2;
  return std::min<int64_t>(wait, kMaxRetryWait);
}

int SendMailbox(const GatewayConfig& config, SmtpSender& smtp, const std::atomic<bool>* stop,
                OutgoingReport* report, const GatewayLog& log) {
  MailboxPass pass(config, smtp, report, log);
  return pass.Run(stop);
}
