// dpmess: the "MESSAGE" table of every phone message, memo and e-mail, one
// record per recipient, and the "SENDLOG" table of the copies a user keeps
// of what they sent.
//
// Sending stores one copy per recipient under a new message number with its
// not-viewed flag set and raises the recipient's flag file; moving files a
// copy into the in-box (1), the archive (3) or a folder; deleting removes a
// copy with its e-mail files and long-text note; opening a copy stamps it
// viewed, in the sender's send-log copy too. The queries fill a user's work
// table with the rows a message list shows.
//
// The sender is the message-module user that the start-up hands over
// (data/message_user.h). Every function answers 1 or 0 and leaves the
// application error on 0, except where a record held by another
// workstation refuses a change: that leaves engine code 9 and the
// application error as it was, for the caller to say "Record in use.".
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "data/field_problem.h"
#include "data/table_handle.h"
#include "storage/catalogue.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "storage/worktable.h"

// The gateway's mailbox: e-mail to it is never stamped viewed.
constexpr const char* kMailServerName = records::name::kMailServer;
constexpr int32_t kMailServerNumber = records::name::kMailServerNumber;

// A message record as stored (the layout is in storage/records/message.h),
// used for "MESSAGE" and "SENDLOG" alike.
struct MessageRecord {
  uint8_t bytes[records::message::kRecordSize] = {};
  uint8_t Kind() const;
  int32_t Folder() const;
  int32_t Number() const;
  uint8_t Flags() const;
  std::string To() const;
  std::string From() const;
  int32_t Time() const;
  int32_t Sender() const;
  int32_t ViewedTime() const;
  int32_t Viewer() const;
  int32_t LongTextNote() const;
  uint16_t ChangeCount() const;
};

// An entry of "MESSAGE" X1, which is also the first part of a message list
// row: record number, folder, kind, flags, to, from, time, message number,
// change count.
struct MessageEntry {
  uint8_t bytes[records::message::x1::kLength] = {};
  int32_t RecordNumber() const;
  int32_t Folder() const;
  uint8_t Kind() const;
  uint8_t Flags() const;
  std::string To() const;
  std::string From() const;
  int32_t Time() const;
  int32_t Number() const;
  uint16_t ChangeCount() const;
};

// An entry of "SENDLOG" X1, which is also a send-log list row: record
// number, folder, sender, time, message number, to, viewed time, kind,
// flags.
struct SendLogEntry {
  uint8_t bytes[records::sendlog::x1::kLength] = {};
  int32_t RecordNumber() const;
  int32_t Folder() const;
  int32_t Sender() const;
  int32_t Time() const;
  int32_t Number() const;
  std::string To() const;
  int32_t ViewedTime() const;
  uint8_t Kind() const;
  uint8_t Flags() const;
};

// The X1 entries of a record stored at recordNumber.
MessageEntry MessageEntryOf(const MessageRecord& record, int32_t recordNumber);
SendLogEntry SendLogEntryOf(const MessageRecord& record, int32_t recordNumber);

struct MessageTable : TableHandle {
  MessageTable() : TableHandle(kMessageTable) {}
};
struct SendLogTable : TableHandle {
  SendLogTable() : TableHandle(kSendLogTable) {}
};

int MsgOpen(MessageTable& handle);
int MsgClose(MessageTable& handle);
int SendLogOpen(SendLogTable& handle);
int SendLogClose(SendLogTable& handle);

// ---- Sending ----

// Stores one copy as it is (kind and to set by the caller): a new message
// number, not viewed, sent by the current user, stamped now when its time
// is 0. The recipient's flag file gets bit 2 for an urgent copy, else bit
// 1, unless the recipient is the user. A flag file that cannot be written
// does not undo the copy: the recipient finds it at the next refresh. The
// record comes back as stored, and its record number in *recordNumber when
// given.
int MsgStore(MessageTable& handle, MessageRecord& record, int32_t recipientNumber,
             int32_t* recordNumber = nullptr);
