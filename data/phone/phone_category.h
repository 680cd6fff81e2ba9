// Phone list categories ("CAT") and their assignments to entries ("LC").
//
// Each list defines its own categories; (list, name) is unique letter case
// aside. An entry belongs to a category through an assignment record
// {0, entry number, category number}. The category selection set is what
// the category dialogs, the search and the reports share: the categories
// ticked for one entry, or those a search asks for. Functions answer 1 or 0
// with the application error on 0 as in dpphone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/field_problem.h"
#include "data/table_handle.h"
#include "storage/catalogue.h"
#include "storage/records/cat.h"
#include "storage/records/lc.h"

struct CategoryRecord {
  uint8_t bytes[records::cat::kRecordSize] = {};
  std::string Name() const;
  int32_t Number() const;
  int32_t List() const;
};

// An entry of "CAT" X1: record number, list, name, category number.
struct CategoryEntry {
  uint8_t bytes[records::cat::x1::kLength] = {};
  int32_t RecordNumber() const;
  int32_t List() const;
  std::string Name() const;
  int32_t Number() const;
};

struct CategoryTable : TableHandle {
  CategoryTable() : TableHandle(kCatTable) {}
};
struct AssignmentTable : TableHandle {
  AssignmentTable() : TableHandle(kLcTable) {}
};

constexpr int kMaxCategoryNameLength = records::cat::kName.width - 1;  // 20

// 256 slots of category numbers, 0 marking a free slot. The last slot is
// never filled, so a set holds at most 255 categories: the 256th choice of
// an entry is refused, and loading an entry reads 255 assignments at most.
class CategorySet {
 public:
  static constexpr int kSlots = records::cat::kSelectionSize;
  static constexpr int kCapacity = kSlots - 1;

  void Clear();
  bool Empty() const;
  int Count() const;
  bool Contains(int32_t category) const;
  // Puts the category into the first free slot; false when the set is full
  // (or the number is 0, which marks free slots).
  bool Add(int32_t category);
  void Remove(int32_t category);
  int32_t Slot(int i) const { return slots_[i]; }

 private:
  int32_t slots_[kSlots] = {};
};

int CategoryOpen(CategoryTable& handle);
int CategoryClose(CategoryTable& handle);
int AssignmentOpen(AssignmentTable& handle);
int AssignmentClose(AssignmentTable& handle);

// Adds a category with a new number to the list. A blank name (after
// trailing blanks) or one longer than 20 characters: 1021; a name the list
// has already, letter case aside: 1027.
int CategoryAdd(CategoryTable& handle, int32_t list, std::string_view name,
                CategoryRecord* added = nullptr);
// Exact search of (list, name), case aside.
int CategoryFind(CategoryTable& handle, int32_t list, std::string_view name,
                 CategoryEntry* entry = nullptr);
// The first category of the list whose name starts with the text, case
// aside (the dialogs' "Search:" field); 1017 when none does.
int CategoryFindPrefix(CategoryTable& handle, int32_t list, std::string_view prefix,
                       CategoryEntry* entry = nullptr);
// Renames a category, keeping its number and list; a name the list has for
// another category: 1027.
int CategoryRename(CategoryTable& handle, int32_t list, std::string_view oldName,
                   std::string_view newName);
// Deletes the category; its assignments stay (they harm no search).
int CategoryDelete(CategoryTable& handle, int32_t list, std::string_view name);
// Walk over one list's categories in name order; 1018 at the end.
int CategoryFirstOfList(CategoryTable& handle, int32_t list, CategoryEntry* entry);
int CategoryNextInList(CategoryTable& handle, int32_t list, CategoryEntry* entry);

// Empties the set and fills it with the categories assigned to the entry,
// in index order, 255 at most.
int CategoryLoadSet(AssignmentTable& handle, int32_t entryNumber, CategorySet* set);
// Whether the entry is assigned to the category.
int CategoryAssigned(AssignmentTable& handle, int32_t entryNumber, int32_t category,
                     bool* assigned);
// The categories dialog's choice of a row: a category in the set leaves it
// and its assignment is deleted; another one joins the set and an
// assignment is appended. A full set refuses the new category with 1022
// and writes nothing.
int CategoryToggle(AssignmentTable& handle, int32_t entryNumber, int32_t category,
                   CategorySet* set);

// The values a category's and an assignment's fields can hold, for dpadmin
// check. An assignment may name a category or an entry that has since been
// deleted (deleting either leaves its assignments), so only numbers never
// issued are impossible.
std::vector<FieldProblem> CategoryRecordProblems(const CategoryRecord& record, uint32_t lastIssued,
                                                 uint32_t nameLastIssued);
std::vector<FieldProblem> AssignmentRecordProblems(const uint8_t (&record)[records::lc::kRecordSize],
                                                   uint32_t phoneLastIssued,
                                                   uint32_t categoryLastIssued);
