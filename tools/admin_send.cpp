// dpadmin send: a phone message, memo or e-mail stored exactly as the
// program's Send stores it, for scripts such as a telephone system that
// drops messages: unique numbers, long text into a note, the CC list of a
// group send when asked for, the sender's send log and the recipients' flag
// files.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "data/messages/attachments.h"
#include "data/messages/dpnote.h"
#include "data/messages/email_address.h"
#include "data/messages/email_error.h"
#include "data/messages/email_send.h"
#include "data/messages/email_text.h"
#include "data/messages/message_user.h"
#include "data/messages/take_send.h"
#include "data/office/office_config.h"
#include "storage/errors.h"
#include "storage/records/name.h"
#include "tools/admin.h"
#include "tools/admin_office.h"

namespace {

namespace msg = records::message;
namespace nm = records::name;

constexpr char kAll[] = "* - ALL";
// The longest text the Take windows and the note editor accept.
constexpr size_t kMaxTakeText = 4047;

const std::vector<std::string> kValued = {
    "--from", "--to", "--kind",    "--caller", "--company", "--phone",     "--extension",
    "--text", "--by", "--subject", "--body",   "--attach",  "--email-from"};
const std::vector<std::string> kFlags = {"--urgent",      "--rush",          "--call-back",
                                         "--will-call",   "--returned-call", "--cc",
                                         "--no-signature"};

// An option's text in Windows-1252, refused when longer than the field the
// window would have let the user type into.
bool Text(const ParsedOptions& o, const std::string& option, size_t limit, std::string* out) {
  std::string value = o.Value(option);
  if (value == "-") {
    // A script hands a long text over standard input.
    value.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  }
  if (!FileText(value, option, out)) return false;
  if (out->size() > limit) {
    Complain(option + ": at most " + std::to_string(limit) + " characters (" +
             std::to_string(out->size()) + " given)");
    return false;
  }
  return true;
}

bool SetText(MessageRecord& r, const ParsedOptions& o, const std::string& option, Field field) {
  std::string text;
  if (!Text(o, option, size_t(field.width - 1), &text)) return false;
  SetFieldText(r.bytes, field, text.c_str());
  return true;
}

// Who the message goes to, as the name picker would hand it over: a person
// with their number, "* - ALL", or a group with its members tagged.
bool Recipients(const std::string& to, TakeRecipients* out) {
  std::string name;
  if (!FileText(to, "--to", &name)) return false;
  NameTable names;
  if (!NameOpen(names)) {
    ComplainAppError("cannot open the name table");
    return false;
  }
  bool ok = true;
  NameEntry entry;
  NameRecord record;
  if (name == kAll) {
    out->to = kAll;
  } else if (!NameFind(names, name, &entry) || !NameReadCurrent(names, &record)) {
    ComplainAppError("no such name: " + to);
    ok = false;
  } else if (record.IsGroup()) {
    out->to = record.Name();
    out->tags.push_back(record.Number());
    for (int32_t member : GroupMembers(record)) out->tags.push_back(member);
    if (out->tags.size() == 1) {
      Complain(to + " has no members");
      ok = false;
    }
  } else {
    out->to = record.Name();
    out->number = record.Number();
  }
  NameClose(names);
  return ok;
}

bool Ticks(MessageRecord& r, const ParsedOptions& o) {
  const std::pair<const char*, Field> ticks[] = {{"--rush", msg::kRush},
                                                 {"--call-back", msg::kCallBack},
                                                 {"--returned-call", msg::kReturnedCall},
                                                 {"--will-call", msg::kWillCall}};
  for (const auto& [flag, field] : ticks)
    if (o.Has(flag)) SetFieldText(r.bytes, field, msg::kTicked);
  return true;
}

int SendTaken(const ParsedOptions& o, const NameRecord& user, const std::string& kind) {
  const bool phone = kind == "phone";
  MessageRecord r;
  SetFieldByte(r.bytes, msg::kKind, phone ? msg::kKindPhone : msg::kKindMemo);
  SetFieldI32(r.bytes, msg::kFolder, msg::kFolderNew);
  std::string text;
  if (!Text(o, "--text", kMaxTakeText, &text)) return kExitProblems;
  text = WithStoredLineBreaks(text);
  if (phone) {
    // What a blank form holds: the taker's initials in By.
    SetFieldText(r.bytes, msg::kBy, FieldText(user.bytes, nm::kInitials).substr(0, 3).c_str());
    if (!SetText(r, o, "--caller", msg::kFrom) || !SetText(r, o, "--company", msg::kCompany) ||
        !SetText(r, o, "--phone", msg::kPhone) || !SetText(r, o, "--extension", msg::kExtension))
      return kExitProblems;
    if (o.Given("--by") && !SetText(r, o, "--by", Field{msg::kBy.offset, 4})) return kExitProblems;
    Ticks(r, o);
  } else {
    SetFieldText(r.bytes, msg::kFrom, user.Name().c_str());
  }
  const std::string longText = TakeGatherText(r, text);
  TakeGatherFrom(r);
  if (o.Has("--urgent")) SetFieldByte(r.bytes, msg::kFlags, msg::kFlagUrgent);

  TakeRecipients recipients;
  if (!Recipients(o.Value("--to"), &recipients)) return kExitProblems;
  const bool cc = o.Has("--cc");
  GroupSendResult result;
  const int ok = TakeSend(
      r, longText, recipients, msg::kFolderNew, [cc] { return cc; }, &result);
  if (recipients.to[0] != '*') {
    if (!ok) {
      ComplainAppError("the message was not stored");
      return kExitProblems;
    }
    std::printf("sent to %s as message %d\n", Shown(recipients.to).c_str(), r.Number());
    return kExitOk;
  }
  std::printf("sent to %s: %d copies stored%s\n", Shown(recipients.to).c_str(), result.stored,
              result.stored > 0 && cc && (recipients.to == kAll || recipients.tags.size() >= 2)
                  ? " with a CC list"
                  : "");
  if (result.ccTruncated) Complain("the CC list holds the first 100 names only");
  if (!ok) {
    ComplainAppError(std::to_string(result.failed) + " copies could not be stored");
    return kExitProblems;
  }
  return kExitOk;
}

// The signature the user chose as their default, as the Send E-mail window
// starts with it.
std::string DefaultSignature(const NameRecord& user) {
  const int choice = FieldByte(user.bytes, nm::kSignature);
  const int32_t note = FieldI32(user.bytes, nm::kSignatureNote);
  std::string bytes;
  if (choice == 0 || note == 0 || !NoteReadBytes(note, &bytes)) return std::string();
  return SignatureFromNote(bytes, choice);
}

// Deletes the stored copies of attachments an unsent draft still owns.
void DropAttachments(EmailDraft& draft) {
  for (int i = AttachmentCount(draft.header) - 1; i >= 0; --i) AttachmentRemove(draft.header, i);
}

int SendEmail(const ParsedOptions& o, const NameRecord& user, const std::string& directory) {
  EmailDraft draft;
  std::string to, from, subject, body;
  if (!Text(o, "--to", 255, &to) || !Text(o, "--subject", 127, &subject) ||
      !Text(o, "--body", 31999, &body))
    return kExitProblems;
  if (o.Given("--email-from")) {
    if (!Text(o, "--email-from", 127, &from)) return kExitProblems;
  } else {
    from = DefaultFrom(user.Name(), FieldText(user.bytes, nm::kEmailFrom),
                       ReadOfficeConfig(WithSlash(directory)).domain);
  }
  draft.to = to;
  draft.from = from;
  draft.subject = subject;
  draft.body = WithCrLf(body);
  draft.urgent = o.Has("--urgent");
  if (!o.Has("--no-signature")) draft.signature = DefaultSignature(user);
  for (const std::string& path : o.All("--attach")) {
    if (!AttachmentAdd(draft.header, path)) {
      Complain(path + ": " + EmailError());
      DropAttachments(draft);
      return kExitProblems;
    }
  }
  std::string message;
  if (!EmailSend(draft, &message)) {
    Complain("the e-mail was not sent: " + Shown(message));
    DropAttachments(draft);
    return kExitProblems;
  }
  std::printf("e-mail sent to %s\n", Shown(to).c_str());
  // Internet recipients share one message in the gateway's mailbox; nothing
  // leaves the office until the gateway program empties it.
  std::vector<Recipient> recipients;
  ResolveRecipients(to, &recipients);
  int internet = 0;
  for (const Recipient& r : recipients) internet += r.local ? 0 : 1;
  if (internet > 0)
    std::printf(
        "the mail to %d Internet address%s waits in the %s mailbox until the e-mail "
        "gateway sends it\n",
        internet, internet == 1 ? "" : "es", nm::kMailServer);
  return kExitOk;
}

}  // namespace

int RunSend(const std::vector<std::string>& args) {
  ParsedOptions o;
  if (!ParseOptions(args, kValued, kFlags, &o)) return kExitError;
  if (o.positional.size() != 1 || !o.Given("--from") || !o.Given("--to")) {
    Complain("send takes the data directory, --from USER and --to NAME|*GROUP|\"* - ALL\"");
    return kExitError;
  }
  const std::string kind = o.Value("--kind", "phone");
  if (kind != "phone" && kind != "memo" && kind != "email") {
    Complain("--kind is phone, memo or email");
    return kExitError;
  }
  // Only an e-mail carries files; a memo or phone message would drop them.
  if (kind != "email" && o.Given("--attach")) {
    Complain("--attach goes with --kind email only: a " + kind +
             " message cannot carry files. Nothing was sent.");
    return kExitError;
  }
  OfficeSession office;
  if (!office.Open(o.positional[0])) return kExitError;
  NameRecord user;
  if (!office.ActAs(o.Value("--from"), &user)) return kExitProblems;
  if (kind == "email") return SendEmail(o, user, o.positional[0]);
  return SendTaken(o, user, kind);
}