// Stores the copy into the folder (opening "MESSAGE" when no handle is
// given) and, with keepLog, a send-log copy of it. The copy keeps the
// record's long-text note. When the copy is stored but its send-log copy
// fails, the answer is 0 and the record holds the stored copy's number.
// The copy's record number goes to *recordNumber when given, so that a
// caller whose own part of the send fails can take the copy back.
int MsgSendOne(MessageTable* handle, MessageRecord& record, int32_t recipientNumber, bool keepLog,
               int32_t folder, int32_t* recordNumber = nullptr);
// Sends to one person into the in-box, with the user's send-log option. The
// copy gets its own duplicate of the long-text note, so the caller keeps
// its own. A name beginning with '*': 1021 with the name.
int MsgSendToName(MessageTable& handle, MessageRecord& record, std::string_view name,
                  int32_t recipientNumber);

// What a group send did.
struct GroupSendResult {
  int stored = 0;            // copies stored
  int failed = 0;            // recipients whose copy (or its CC or send-log part) failed
  bool ccTruncated = false;  // more than 100 CC names: the first 100 kept
};
// Sends to a group: the record's to is the group's name, "* - ALL" or
// "* - TAG". Every person (never a group) whose name number is in numbers
// gets a copy in the in-box, walking the name table in name order; for
// "* - ALL" every person does, the sender included. With withCC a CC list
// is kept when there are at least two recipients (or the message is to
// "* - ALL"), and the copies get the CC flag. Every copy owns its own
// long-text note, and so does every send-log copy. A copy that cannot be
// stored does not stop the others: the answer is then 0 with the first
// failure's error once every recipient has been tried. A to that does not
// begin with '*': 1021 with it. Without recipients the send succeeds.
//
// MsgSendToGroup first gives the record a duplicate of its long-text note,
// so the caller keeps its own; MsgGroupSend hands the caller's note to the
// first copy (the Take window, whose note goes with the message).
int MsgSendToGroup(MessageTable& handle, MessageRecord& record, const std::vector<int32_t>& numbers,
                   bool withCC, GroupSendResult* result = nullptr);
int MsgGroupSend(MessageTable& handle, MessageRecord& record, const std::vector<int32_t>& numbers,
                 bool withCC, GroupSendResult* result = nullptr);

// Appends a copy of the record to "SENDLOG"; a long-text note is
// duplicated for it (the record keeps its own).
int SendLogAdd(const MessageRecord& record);

// ---- Changing and deleting ----
// A change is made under the record's lock, on the record as stored, so a
// list row read some time ago still names the right message; a record that
// no longer carries the entry's message number fails with 1015.

// Files the message into a folder and clears its not-viewed flag. A message
// deleted meanwhile counts as done.
int MsgMoveToFolder(MessageTable& handle, const MessageEntry& entry, int32_t folder);
int SendLogMoveToFolder(SendLogTable& handle, const SendLogEntry& entry, int32_t folder);
// Stores the record (the entry's message, changed by a view) with its
// change count raised, re-keyed in X1 so that the entry follows its flags.
// Its number and time must be the stored ones.
int MsgTouch(MessageTable& handle, const MessageEntry& entry, MessageRecord& record);
// Deletes the message, then for an e-mail its e-mail file, attachments and
// raw file, then its long-text note; attached notes and return-call logs
// stay. Already deleted: success.
int MsgDelete(MessageTable& handle, const MessageEntry& entry);
int SendLogDelete(SendLogTable& handle, const SendLogEntry& entry);

// ---- Reading ----

int MsgRead(MessageTable& handle, int32_t recordNumber, MessageRecord* record);
// Writes fields no index holds (notes, texts) in place. A record whose
// indexed fields differ from the stored ones is refused (a failed check
// and 1011): those changes go through MsgTouch or MsgMoveToFolder.
int MsgWrite(MessageTable& handle, int32_t recordNumber, const MessageRecord& record);
// The first message of a folder addressed to the name; 1017 with the name
// when there is none.
int MsgFindFirst(MessageTable& handle, int32_t folder, std::string_view name,
                 MessageEntry* entry = nullptr);
// The first message of a folder, whoever it is addressed to; 1017 with
// the folder number as the name when the folder holds none.
int MsgFindInFolder(MessageTable& handle, int32_t folder, MessageEntry* entry = nullptr);

// ---- Opening a received message ----

