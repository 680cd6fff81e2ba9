#include "messaging/message_copy.h"

#include <QApplication>

#include "data/messages/dpnote.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "data/office/name_picking.h"
#include "messaging/copy_dialog.h"
#include "messaging/dialog_runner.h"
#include "storage/errors.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "toolkit/prompts.h"

namespace msg = records::message;

namespace {

// The copy of a message as it leaves: its time, From and texts kept, its
// own notes to come, nothing of the recipient's reading.
MessageRecord CopyOf(const MessageRecord& message, bool urgent, int32_t note) {
  MessageRecord copy = message;
  SetFieldByte(copy.bytes, msg::kFlags, urgent ? msg::kFlagUrgent : 0);
  SetFieldI32(copy.bytes, msg::kAttachedNote, note);
  SetFieldI32(copy.bytes, msg::kLogNote, 0);
  SetFieldI32(copy.bytes, msg::kViewedTime, 0);
  SetFieldI32(copy.bytes, msg::kViewer, 0);
  SetFieldU16(copy.bytes, msg::kChangeCount, 0);
  return copy;
}

// The name of a name number; empty when nobody has it any more.
std::string NameOfNumber(int32_t number) {
  NameTable names;
  std::string name;
  if (number != 0 && NameOpen(names)) {
    NameEntry entry;
    if (NameFindNumber(names, number, &entry)) name = entry.Name();
    NameClose(names);
  }
  ClearAppError();
  return name;
}

}  // namespace

int SendCopy(QWidget*, MessageRecord& copy, const std::string& to, int32_t number,
             const std::vector<int32_t>& tags, bool* askedCC, bool* withCC) {
  if (askedCC) *askedCC = false;
  MessageTable handle;
  if (!MsgOpen(handle)) {
    ShowError();
    return 0;
  }
  int ok;
  if (NameIsGroup(to)) {
    SetFieldText(copy.bytes, msg::kTo, to.c_str());
    bool cc = false;
    if (NameIsEverybody(to) || tags.size() >= 2) {
      if (askedCC) *askedCC = true;
      cc = Prompter().AskYesNo("Attach CC: list?");
    }
    if (withCC) *withCC = cc;
    Prompter().Working(true, "Sending messages...");
    ok = MsgSendToGroup(handle, copy, tags, cc);
    Prompter().Working(false);
  } else {
    int32_t recipient = number;
    if (recipient == 0) {
      NameRecord person;
      if (NameLookup(to, &person)) recipient = person.Number();
    }
    ok = recipient != 0 ? MsgSendToName(handle, copy, to, recipient) : 0;
  }
  if (!ok) ShowError();
  MsgClose(handle);
  return ok;
}

int CopyOneMessage(QWidget* owner, const MessageRecord& message, bool reply, bool urgent) {
  std::string sender;
  int32_t senderNumber = 0;
  if (reply) {
    // The reply goes to the person who took the message.
    sender = NameOfNumber(message.Sender());
    if (!sender.empty()) senderNumber = message.Sender();
  }
  TGetLocalCopyInfo dialog(owner, &message, reply ? &sender : nullptr, senderNumber, urgent);
  if (!dialog.Ready()) return 0;
  if (RunMessagingDialog(dialog) != 1) return 0;
  MessageRecord copy = CopyOf(message, dialog.Urgent(), dialog.NoteNumber());
  return SendCopy(owner, copy, dialog.To(), dialog.ToNumber(), TagSetNumbers(dialog.Tags()));
}

int CopySeveralMessages(QWidget* owner, const std::vector<MessageRecord>& messages) {
  TGetLocalCopyInfo dialog(owner, nullptr, nullptr, 0, false);
  if (RunMessagingDialog(dialog) != 1) return 0;
  const std::vector<int32_t> tags = TagSetNumbers(dialog.Tags());
  bool cc = false;
  const bool group = NameIsGroup(dialog.To());
  if (group && (NameIsEverybody(dialog.To()) || tags.size() >= 2))
    cc = Prompter().AskYesNo("Attach CC: list?");
  int32_t recipient = dialog.ToNumber();
  if (!group && recipient == 0) {
    NameRecord person;
    if (NameLookup(dialog.To(), &person)) recipient = person.Number();
    ClearAppError();
  }
  MessageTable handle;
  if (!MsgOpen(handle)) {
    ShowError();
    return 0;
  }
  ProgressStep step;
  step.caption = "Progress...";
  step.label = "Copying Messages...";
  step.total = int32_t(messages.size());
  step.cancelAllowed = false;
  Prompter().Progress(step);
  int ok = 1;
  for (size_t i = 0; i < messages.size() && ok; ++i) {
    MessageRecord copy = CopyOf(messages[i], dialog.Urgent(), 0);
    if (group) {
      SetFieldText(copy.bytes, msg::kTo, dialog.To().c_str());
      ok = MsgSendToGroup(handle, copy, tags, cc);
    } else {
      ok = MsgSendToName(handle, copy, dialog.To(), recipient);
    }
    if (!ok) ShowError();
    step.done = int32_t(i + 1);
    Prompter().Progress(step);
  }
  step.finished = true;
  Prompter().Progress(step);
  MsgClose(handle);
  return ok;
}
