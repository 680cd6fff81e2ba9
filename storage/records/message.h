// The message record, shared by "MESSAGE" and "SENDLOG", their index
// entries, and the rows the message list windows keep in work tables.
//
// Message record (512 bytes; the last byte is the record's lock byte):
//
//   offset width field
//   0      1     mark: 0 in a live record, 255 deleted
//   1      1     kind: 'P' phone message, 'M' memo, 'E' e-mail
//   2      4     folder: 1 new (in-box), 3 archive, else a folder number
//   6      4     message number (unique number of "MESSAGE")
//   10     1     flags: 1 CC list attached, 2 not yet viewed, 4 urgent
//   11     21    to: recipient's name
//   32     21    from: caller or sender as written
//   53     4     time taken or sent
//   57     4     sender number: name number of the user who stored it
//   61     4     viewed time (0 = not yet)
//   65     4     viewer number
//   69     4     log note: note number of the return-call log (0 = none)
//   73     4     attached note (0 = none)
//   77     4     long-text note (0 = none)
//   81     417   body, by kind (below)
//   498    2     change count, raised when the recipient's view updates it
//   500    11    unused, zero
//   511    1     lock byte
//
// Body of a phone message ('P'):
//   81 company (30), 111 phone (21), 132 extension (11), 143 text (261),
//   404 by: initials of the taker (4), 408 "Rush", 411 "Call back",
//   414 "Returned call", 417 "Will call" (3 each: "><" when ticked).
// Body of a memo ('M'): 81 text (417).
// Body of an e-mail ('E'): 81 sender address (128), 209 subject (128),
//   337 stem of the raw e-mail file ("" for none).
#pragma once

#include "storage/records/field.h"

namespace records::message {

constexpr int kRecordSize = 512;
constexpr int kHeaderSize = 512;

constexpr Field kMark{0, 1};
constexpr Field kKind{1, 1};
constexpr Field kFolder{2, 4};
constexpr Field kNumber{6, 4};
constexpr Field kFlags{10, 1};
constexpr Field kTo{11, 21};
constexpr Field kFrom{32, 21};
constexpr Field kTime{53, 4};
constexpr Field kSender{57, 4};
constexpr Field kViewedTime{61, 4};
constexpr Field kViewer{65, 4};
constexpr Field kLogNote{69, 4};
constexpr Field kAttachedNote{73, 4};
constexpr Field kLongTextNote{77, 4};
constexpr Field kBody{81, 417};
constexpr Field kChangeCount{498, 2};

// Phone message body.
constexpr Field kCompany{81, 30};
constexpr Field kPhone{111, 21};
constexpr Field kExtension{132, 11};
constexpr Field kPhoneText{143, 261};
constexpr Field kBy{404, 4};
constexpr Field kRush{408, 3};
constexpr Field kCallBack{411, 3};
constexpr Field kReturnedCall{414, 3};
constexpr Field kWillCall{417, 3};
constexpr const char* kTicked = "><";
// Memo body.
constexpr Field kMemoText{81, 417};
// E-mail body. The raw-file stem is a short NUL-terminated name; the field
// runs to the end of the body area.
constexpr Field kSenderAddress{81, 128};
constexpr Field kSubject{209, 128};
constexpr Field kRawStem{337, 161};

constexpr uint8_t kKindPhone = 'P';
constexpr uint8_t kKindMemo = 'M';
constexpr uint8_t kKindEmail = 'E';

constexpr uint8_t kFlagCcList = 1;
constexpr uint8_t kFlagNotViewed = 2;
constexpr uint8_t kFlagUrgent = 4;

constexpr int32_t kFolderNew = 1;
constexpr int32_t kFolderArchive = 3;

static_assert(kWillCall.End() <= kBody.End());
static_assert(kRawStem.End() == kBody.End());
static_assert(kBody.End() == kChangeCount.offset);
static_assert(kChangeCount.End() < kRecordSize);

// "MESSAGE" index X1 (62 bytes): ordered by folder (signed), then to without
// regard to case, then time, then message number. It carries kind, flags,
// from and the change count so that a list is drawn from entries alone.
//
//   offset width content
//   0      4     record number
//   4      4     folder
//   8      1     kind
//   9      1     flags
//   10     21    to
//   31     21    from
//   52     4     time
//   56     4     message number
//   60     2     change count
namespace x1 {
constexpr int kLength = 62;
constexpr Field kFolder{4, 4};
constexpr Field kKind{8, 1};
constexpr Field kFlags{9, 1};
constexpr Field kTo{10, 21};
constexpr Field kFrom{31, 21};
constexpr Field kTime{52, 4};
constexpr Field kNumber{56, 4};
constexpr Field kChangeCount{60, 2};
static_assert(kChangeCount.End() == kLength);
}  // namespace x1

// "MESSAGE" index X2 (12 bytes): ordered by time, then message number.
//
//   offset width content
//   0      4     record number
//   4      4     message number
//   8      4     time
namespace x2 {
constexpr int kLength = 12;
constexpr Field kNumber{4, 4};
constexpr Field kTime{8, 4};
static_assert(kTime.End() == kLength);
}  // namespace x2

// A row of a message list work table (99 bytes): the message's X1 entry and
// what the list window plans to do with it. A query writes bytes 62-98 as
// zero; the list window fills them.
//
//   offset width content
//   0      62    X1 entry of the message
//   62     31    name of the target folder
//   93     4     number of the target folder
//   97     1     tag mark
//   98     1     pending action: 'D' delete, 'A' archive, 'P' put into the
//                target folder, 0 none
namespace list_row {
constexpr int kLength = 99;
constexpr Field kEntry{0, x1::kLength};
constexpr Field kTargetName{62, 31};
constexpr Field kTargetNumber{93, 4};
constexpr Field kTag{97, 1};
constexpr Field kAction{98, 1};
constexpr uint8_t kActionDelete = 'D';
constexpr uint8_t kActionArchive = 'A';
constexpr uint8_t kActionPut = 'P';
static_assert(kAction.End() == kLength);
}  // namespace list_row

}  // namespace records::message

// "SENDLOG" holds copies of sent messages in the message record layout
// above, in a table of its own with its own numbers.
namespace records::sendlog {

constexpr int kRecordSize = records::message::kRecordSize;
constexpr int kHeaderSize = 512;

// "SENDLOG" index X1 (49 bytes): ordered by folder (signed), sender number,
// time, message number. The send-log list shows these entries as its rows
// (work table rows of 49 bytes).
//
//   offset width content
//   0      4     record number
//   4      4     folder
//   8      4     sender number
//   12     4     time
//   16     4     message number
//   20     21    to
//   41     4     viewed time
//   45     1     kind
//   46     1     flags
//   47     2     zero
//
// In a send-log list row the two zero bytes hold the list's tag mark (47)
// and its pending action (48, as for the message list).
namespace x1 {
constexpr int kLength = 49;
constexpr Field kFolder{4, 4};
constexpr Field kSender{8, 4};
constexpr Field kTime{12, 4};
constexpr Field kNumber{16, 4};
constexpr Field kTo{20, 21};
constexpr Field kViewedTime{41, 4};
constexpr Field kKind{45, 1};
constexpr Field kFlags{46, 1};
static_assert(kFlags.End() + 2 == kLength);
constexpr Field kRowTag{47, 1};
constexpr Field kRowAction{48, 1};
static_assert(kRowAction.End() == kLength);
}  // namespace x1

// A row of the send-log list work table is the X1 entry itself.
constexpr int kListRowLength = x1::kLength;

}  // namespace records::sendlog
