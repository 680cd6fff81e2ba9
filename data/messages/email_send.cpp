#include "data/messages/email_send.h"

#include <algorithm>
#include <cstring>

#include "data/messages/attachments.h"
#include "data/messages/dpnote.h"
#include "data/messages/email_address.h"
#include "data/messages/email_error.h"
#include "data/messages/email_text.h"
#include "data/messages/message_user.h"
#include "storage/errors.h"

namespace msg = records::message;

namespace {

int Fail(std::string* message, std::string_view text) {
  if (message) message->assign(text);
  return 0;
}
int FailApp(std::string* message) {
  return Fail(message, FormatAppError());
}
int FailEmailOp(std::string* message) {
  return Fail(message, EmailError());
}

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

// The recipients of one e-mail: the To items, then the CC items.
struct RecipientLists {
  std::vector<Recipient> to;
  std::vector<Recipient> cc;
  std::string toText;  // the lists with local names spelled as stored
  std::string ccText;

  int InternetCount() const {
    auto internet = [](const Recipient& r) { return !r.local; };
    return int(std::count_if(to.begin(), to.end(), internet) +
               std::count_if(cc.begin(), cc.end(), internet));
  }
  // The address the send log names for the gateway's message: the first
  // Internet address of To, or when To has none, of CC.
  std::string FirstInternetAddress() const {
    for (const auto* list : {&to, &cc})
      for (const Recipient& r : *list)
        if (!r.local) return r.text;
    return {};
  }
};

// The message record of an outgoing e-mail: kind "E", the sender address
// (its first 20 characters also as the short From), the subject, urgent.
void SetEmailFields(MessageRecord& record, const std::string& from, const std::string& subject,
                    bool urgent) {
  SetFieldByte(record.bytes, msg::kKind, msg::kKindEmail);
  SetFieldText(record.bytes, msg::kSenderAddress, from.c_str());
  SetFieldText(record.bytes, msg::kFrom, from.c_str());
  SetFieldText(record.bytes, msg::kSubject, subject.c_str());
  SetFieldByte(record.bytes, msg::kFlags, urgent ? msg::kFlagUrgent : 0);
}

// Makes the e-mail file of a message just stored under the number.
using MakeEmailFile = std::function<int(int32_t number)>;

// Delivers the copies of one e-mail, each with its e-mail file and, with
// the user's send-log option, its send-log copy and that copy's file.
class Delivery {
 public:
  Delivery(MessageTable& table, const MessageRecord& record)
      : table_(table), record_(record), keepLog_(CurrentMessageUser().sendLog) {}

  // A copy for a person in the office, into the folder.
  int ToPerson(const Recipient& person, int32_t folder, const MakeEmailFile& makeFile,
               std::string* message) {
    SetFieldText(record_.bytes, msg::kTo, person.text.c_str());
    return Deliver(person.number, folder, person.text, makeFile, message);
  }
  // The one copy for the gateway's mailbox; its send-log copy names the
  // first Internet recipient.
  int ToServer(const std::string& logTo, const MakeEmailFile& makeFile, std::string* message) {
    SetFieldText(record_.bytes, msg::kTo, kMailServerName);
    return Deliver(kMailServerNumber, msg::kFolderNew, logTo, makeFile, message);
  }

 private:
  int Deliver(int32_t number, int32_t folder, const std::string& logTo,
              const MakeEmailFile& makeFile, std::string* message) {
    SetFieldI32(record_.bytes, msg::kTime, 0);
    // The send-log copy is added here, after the e-mail file, so that it
    // can name another recipient than the message.
    int32_t at = -1;
    if (!MsgSendOne(&table_, record_, number, false, folder, &at)) return FailApp(message);
    const int32_t stored = record_.Number();
    if (!makeFile(stored)) {
      // A copy without its e-mail file would only tell its reader "Error
      // reading email file.", and a send tried again would bring it twice:
      // the copy goes, and the failure stays the file's.
      EmailFirstFailure failure;
      failure.Note();
      MsgDelete(table_, MessageEntryOf(record_, at));
      failure.Result();
      return FailEmailOp(message);
    }
    if (!keepLog_) return 1;
    MessageRecord log = record_;
    SetFieldText(log.bytes, msg::kTo, logTo.c_str());
    if (!SendLogAdd(log)) return FailApp(message);
    if (!EmailCopyFile(EmailFilePath(stored), EmailFilePath(stored, true)))
      return FailEmailOp(message);
    return 1;
  }

