#include "gateway/incoming.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

#include "data/cp1252.h"
#include "data/messages/attachments.h"
#include "data/messages/dpmess.h"
#include "data/messages/email_address.h"
#include "data/messages/email_error.h"
#include "data/messages/email_file.h"
#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "data/office/office_config.h"
#include "gateway/mime_in.h"
#include "gateway/transport.h"
#include "storage/database.h"
#include "storage/errors.h"
#include "storage/records/name.h"

namespace msg = records::message;
namespace nm = records::name;

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Header text for a fixed field: Windows-1252, one line, cut to fit.
std::string FieldFromUtf8(const std::string& utf8, size_t width) {
  std::string text = Utf8ToCp1252Lossy(utf8);
  for (char& c : text)
    if (static_cast<unsigned char>(c) < ' ' || c == 127) c = ' ';
  if (text.size() > width - 1) text.resize(width - 1);
  return text;
}

// The body as an e-mail file keeps it: Windows-1252, lines ending "\r\n",
// no NUL, at most kStoredBodyLimit bytes with a last line saying where the
// rest is.
std::string StoredBody(const std::string& utf8, size_t moreAttachments) {
  std::string text = Utf8ToCp1252Lossy(utf8);
  std::string body;
  body.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      body += "\r\n";
    } else if (c == '\n') {
      body += "\r\n";
    } else {
      body.push_back(c == '\0' ? '?' : c);
    }
  }
  std::string note;
  if (moreAttachments > 0)
    note += "\r\n[" + std::to_string(moreAttachments) +
            " more attachment(s) are in the raw e-mail.]\r\n";
  if (body.size() + note.size() > kStoredBodyLimit) {
    std::string cut = "\r\n[The text goes on in the raw e-mail.]\r\n";
    body.resize(kStoredBodyLimit - note.size() - cut.size());
    body += cut;
  }
  return body + note;
}

struct Person {
  std::string name;
  int32_t number = 0;
  std::vector<std::string> addresses;  // lower case
};

int OfficePeople(const std::string& domain, std::vector<Person>* people) {
  NameTable names;
  if (!NameOpen(names)) return 0;
  NameEntry entry;
  int ok = NameFirst(names, &entry);
  while (ok) {
    NameRecord record;
    if (!NameReadCurrent(names, &record)) break;
    if (!record.IsGroup()) {
      Person p;
      p.name = record.Name();
      p.number = record.Number();
      std::string own = FieldText(record.bytes, nm::kEmailFrom);
      std::string ownName, ownAddress;
      SplitAddress(own, &ownName, 128, &ownAddress, 128);
      if (!ownAddress.empty()) p.addresses.push_back(Lower(Cp1252ToUtf8(ownAddress)));
      if (!domain.empty()) p.addresses.push_back(Lower(Cp1252ToUtf8(p.name) + "@" + domain));
      people->push_back(std::move(p));
    }
    ok = NameNext(names, &entry);
  }
  bool end = AppErrorCode() == kAppEndOfFile;
  NameClose(names);
  return end ? 1 : 0;
}

// The people the stored copies under key went to, when recovering.
std::set<std::string> AlreadyDelivered(const std::string& key) {
  std::set<std::string> done;
  MessageTable table;
  if (!MsgOpen(table)) return done;
  int32_t count = 0;
  DbRecordCount(table.table, &count);
  const std::string prefix = key + "-";
  for (int32_t i = 0; i < count; ++i) {
    MessageRecord record;
    if (!DbReadRecord(table.table, i, record.bytes) || record.bytes[0] != 0) continue;
    if (record.Kind() != msg::kKindEmail) continue;
    std::string stem = FieldText(record.bytes, msg::kRawStem);
    if (stem.compare(0, prefix.size(), prefix) == 0) done.insert(Lower(record.To()));
  }
  MsgClose(table);
  return done;
}

int WriteRaw(const std::string& stem, std::string_view raw) {
  std::string path = RawFilePath(stem);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  bool ok = std::fwrite(raw.data(), 1, raw.size(), f) == raw.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) std::remove(path.c_str());
  return ok;
}

}  // namespace

