// Sending and copying e-mails: what the Send E-mail, reply and Copy E-mail
// windows do once their fields are filled in.
//
// Each local recipient gets a message of its own (kind "E") with an e-mail
// file under the new message number and attachment files of its own; all
// Internet recipients together get one message for the gateway's mailbox
// "DPMAIL SERVER" (name number -3), whose e-mail file lists every recipient.
// The sender is the message-module user (data/message_user.h); with the
// user's send-log option each message leaves a send-log copy with its own
// e-mail file in SENDLOG.
//
// Every function answers 1, or 0 with *message holding what the window
// shows: one of its sentences ("Please enter TO field.") or an application
// error as the reporter words it ("Invalid name: x@"). A send stops at the
// first failure; messages already delivered stay.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/messages/dpmess.h"
#include "data/messages/email_file.h"

// What the Send E-mail and reply windows hand over.
struct EmailDraft {
  // The header as the window keeps it: the CC list and the attachment
  // table (stored files made while composing).
  EmailHeader header;
  std::string to;
  std::string from;
  std::string subject;
  std::string body;
  bool urgent = false;
  // The text of the chosen signature, empty for none.
  std::string signature;
  // 1 sends into the recipients' in-boxes; the number of one of the
  // sender's folders files the e-mail there with the sender instead.
  int32_t folder = records::message::kFolderNew;
};

// Sends the draft. After a success its attachment files belong to the first
// message and the window closes without deleting them; after a failure the
// draft still owns stored files of its own (copies, when the originals went
// out with a message already delivered), which the window deletes when the
// e-mail is abandoned.
int EmailSend(EmailDraft& draft, std::string* message);

// What the Copy E-mail dialog hands over.
struct EmailCopyRequest {
  std::string to;
  std::string cc;
  // The From tick and its field: unticked, each copy keeps its e-mail's
  // own From.
  bool useFrom = false;
  std::string from;
  bool urgent = false;
  // "Attach note" and its text: ticked and not empty, every copy gets a
  // note of its own with the text; otherwise the copies carry no note.
  bool attachNote = false;
  std::string note;
};

// The checks of the dialog's OK: To given, every To and CC item a local
// name or an Internet address, and with Internet recipients a From that is
// an Internet address. usedFrom is the From the copies will carry: the
// ticked From, or for a single e-mail its own From; empty when several
// e-mails keep their own.
int EmailCopyCheck(const EmailCopyRequest& request, const std::string& usedFrom,
                   std::string* message);

// Copies one e-mail (a record of "MESSAGE", or of "SENDLOG" with fromSendLog)
// to the request's recipients. The dialog's checks are made first.
int EmailCopy(const EmailCopyRequest& request, const MessageRecord& source, bool fromSendLog,
              std::string* message);

// Copies several e-mails in order. When there are Internet recipients, no
// From is ticked and an e-mail's own From is not an Internet address,
// askFrom is called once (the "Email From field" dialog) for a From used
// for every such e-mail; when it answers false the copying ends there with
// an empty message. The first failing copy ends the copying.
using AskEmailFrom = std::function<bool(std::string* from)>;
int EmailCopySeveral(const EmailCopyRequest& request, const std::vector<MessageRecord>& sources,
                     bool fromSendLog, const AskEmailFrom& askFrom, std::string* message);