  MessageTable& table_;
  MessageRecord record_;
  bool keepLog_;
};

// Opens "MESSAGE" for the length of a send.
class OpenMessages {
 public:
  int Open(std::string* message) { return MsgOpen(table) ? 1 : FailApp(message); }
  ~OpenMessages() {
    if (table.open) {
      const AppError kept = CurrentAppError();
      MsgClose(table);
      RestoreAppError(kept);
    }
  }
  MessageTable table;
};

}  // namespace

int EmailSend(EmailDraft& draft, std::string* message) {
  const MessageUser& user = CurrentMessageUser();
  const bool toInBox = draft.folder == msg::kFolderNew;
  const std::string to = toInBox ? draft.to : user.name;
  if (RecipientItems(to).empty()) return Fail(message, "Please enter TO field.");
  if (IsBlank(draft.from)) return Fail(message, "Please enter FROM field.");

  RecipientLists lists;
  if (!ResolveRecipients(to, &lists.to, &lists.toText)) return FailApp(message);
  const std::string cc = draft.header.Cc();
  if (toInBox && !RecipientItems(cc).empty() && !ResolveRecipients(cc, &lists.cc, &lists.ccText))
    return FailApp(message);
  if (!toInBox) lists.ccText = cc;
  const int internet = lists.InternetCount();
  if (internet > 0 && !IsInternetAddress(draft.from))
    return Fail(message, "Emails must have a valid FROM field.");

  MessageRecord record;
  SetEmailFields(record, draft.from, draft.subject, draft.urgent);
  const std::string body = BodyWithSignature(draft.body, draft.signature);
  EmailHeader header = draft.header;
  header.SetTo(lists.toText);
  header.SetFrom(draft.from);
  header.SetSubject(draft.subject);
  header.SetCc(lists.ccText);

  // The first message takes the draft's stored files; every later one
  // gets copies of its own.
  bool handedOver = false;
  MakeEmailFile makeFile = [&](int32_t number) {
    EmailHeader own = header;
    if (handedOver && !AttachmentsDuplicate(own)) return 0;
    if (!EmailWrite(own, body, number)) {
      if (handedOver) {
        std::string sentence = EmailError();
        AttachmentsDeleteFiles(own);
        FailEmail(sentence);
      }
      return 0;
    }
    handedOver = true;
    return 1;
  };

  OpenMessages messages;
  if (!messages.Open(message)) return 0;
  Delivery delivery(messages.table, record);
  int ok = 1;
  for (const auto* list : {&lists.to, &lists.cc}) {
    for (const Recipient& r : *list) {
      if (r.local && ok) ok = delivery.ToPerson(r, draft.folder, makeFile, message);
    }
  }
  if (ok && internet > 0) ok = delivery.ToServer(lists.FirstInternetAddress(), makeFile, message);
  if (!ok && handedOver) {
    // The draft's files went out with a delivered message; the window keeps
    // copies of its own, or none, so that abandoning the e-mail cannot
    // delete what the message holds.
    std::string keep = message ? *message : std::string();
    if (!AttachmentsDuplicate(draft.header)) {
      std::memset(draft.header.bytes + records::email::kAttachments.offset, 0,
                  records::email::kAttachments.width);
    }
    if (message) *message = keep;
  }
  return ok;
}

int EmailCopyCheck(const EmailCopyRequest& request, const std::string& usedFrom,
                   std::string* message) {
  if (RecipientItems(request.to).empty()) return Fail(message, "Please enter TO field.");
  std::vector<Recipient> to, cc;
  if (!ResolveRecipients(request.to, &to)) {
    if (AppErrorCode() != kAppInvalidName) return FailApp(message);
    return Fail(message, "Invalid name: " + AppErrorName());
  }
  if (!ResolveRecipients(request.cc, &cc)) {
    if (AppErrorCode() != kAppInvalidName) return FailApp(message);
    return Fail(message, "Invalid CC name: " + AppErrorName());
  }
  bool internet = std::any_of(to.begin(), to.end(), [](auto& r) { return !r.local; }) ||
                  std::any_of(cc.begin(), cc.end(), [](auto& r) { return !r.local; });
  if (internet && !usedFrom.empty() && !IsInternetAddress(usedFrom))
    return Fail(message, "Internet Emails must have a valid From field.");
  return 1;
}

