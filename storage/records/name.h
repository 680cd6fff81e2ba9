// The "NAME" table: everybody who sends or receives messages, the groups,
// and each person's own settings.
//
// Table header (512 bytes):
//
//   offset width content
//   0      4     last name number issued
//   4      1     table version (1)
//   5      21    master password (at most 19 characters)
//   26     21    phone password (at most 19 characters)
//   72     1     1 once the master or phone password has been written
//
// Name record (512 bytes; the last byte is the record's lock byte), common
// part:
//
//   offset width field
//   0      1     mark: 0 (255 deleted)
//   1      20    name, at most 19 characters; groups begin with '*'
//   21     4     name number, never reused
//
// A group continues with:
//   25     400   members: 100 name numbers of 4 bytes, 0 = free slot
//
// A person continues with the settings:
//   25     20    user password (at most 19 characters, so its NUL is at 44
//                at the latest; the initials begin at 45)
//   45     4     initials written into "By" of phone messages
//   49     1     default message type: 0 phone, 1 memo, 2 e-mail
//   51     1     message list order: 0 old to new, 1 new to old
//   52     1     alert sound repeat (0 to 6)
//   53     1     notify: 0 on, 1 off
//   57     1     2 for every person added by this system
//   79     1     modem port: 0 to 3 for ports 1 to 4
//   80     21    modem prefix ("ATDT" for a new person)
//   101    21    modem suffix
//   122    1     send log: 1 keeps a copy of every sent message
//   124    1     "FROM search"
//   125    21    default phone list owner's name ("COMMON")
//   146    4     default phone list owner's number (0 for "COMMON")
//   150    1     "All Caps"
//   151    1     long-distance "1": 0 add 1 when dialling, 1 do not
//   152    1     default e-mail signature: 0, 1 or 2
//   153    4     note number of the signatures (0 = none)
//   157    100   "Email from" address
//   257    1     "Auto format E-mails"
//   258    4     default folder number (0 = none)
//   262    1     protected areas: 1 messages, 2 phone list, 4 scheduler,
//                8 to-do list, 16 the user-password dialog
// All other bytes are zero in a record made by this system.
#pragma once

#include "storage/records/field.h"

namespace records::name {

constexpr int kRecordSize = 512;
constexpr int kHeaderSize = 512;

// Header.
constexpr Field kMasterPassword{5, 21};
constexpr Field kPhonePassword{26, 21};
constexpr Field kPasswordsWritten{72, 1};

constexpr Field kMark{0, 1};
constexpr Field kName{1, 20};
constexpr Field kNumber{21, 4};

// Group.
constexpr Field kMembers{25, 400};
constexpr int kMaxMembers = 100;
constexpr Field Member(int i) {
  return Field{kMembers.offset + 4 * i, 4};
}
static_assert(kMembers.width == 4 * kMaxMembers);

// Person.
constexpr Field kPassword{25, 20};
constexpr Field kInitials{45, 4};
constexpr Field kDefaultKind{49, 1};
constexpr Field kListOrder{51, 1};
constexpr Field kSoundRepeat{52, 1};
constexpr Field kNotify{53, 1};
constexpr Field kAddedHere{57, 1};
constexpr Field kModemPort{79, 1};
constexpr Field kModemPrefix{80, 21};
constexpr Field kModemSuffix{101, 21};
constexpr Field kSendLog{122, 1};
constexpr Field kFromSearch{124, 1};
constexpr Field kPhoneListName{125, 21};
constexpr Field kPhoneListNumber{146, 4};
constexpr Field kAllCaps{150, 1};
constexpr Field kNoLongDistanceOne{151, 1};
constexpr Field kSignature{152, 1};
constexpr Field kSignatureNote{153, 4};
constexpr Field kEmailFrom{157, 100};
constexpr Field kAutoFormat{257, 1};
constexpr Field kDefaultFolder{258, 4};
constexpr Field kProtectedAreas{262, 1};
static_assert(kProtectedAreas.End() < kRecordSize);
static_assert(kPassword.End() == kInitials.offset);

constexpr uint8_t kAddedHereValue = 2;
constexpr char kGroupPrefix = '*';
constexpr const char* kEverybody = "* - ALL";
// The e-mail gateway's mailbox: mail to the Internet is delivered to this
// name number, and the gateway program empties it. No record carries it.
constexpr const char* kMailServer = "DPMAIL SERVER";
constexpr int32_t kMailServerNumber = -3;

// "NAME" index X1 (28 bytes): ordered by name alone, without regard to case,
// so a name is unique in any letter case and groups ('*') come before
// letters.
//
//   offset width content
//   0      4     record number
//   4      20    name
//   24     4     name number
namespace x1 {
constexpr int kLength = 28;
constexpr Field kName{4, 20};
constexpr Field kNumber{24, 4};
static_assert(kNumber.End() == kLength);
}  // namespace x1

}  // namespace records::name