// Run when the recipient's view opens the message: a message that has a
// sender and no viewed time, and is not to "DPMAIL SERVER", gets the
// viewed time now and the user as viewer, and so does the sender's
// send-log copy; a message to the user loses its not-viewed and urgent
// flags. A change is stored with MsgTouch, and only then is the send-log
// copy updated (found by its key in the folder it was sent into, the
// in-box or the archive; a copy the sender deleted needs nothing). The
// record comes back as stored; *changed tells whether anything was. A
// send-log copy that cannot be updated fails the call after the message
// itself has been stored.
int MsgMarkViewed(MessageTable& handle, const MessageEntry& entry, MessageRecord* record,
                  bool* changed = nullptr);
// Only the viewed stamp (with the send-log copy), for a list that applies
// its marks to messages never opened.
int MsgStampViewed(MessageTable& handle, const MessageEntry& entry, MessageRecord* record,
                   bool* changed = nullptr);

// Run by the gateway once a message of its mailbox has gone out: the
// sender's send-log copy (found as a viewed message's is) gets the time as
// its viewed time and the mailbox (-3) as its viewer, which the send log's
// "&Sent" reports as the time it was sent. The mailbox's own message is left
// alone. A copy the sender did not keep, or deleted, needs nothing.
int MsgStampSent(const MessageRecord& record, int32_t when);

// ---- Lists ----

// What a message list asks for.
struct MessageCriteria {
  // Message list: 0 every folder, else the folder walked (1 new, 3
  // archive, a folder's number). Send log: the folder walked (0 = all).
  int32_t folder = 1;
  // Message list: whose messages; empty or beginning with '*' is everybody.
  std::string person = "*";
  // Message list: only messages stored by this name number (0 = anyone).
  // Send log: whose send log (0 = the user's).
  int32_t sender = 0;
  // Time range, both ends included; 0 leaves an end open.
  int32_t start = 0;
  int32_t end = 0;
  bool newestFirst = false;
  bool phone = true;
  bool memo = true;
  bool email = true;
  // Texts (see MessageTextMatches): From (an e-mail's sender address),
  // Company and Phone of a phone message, the text (an e-mail's subject or
  // body), and in a send log the To of each message.
  std::string fromText;
  std::string companyText;
  std::string phoneText;
  std::string text;
  std::string toText;
  bool exact = false;  // texts must match the whole field
};

// Fills the work table (99-byte rows: the X1 entry, then zeros) with the
// messages the criteria select, in time order, newest first when asked.
// The list filter, when given, sees each X1 entry and may hide it (0) or
// end the list (-1). The row count is left in work.scratch.
int MsgQuery(MessageTable& handle, const MessageCriteria& criteria, Table& work,
             const EntryFilter& listFilter = nullptr);
// Fills the work table (49-byte rows: the send-log X1 entries) with the
// send log's copies the criteria select.
int SendLogQuery(SendLogTable& handle, const MessageCriteria& criteria, Table& work,
                 const EntryFilter& listFilter = nullptr);

// The text rules of a search: a blank criterion matches everything;
// otherwise trailing blanks are dropped on both sides and the criterion
// must occur in the field, or with exact equal it, letter case aside.
bool MessageTextMatches(std::string_view criterion, std::string_view field, bool exact);

// What a live record of "MESSAGE" or "SENDLOG" holds that no message record
// can, one problem a field: a mark other than 0, a kind other than 'P', 'M'
// and 'E', a folder below 1 (1 is the in-box, 3 the archive, any other a
// folder's number), a message number outside 1 to lastIssued (the last
// number "MESSAGE" issued: a send-log copy keeps the number of the copy
// it was made of), flag bits other than 1, 2 and 4, an empty
// to, a note number below 0, a text field without its NUL inside its width
// (to, from and the body's fields of the record's kind), and for a phone
// message a tick box holding neither nothing nor "><". Whether a message
// number is used by one record only is the caller's to see across the
// table. Given the numbers of the notes that exist (those with a first record),
// a long-text note that is not among them is a problem too: the note is
// deleted only with its message, while an attached note or a return-call
// log may outlive its use. Empty for a record that could be as it is.
std::vector<FieldProblem> MessageRecordProblems(const MessageRecord& record, uint32_t lastIssued,
                                                const std::set<int32_t>* notes = nullptr);
