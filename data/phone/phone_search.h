// The phone list search: which entries of a list match the criteria of the
// search dialog, as rows of index entries in the user's work table.
//
// A criterion matches a field when it is blank; otherwise trailing blanks
// are dropped from both, and the field must contain the criterion (or,
// with exact, equal it), letter case aside. Categories ask that every
// category of the selection set is assigned to the entry.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>

#include "data/phone/dpphone.h"
#include "data/phone/phone_category.h"

struct PhoneCriteria {
  std::string listname;
  std::string id;
  std::string company;
  std::string street;  // Street 1 or Street 2
  std::string city;
  std::string state;
  std::string zip;
  std::string country;
  std::string contact;
  std::string phone;  // Phone 1, Phone 2, Fax or Cell / pager
  std::string email;  // E-mail or URL
  std::string misc;
  bool exact = false;
  CategorySet categories;
};

// (entry number, category number) of the assignments a search looks at.
using AssignmentPairs = std::set<std::pair<int32_t, int32_t>>;

// Whether any criterion besides List Name is set: then every record is
// read; otherwise the index entries alone decide.
bool PhoneCriteriaNeedRecords(const PhoneCriteria& criteria);
bool PhoneTextMatches(std::string_view criterion, std::string_view field, bool exact);
// The index-entry test: list, categories, List Name.
bool PhoneEntryMatches(const PhoneCriteria& criteria, const PhoneEntry& entry, int32_t list,
                       const AssignmentPairs& assigned);
// The record test: list, categories and every criterion.
bool PhoneRecordMatches(const PhoneCriteria& criteria, const PhoneRecord& record, int32_t list,
                        const AssignmentPairs& assigned);

// Copies into the work table (12-byte rows, "Wb<n>") every assignment whose
// category is in the set, and gives them back as pairs for the tests above.
// An empty set collects nothing.
int PhoneCollectAssignments(AssignmentTable& handle, const CategorySet& set, Table& work,
                            AssignmentPairs* assigned);
// Fills the work table (66-byte rows, "Wa<n>") with the index entries of
// the list's matching entries, in index order; the row count is left in
// results.scratch. keepGoing, when given, is asked before each entry; false
// (the progress box's Cancel) ends the search with the rows found so far.
int PhoneSearch(PhoneTable& handle, int32_t list, const PhoneCriteria& criteria,
                const AssignmentPairs& assigned, Table& results,
                const std::function<bool()>& keepGoing = nullptr);