int DeliverIncoming(std::string_view raw, const std::string& key, const std::string& postmaster,
                    bool recovering, DeliveryResult* result, std::string* error) {
  *result = DeliveryResult();
  IncomingMail mail = ParseIncoming(raw, kMaxAttachments);
  result->messageId = mail.messageId;
  const std::string domain = Lower(ReadOfficeConfig(DataDirectory()).domain);

  std::vector<Person> people;
  if (!OfficePeople(domain, &people)) return *error = "the name table: " + FormatAppError(), 0;
  std::vector<const Person*> targets;
  for (const Person& p : people) {
    bool named = false;
    for (const std::string& a : p.addresses)
      named = named ||
              std::find(mail.recipients.begin(), mail.recipients.end(), a) != mail.recipients.end();
    if (named) targets.push_back(&p);
  }
  if (targets.empty()) {
    for (const Person& p : people)
      if (Lower(p.name) == Lower(postmaster)) targets.push_back(&p);
    if (targets.empty())
      return *error = "the postmaster " + postmaster + " is not in the office", 0;
    result->toPostmaster = true;
  }
  std::set<std::string> done;
  if (recovering) done = AlreadyDelivered(key);

  EmailHeader header;
  header.SetFrom(FieldFromUtf8(mail.from, records::email::kFrom.width));
  header.SetTo(FieldFromUtf8(mail.to, records::email::kTo.width));
  header.SetCc(FieldFromUtf8(mail.cc, records::email::kCc.width));
  header.SetSubject(FieldFromUtf8(mail.subject, records::email::kSubject.width));
  const std::string body = StoredBody(mail.body, mail.attachmentCount - mail.attachments.size());
  const std::string from = FieldFromUtf8(mail.from, msg::kSenderAddress.width);

  MessageTable table;
  if (!MsgOpen(table)) return *error = "the message table: " + FormatAppError(), 0;
  int ok = 1;
  for (size_t n = 0; ok && n < targets.size(); ++n) {
    const Person& person = *targets[n];
    if (done.count(Lower(person.name))) {
      result->people.push_back(person.name);
      continue;
    }
    const std::string stem = key + "-" + std::to_string(n);
    // The files come first and the record last: the record is what says
    // the person has the mail, and it never names a file that is not there.
    if (!IsRawStem(stem) || !WriteRaw(stem, raw)) {
      *error = "the raw file " + stem + " cannot be written";
      ok = 0;
      break;
    }
    EmailHeader own = header;
    // What a copy that does not go through leaves behind.
    const auto dropFiles = [&own, &stem] {
      AttachmentsDeleteFiles(own);
      std::remove(RawFilePath(stem).c_str());
    };
    for (const IncomingAttachment& a : mail.attachments) {
      std::string name = Utf8ToCp1252Lossy(a.name);
      if (!AttachmentAddBytes(own, name, a.bytes)) {
        *error = "an attachment cannot be stored: " + EmailError();
        ok = 0;
        break;
      }
    }
    if (!ok) {
      dropFiles();
      break;
    }
    MessageRecord record;
    SetFieldByte(record.bytes, msg::kKind, msg::kKindEmail);
    SetFieldText(record.bytes, msg::kTo, person.name.c_str());
    SetFieldText(record.bytes, msg::kSenderAddress, from.c_str());
    SetFieldText(record.bytes, msg::kFrom, from.substr(0, msg::kFrom.width - 1).c_str());
    SetFieldText(record.bytes, msg::kSubject, header.Subject().c_str());
    SetFieldText(record.bytes, msg::kRawStem, stem.c_str());
    int32_t at = -1;
    if (!MsgSendOne(&table, record, person.number, false, msg::kFolderNew, &at)) {
      *error = "the message for " + person.name + " cannot be stored: " + FormatAppError();
      dropFiles();
      ok = 0;
      break;
    }
    if (!EmailWrite(own, body, record.Number())) {
      *error = "the e-mail file for " + person.name + " cannot be written: " + EmailError();
      // The copy goes with its files: delivered again next time, it must
      // not meet a copy that cannot be read.
      MsgDelete(table, MessageEntryOf(record, at));
      dropFiles();
      ok = 0;
      break;
    }
    result->people.push_back(person.name);
  }
  MsgClose(table);
  return ok;
}

namespace {

// The state of the server's mailbox as the gateway last left it.
struct InState {
  uint32_t uidValidity = 0;
  uint32_t nextUid = 1;
};

InState ReadInState(const std::string& path) {
  InState s;
  std::istringstream in(ReadStateFile(path));
  std::string word;
  unsigned long value = 0;
  while (in >> word >> value) {
    if (word == "uidvalidity") s.uidValidity = uint32_t(value);
    if (word == "next") s.nextUid = uint32_t(value);
  }
  return s;
}

std::set<std::string> ReadLines(const std::string& path) {
  std::set<std::string> lines;
  std::istringstream in(ReadStateFile(path));
  std::string line;
  while (std::getline(in, line))
    if (!line.empty()) lines.insert(line);
  return lines;
}

std::string Hex64(std::string_view text) {
  uint64_t h = 1469598103934665603ull;
  for (char c : text) h = (h ^ uint8_t(c)) * 1099511628211ull;
  char out[17];
  std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
  return out;
}

// A Message-ID as one line of the delivered list.
std::string IdLine(const std::string& id) {
  std::string line;
  for (char c : id) line.push_back(static_cast<unsigned char>(c) < ' ' ? ' ' : c);
  return line;
}

class FetchPass {
 public:
  FetchPass(const GatewayConfig& config, IncomingReport* report, const GatewayLog& log)
      : config_(config),
        report_(report),
        log_(log),
        journal_(config.stateDirectory + "incoming.journal"),
        idsPath_(config.stateDirectory + "incoming.ids") {
    ids_ = ReadLines(idsPath_);
    std::istringstream in(ReadStateFile(journal_));
    std::getline(in, pendingKey_);
  }

