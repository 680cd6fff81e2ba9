// dpname: the "NAME" table of everybody who sends or receives messages,
// the groups, and the pseudo-name "* - ALL".
//
// Names are bytes in the office's single-byte code page, at most 19 of them;
// a name is the same name in any letter case. Names beginning with '*' are
// groups. Every function answers 1 or 0 and leaves the application error
// (storage/errors.h) on 0: 1017 for a name or number that is not there,
// 1018 at the end of a walk, 1021 for a name that cannot be stored, engine
// failures as the installed reporter translates them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/field_problem.h"
#include "data/table_handle.h"
#include "storage/catalogue.h"
#include "storage/records/name.h"

// A name record as stored (the layout is in storage/records/name.h).
struct NameRecord {
  uint8_t bytes[records::name::kRecordSize] = {};
  std::string Name() const;
  int32_t Number() const;
  bool IsGroup() const;
};

// An entry of index X1: record number, name, name number.
struct NameEntry {
  uint8_t bytes[records::name::x1::kLength] = {};
  int32_t RecordNumber() const;
  std::string Name() const;
  int32_t Number() const;
};

struct NameTable : TableHandle {
  NameTable() : TableHandle(kNameTable) {}
};

constexpr int kMaxNameLength = records::name::kName.width - 1;  // 19

int NameOpen(NameTable& handle);
int NameClose(NameTable& handle);

// Exact search, without regard to case; positions the handle on the name.
int NameFind(NameTable& handle, std::string_view name, NameEntry* entry = nullptr);
// Walks the names from the first until one has the number.
int NameFindNumber(NameTable& handle, int32_t number, NameEntry* entry = nullptr);
// The record of the current entry. An entry whose record does not carry its
// name and number fails with 1015 (the index needs rebuilding).
int NameReadCurrent(NameTable& handle, NameRecord* record);
// Writes the record at the current entry. The record must be the one there
// (same name and number): changing a name goes through NameRename, which
// keeps the index in step; anything else fails with 1017.
int NameWriteCurrent(NameTable& handle, const NameRecord& record);
// Walk in name order (groups first). First and Next give 1018 at the end;
// Prev gives 1028 when it steps back past the first name.
int NameFirst(NameTable& handle, NameEntry* entry = nullptr);
int NameNext(NameTable& handle, NameEntry* entry = nullptr);
int NamePrev(NameTable& handle, NameEntry* entry = nullptr);

// Opens the table, finds the name, reads its record and closes.
int NameLookup(std::string_view name, NameRecord* record);
// Opens the table, finds the record's name, writes the record and closes.
// A record whose name now belongs to another number (removed and added
// again since it was read) is not written: 1017.
int NameUpdate(const NameRecord& record);

// Adds a person or (with a leading '*') a group, and positions the handle
// on it. A name that exists already in any letter case is left as it is
// and the add succeeds, even one that a new name could no longer be (an
// older office may hold it). A new name that NameProblem refuses fails
// with 1021; longer names are not cut, since two long names cut alike
// would silently become one.
int NameAdd(NameTable& handle, std::string_view name);
// Why a name cannot be given to a new or renamed person or group, as a
// sentence for the user; empty when it can. Refused: an empty name, more
// than 19 bytes, a first byte below '*' (a blank among them), a blank at
// the end (the name would differ from another only by it), a comma (a
// recipient list splits there), a control character, and "DPMAIL SERVER"
// in any letter case (the e-mail gateway's mailbox). Names already in the
// table stay readable and usable whatever this says.
std::string NameProblem(std::string_view name);
// Whether NameAdd takes the name as a new one (NameProblem has nothing to
// say), for checking every name of a request before any is added.
bool NameIsValid(std::string_view name);
// Renames, keeping record, number, settings and members; the handle is left
// on the new name. "* - ALL" on either side, an invalid new name, or a
// change between person and group (their records differ past byte 25):
// 1021. A new name taken by another record: 1027.
//
// A person's name goes with them: the messages to them, the send-log
// copies of messages sent to them and the CC lists naming them get the new
// name, and so does every person's default phone list that is theirs
// (data/messages/name_carry.h). The name record is renamed last. A record
// held by another workstation stops the rename with engine code 9 and
// application error 1012 naming the record; the person still has the old
// name and running the rename again finishes it. A group's name is held
// nowhere else (its messages are stored under each member's name), so
// renaming a group changes the name record alone.
int NameRename(NameTable& handle, std::string_view oldName, std::string_view newName);
// Deletes a person or a group. "* - ALL" and names that are not there
// succeed without change. A record held by another workstation fails with
// engine code 9 and application error 1012.
int NameRemove(NameTable& handle, std::string_view name);

// A group's members: the non-zero numbers of its 100 slots, in slot order.
std::vector<int32_t> GroupMembers(const NameRecord& group);
bool IsGroupMember(const NameRecord& group, int32_t number);
// Replaces the members (zeros and repeats dropped, free slots zeroed). More
// than 100 members: 1022 and the record is left unchanged.
int SetGroupMembers(NameRecord& group, const std::vector<int32_t>& members);

// What a live name record holds that no name record can, one problem a
// field: a name number outside 1 to lastIssued (the table header's last
// issued number; "COMMON" 0, the office schedule's -1 and the mail
// gateway's -3 are never records), a name that is empty or begins below
// '*', a text field without its NUL inside its width, a mark other than 0,
// and for a person a setting byte outside its values or a phone list owner
// number that was never issued; for a group a member number that was never
// issued. Whether a number is used by one record only is the caller's to
// see across the table. Empty for a record that could be as it is.
std::vector<FieldProblem> NameRecordProblems(const NameRecord& record, uint32_t lastIssued);
