// Copying phone messages and memos to other people, and Reply to a phone
// message: COPY asks for the recipient, a note and Urgent, then each copy
// goes to the person, or to everybody in a group, "* - ALL" or the tagged
// names (asking "Attach CC: list?" as a group send does).
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "data/messages/dpmess.h"

// Copies one message (as read from its table): with reply the recipient
// starts as the person who took the message (empty when that person is no
// longer in the name table) and the caption is "Reply to message sender";
// urgent: "Urgent" starts ticked. 1 when sent, 0 when cancelled or failed
// (a failure has been shown).
int CopyOneMessage(QWidget* owner, const MessageRecord& message, bool reply, bool urgent);
// Copies several messages through one COPY ("Copy selected Messages",
// without a note). An engine error is shown and stops the copying.
int CopySeveralMessages(QWidget* owner, const std::vector<MessageRecord>& messages);

// Sends a prepared copy: to a person into the in-box with the user's send
// log option, or the group send (with "Attach CC: list?" for "* - ALL" or
// two or more tagged names, and "Sending messages..." meanwhile). The copy
// gets its own long-text note either way. 1, or 0 with the error shown.
int SendCopy(QWidget* owner, MessageRecord& copy, const std::string& to, int32_t number,
             const std::vector<int32_t>& tags, bool* askedCC = nullptr, bool* withCC = nullptr);
