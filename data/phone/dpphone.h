// dpphone: the "PHONE" table of phone list entries, the office-wide list
// "COMMON" (list number 0) and one personal list per person (the owner's
// name number).
//
// Within one list an entry is known by its Listname and Phone 1, letter
// case aside: the index refuses a second entry with the same pair. The
// entries of one list are contiguous in the index and sorted by Listname,
// so every walk below stays inside its list. Every function answers 1 or 0
// and leaves the application error on 0: 1017 for an entry that is not
// there, 1018 past the end of a list, 1028 before its start, 1027 for a
// duplicate, 1021 for a Listname that cannot be stored, 1012 for an entry
// another workstation holds, engine failures as the reporter translates.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/field_problem.h"
#include "data/table_handle.h"
#include "storage/catalogue.h"
#include "storage/records/phone.h"

// A phone list entry as stored (the layout is in storage/records/phone.h).
struct PhoneRecord {
  uint8_t bytes[records::phone::kRecordSize] = {};
  std::string Text(Field field) const;
  // Stores text cut to the field's width - 1 bytes.
  void SetText(Field field, std::string_view text);
  std::string Listname() const;
  std::string Phone1() const;
  int32_t Note() const;
  int32_t EntryNumber() const;
  int32_t List() const;
  uint16_t ChangeCount() const;
};

// An entry of X1: record number, Listname, Phone 1, entry number, list
// number, change count: what the list windows show without a record read.
struct PhoneEntry {
  uint8_t bytes[records::phone::x1::kLength] = {};
  int32_t RecordNumber() const;
  std::string Listname() const;
  std::string Phone1() const;
  int32_t EntryNumber() const;
  int32_t List() const;
  uint16_t ChangeCount() const;
};

struct PhoneTable : TableHandle {
  PhoneTable() : TableHandle(kPhoneTable) {}
};

constexpr int kMaxListnameLength = records::phone::kListname.width - 1;  // 29

// The list every operation of the windows works on: process-wide, "COMMON"
// (0) until a list is selected.
struct PhoneList {
  int32_t number = records::phone::kCommonList;
  std::string name = records::phone::kCommonListName;
};
const PhoneList& PhoneCurrentList();
void PhoneSetCurrentList(const PhoneList& list);
// The list a name stands for: blank, "COMMON" (any case) or a group (a name
// beginning with '*') is the common list; another name is that person's
// list, looked up in the name table (1017 when nobody has the name).
int PhoneListForName(std::string_view name, PhoneList* list);

int PhoneOpen(PhoneTable& handle);
int PhoneClose(PhoneTable& handle);

int PhoneRead(PhoneTable& handle, int32_t recordNumber, PhoneRecord* record);
// Rewrites the record in place, change count untouched: for a changed note
// number, which no index carries.
int PhoneWrite(PhoneTable& handle, int32_t recordNumber, const PhoneRecord& record);
// Appends the entry, first issuing its entry number when it has none. The
// handle is left on the new entry. An empty Listname, or one whose first
// byte is 255 (it would read as a deleted record): 1021; the same
// Listname and Phone 1 in the list: 1027.
int PhoneAdd(PhoneTable& handle, PhoneRecord& record, int32_t* recordNumber = nullptr);
// Saves an edited entry: the change count goes up by one and the index
// entry is replaced (old is the entry the record was read under). The
// record is updated with the new change count.
int PhoneUpdate(PhoneTable& handle, const PhoneEntry& old, PhoneRecord& record);
// Deletes the entry and then its note. An entry already deleted elsewhere
// counts as done. Category assignments stay: searches start from entries,
// so they do no harm.
int PhoneDelete(PhoneTable& handle, int32_t recordNumber);

// Exact search of (list, Listname, Phone 1), case aside. When there is no
// such entry the handle is still placed where it would be, stepped back
// once if that is in another list, so a list window can show the nearest
// entry; the answer is then 1017 with the Listname.
int PhoneFind(PhoneTable& handle, int32_t list, std::string_view listname, std::string_view phone1,
              PhoneEntry* entry = nullptr);
// Exact search of an index entry's key; 1017 when it is not there.
int PhoneFindKey(PhoneTable& handle, const PhoneEntry& key, PhoneEntry* entry = nullptr);
// Walk inside one list in index order: First and Next give 1018 when the
// list has no (more) entries, Prev gives 1028 before its first entry.
int PhoneFirstOfList(PhoneTable& handle, int32_t list, PhoneEntry* entry = nullptr);
int PhoneNextInList(PhoneTable& handle, int32_t list, PhoneEntry* entry = nullptr);
int PhonePrevInList(PhoneTable& handle, int32_t list, PhoneEntry* entry = nullptr);

// Copies an entry to another list with a new entry number and its own copy
// of the note; category assignments are not copied. When the target list
// has the same Listname and Phone 1 already: without overwrite 1027; with
// overwrite that entry keeps its record number and takes the copy's
// content (its old note is deleted, its change count goes up), or 1012
// while another workstation holds it. Copying an entry onto itself
// changes nothing. The handle is put back where it was.
int PhoneCopyToList(PhoneTable& handle, int32_t recordNumber, int32_t targetList, bool overwrite);

// What a live phone list entry holds that no entry can, one problem a
// field: an empty Listname, a text field without its NUL inside its width,
// a note number below 0, an entry number outside 1 to lastIssued (the
// table header's last issued number), and a list number that is neither 0
// (COMMON) nor a number the name table issued (1 to nameLastIssued; a
// removed person's list stays under their number). Whether an entry number
// is used by one record only is the caller's to see across the table.
std::vector<FieldProblem> PhoneRecordProblems(const PhoneRecord& record, uint32_t lastIssued,
                                              uint32_t nameLastIssued);
