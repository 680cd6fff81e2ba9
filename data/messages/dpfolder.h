// dpfolder: the "FOLDER" table of the folders messages are filed into.
//
// A folder belongs to one person (its owner's name number) or, with owner
// 0, to everybody; (owner, name) is unique without regard to case, so a
// personal folder may share a common folder's name. A message's folder
// field holds the folder's number. Every function answers 1 or 0 and
// leaves the application error on 0: 1017 for a folder that is not there,
// 1018 at the end of a walk, engine failures as the reporter translates.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/field_problem.h"
#include "data/table_handle.h"
#include "storage/catalogue.h"
#include "storage/records/folder.h"

struct FolderRecord {
  uint8_t bytes[records::folder::kRecordSize] = {};
  std::string Name() const;
  int32_t Owner() const;
  int32_t Number() const;
};

// A record with a name (cut to 30 bytes) and an owner, number 0.
FolderRecord MakeFolderRecord(std::string_view name, int32_t owner);

// An entry of X1: record number, owner, name, folder number.
struct FolderEntry {
  uint8_t bytes[records::folder::x1::kLength] = {};
  int32_t RecordNumber() const;
  int32_t Owner() const;
  std::string Name() const;
  int32_t Number() const;
};

struct FolderTable : TableHandle {
  FolderTable() : TableHandle(kFolderTable) {}
};

constexpr int kMaxFolderNameLength = records::folder::kName.width - 1;  // 30

int FolderOpen(FolderTable& handle);
int FolderClose(FolderTable& handle);

// Gives the record a new folder number and appends it; the handle is left
// on it. The numbers 1 and 3 (the in-box and the archive of every message)
// and 0 are never given to a folder. An empty name or one beginning with
// byte 255 (which would read as a deleted record): 1021; a name the owner
// has already in any case: 1027. The name field is always NUL-terminated
// at its last byte.
int FolderAdd(FolderTable& handle, FolderRecord& record);
// Exact search of (owner, name) without regard to case.
int FolderFind(FolderTable& handle, int32_t owner, std::string_view name,
               FolderEntry* entry = nullptr);
// Finds the folder by number and reads it; the handle is left on it.
int FolderFindNumber(FolderTable& handle, int32_t number, FolderRecord* record);
// The record of the current entry; at the end 1018.
int FolderReadCurrent(FolderTable& handle, FolderRecord* record);
// Walk in (owner, name) order. First and Next give 1018 at the end; Prev
// gives 1028 when it steps back past the first folder.
int FolderFirst(FolderTable& handle, FolderEntry* entry = nullptr);
int FolderNext(FolderTable& handle, FolderEntry* entry = nullptr);
int FolderPrev(FolderTable& handle, FolderEntry* entry = nullptr);
// Finds (owner, old name) and re-keys it with the new record's name and
// owner; the folder keeps its number whatever the new record says, since
// messages refer to it by number. Names as for FolderAdd; a name taken by
// another folder of that owner: 1027.
int FolderRename(FolderTable& handle, int32_t owner, std::string_view oldName,
                 const FolderRecord& newRecord);
// Deletes the folder when it exists; success when it does not. A record
// held by another workstation fails with engine code 9 and 1012.
int FolderDelete(FolderTable& handle, int32_t owner, std::string_view name);
// Whether the person (a name number) has a folder of that number: the
// in-box and the archive, a folder of their own or a common one. A number
// that names no such folder: 1017 with the number as the name.
int FolderOfPerson(FolderTable& handle, int32_t person, int32_t number);

// What a live folder record holds that no folder can, one problem a field:
// a name without its NUL inside its width, an owner that is neither 0
// (common) nor a number the name table issued (1 to nameLastIssued), and a
// folder number outside 1 to lastIssued (the table header's last issued
// number). Whether a folder number is used by one record only is the
// caller's to see across the table.
std::vector<FieldProblem> FolderRecordProblems(const FolderRecord& record, uint32_t lastIssued,
                                               uint32_t nameLastIssued);