  // Delivers one message unless its Message-ID came before; 0 when the
  // office could not take it (it is then fetched again next time).
  int Take(const std::string& key, const std::string& raw) {
    const bool recovering = key == pendingKey_;
    IncomingMail peek = ParseIncoming(raw, 0);
    if (!recovering && !peek.messageId.empty() && ids_.count(IdLine(peek.messageId))) {
      ++report_->duplicates;
      log_("message " + key + " was delivered before (Message-ID " + peek.messageId + ")");
      return 1;
    }
    if (!WriteStateFile(journal_, key + "\n")) {
      log_("the journal cannot be written in " + config_.stateDirectory);
      return 0;
    }
    DeliveryResult result;
    std::string error;
    if (!DeliverIncoming(raw, key, config_.postmaster, recovering, &result, &error)) {
      log_("message " + key + " not delivered: " + error);
      ++report_->failed;
      return 0;
    }
    if (!result.messageId.empty()) {
      ids_.insert(IdLine(result.messageId));
      AppendStateLine(idsPath_, IdLine(result.messageId));
    }
    if (std::getenv(kCrashAfterDeliverVariable)) ::_exit(87);
    ++report_->delivered;
    std::string who;
    for (const std::string& p : result.people) who += (who.empty() ? "" : ", ") + p;
    log_("message " + key + " delivered to " + who + (result.toPostmaster ? " (postmaster)" : ""));
    return 1;
  }
  void Done() {
    RemoveStateFile(journal_);
    pendingKey_.clear();
  }

  int Imap(const std::atomic<bool>* stop) {
    const std::string statePath = config_.stateDirectory + "incoming.imap";
    InState state = ReadInState(statePath);
    ImapReader reader(config_.in, config_.caFile, config_.mailbox);
    ImapStatus status;
    std::string error;
    if (!reader.Status(&status, &error)) return log_("IMAP: " + error), 0;
    if (status.uidValidity != state.uidValidity) {
      // A new mailbox (or a rebuilt one): everything in it is looked at
      // again, and the Message-IDs keep what came before from coming twice.
      state.uidValidity = status.uidValidity;
      state.nextUid = 1;
    }
    std::vector<uint32_t> uids;
    if (!reader.Uids(state.nextUid, &uids, &error)) return log_("IMAP: " + error), 0;
    for (uint32_t uid : uids) {
      if (stop && stop->load()) break;
      std::string raw;
      if (!reader.Fetch(state.uidValidity, uid, &raw, &error)) return log_("IMAP: " + error), 0;
      const std::string key = "i" + std::to_string(state.uidValidity) + "-" + std::to_string(uid);
      if (!Take(key, raw)) return 0;
      state.nextUid = uid + 1;
      WriteStateFile(statePath, "uidvalidity " + std::to_string(state.uidValidity) + "\nnext " +
                                    std::to_string(state.nextUid) + "\n");
      Done();
    }
    return 1;
  }

  int Pop3(const std::atomic<bool>* stop) {
    const std::string seenPath = config_.stateDirectory + "incoming.uidl";
    std::set<std::string> seen = ReadLines(seenPath);
    Pop3Reader reader(config_.in, config_.caFile);
    std::vector<std::pair<int, std::string>> messages;
    std::string error;
    if (!reader.List(&messages, &error)) return log_("POP3: " + error), 0;
    for (const auto& [number, uidl] : messages) {
      if (stop && stop->load()) break;
      if (seen.count(uidl)) continue;
      std::string raw;
      if (!reader.Fetch(number, &raw, &error)) return log_("POP3: " + error), 0;
      const std::string key = "p" + Hex64(uidl);
      if (!Take(key, raw)) return 0;
      seen.insert(uidl);
      AppendStateLine(seenPath, uidl);
      Done();
    }
    return 1;
  }

 private:
  const GatewayConfig& config_;
  IncomingReport* report_;
  const GatewayLog& log_;
  std::string journal_;
  std::string idsPath_;
  std::set<std::string> ids_;
  std::string pendingKey_;
};

}  // namespace

int FetchMailbox(const GatewayConfig& config, const std::atomic<bool>* stop, IncomingReport* report,
                 const GatewayLog& log) {
  FetchPass pass(config, report, log);
  switch (config.incoming) {
    case IncomingProtocol::kImap:
      return pass.Imap(stop);
    case IncomingProtocol::kPop3:
      return pass.Pop3(stop);
    case IncomingProtocol::kNone:
      return 1;
  }
  return 1;
}