namespace {

// Copies one e-mail once the checks are made; from is the From it carries.
int CopyOne(const EmailCopyRequest& request, const RecipientLists& lists,
            const MessageRecord& source, bool fromSendLog, const std::string& from,
            std::string* message) {
  MessageRecord record = source;
  // A copy is a new message: nothing of the original's state goes with
  // it, and above all not its raw file, which the original's delete removes.
  SetFieldByte(record.bytes, msg::kFlags, request.urgent ? msg::kFlagUrgent : 0);
  SetFieldText(record.bytes, msg::kSenderAddress, from.c_str());
  SetFieldText(record.bytes, msg::kFrom, from.c_str());
  SetFieldI32(record.bytes, msg::kLogNote, 0);
  SetFieldI32(record.bytes, msg::kAttachedNote, 0);
  SetFieldI32(record.bytes, msg::kLongTextNote, 0);
  SetFieldU16(record.bytes, msg::kChangeCount, 0);
  std::memset(record.bytes + msg::kRawStem.offset, 0, msg::kRawStem.width);
  const bool withNote = request.attachNote && !request.note.empty();

  const std::string sourcePath = EmailFilePath(source.Number(), fromSendLog);
  auto edit = [&](EmailHeader& h) {
    h.SetTo(lists.toText);
    h.SetCc(lists.ccText);
    h.SetFrom(from);
  };
  MakeEmailFile makeFile = [&](int32_t number) {
    return EmailCopyFile(sourcePath, EmailFilePath(number), edit);
  };

  OpenMessages messages;
  if (!messages.Open(message)) return 0;
  auto deliver = [&](const Recipient* person) {
    MessageRecord copy = record;
    int32_t note = 0;
    if (withNote && (!NoteNew(&note) || !NoteWrite(note, request.note))) {
      if (note) {
        NoteTable notes;
        if (NoteOpen(notes)) {
          NoteDelete(notes, note);
          NoteClose(notes);
        }
      }
      return FailApp(message);
    }
    SetFieldI32(copy.bytes, msg::kAttachedNote, note);
    Delivery delivery(messages.table, copy);
    return person ? delivery.ToPerson(*person, msg::kFolderNew, makeFile, message)
                  : delivery.ToServer(lists.FirstInternetAddress(), makeFile, message);
  };
  for (const auto* list : {&lists.to, &lists.cc})
    for (const Recipient& r : *list)
      if (r.local && !deliver(&r)) return 0;
  if (lists.InternetCount() > 0 && !deliver(nullptr)) return 0;
  return 1;
}

int ResolveForCopy(const EmailCopyRequest& request, RecipientLists* lists, std::string* message) {
  if (!ResolveRecipients(request.to, &lists->to, &lists->toText) ||
      !ResolveRecipients(request.cc, &lists->cc, &lists->ccText))
    return FailApp(message);
  return 1;
}

std::string OwnFrom(const MessageRecord& record) {
  return FieldText(record.bytes, msg::kSenderAddress);
}

}  // namespace

int EmailCopy(const EmailCopyRequest& request, const MessageRecord& source, bool fromSendLog,
              std::string* message) {
  const std::string from = request.useFrom ? request.from : OwnFrom(source);
  if (!EmailCopyCheck(request, from, message)) return 0;
  RecipientLists lists;
  if (!ResolveForCopy(request, &lists, message)) return 0;
  return CopyOne(request, lists, source, fromSendLog, from, message);
}

int EmailCopySeveral(const EmailCopyRequest& request, const std::vector<MessageRecord>& sources,
                     bool fromSendLog, const AskEmailFrom& askFrom, std::string* message) {
  if (!EmailCopyCheck(request, request.useFrom ? request.from : std::string(), message)) return 0;
  RecipientLists lists;
  if (!ResolveForCopy(request, &lists, message)) return 0;
  const bool internet = lists.InternetCount() > 0;
  std::string askedFrom;
  bool asked = false;
  for (const MessageRecord& source : sources) {
    std::string from = request.useFrom ? request.from : OwnFrom(source);
    if (internet && !request.useFrom && !IsInternetAddress(from)) {
      if (!asked) {
        if (!askFrom || !askFrom(&askedFrom)) return Fail(message, "");
        asked = true;
        if (!IsInternetAddress(askedFrom))
          return Fail(message, "Internet Emails must have a valid From field.");
      }
      from = askedFrom;
    }
    if (!CopyOne(request, lists, source, fromSendLog, from, message)) return 0;
  }
  return 1;
}
