// What Send does with a phone message or memo once the Take window's form
// is gathered, without the window: the text into its field and, when longer,
// into the long-text note; then one copy for a person, or the group walk for
// a group, "* - ALL" or the tagged names. The window and dpadmin's send both
// come through here, so a message dropped by a script is stored exactly as
// one typed at a desk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/messages/dpmess.h"

// How much of the text the record itself keeps: the field less its NUL.
constexpr size_t kPhoneTextInRecord = records::message::kPhoneText.width - 1;  // 260
constexpr size_t kMemoTextInRecord = records::message::kMemoText.width - 1;    // 416
constexpr size_t kPhoneFromFromCompany = records::message::kFrom.width - 1;    // 20

// Puts the text into the record's text field (by its kind), cut to fit, and
// answers the whole text when it did not fit (the long text to keep in a
// note), or an empty text when it did.
std::string TakeGatherText(MessageRecord& record, std::string_view text);
// A phone message whose From is blank takes the first 20 characters of its
// Company.
void TakeGatherFrom(MessageRecord& record);

// Who a gathered message goes to.
struct TakeRecipients {
  // A person's name, a group's name, "* - ALL" or "* - TAG".
  std::string to;
  // The person's name number; unused for the others.
  int32_t number = 0;
  // For a group or "* - TAG": the tagged name numbers (a group's own number
  // may be among them; only people receive copies).
  std::vector<int32_t> tags;
};

// Answers "Attach CC: list?".
using AskAttachCC = std::function<bool()>;

// Send from the long text on: stores the long text in the record's
// long-text note (a new note when it has none; an empty long text deletes
// one it has), stamps nothing (storing stamps the moment of sending), and
// sends to the person into the folder with the user's send-log option, or
// walks the group into the in-boxes. askCC is asked for a group send to
// "* - ALL" or to two or more tagged numbers. 1, or 0 with the application
// error; in a group send a copy that fails does not stop the others (the
// result counts them) and the answer is then still 0.
int TakeSend(MessageRecord& record, const std::string& longText, const TakeRecipients& recipients,
             int32_t folder, const AskAttachCC& askCC, GroupSendResult* result = nullptr);

// Keeps the long text (as TakeGatherText answered it) in the record's
// long-text note: a new note when it has none, an empty text deletes the
// one it has. The record's note number follows; the record itself is not
// stored. 1, or 0 with the application error.
int StoreMessageLongText(MessageRecord& record, const std::string& longText);
