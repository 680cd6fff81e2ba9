// The "PHONE" table: the entries of every phone list, the office-wide list
// (list number 0, "COMMON") and one personal list per person (the owner's
// name number).
//
// Phone list entry (1024 bytes; header 512 bytes):
//
//   offset width field
//   0      30    Listname (required; its first byte doubles as the mark)
//   30     41    Company
//   71     46    Street 1
//   117    46    Street 2
//   163    25    City
//   188    3     State
//   191    17    ZIP
//   208    17    Country
//   225    45    Contact
//   270    21    Phone 1
//   291    11    Ext 1
//   302    21    Phone 2
//   323    11    Ext 2
//   334    21    Fax
//   355    21    Cell / pager
//   376    46    URL
//   422    46    E-mail address
//   468    16    ID
//   484    157   Misc info (several lines)
//   641    220   unused, zero
//   861    4     note number (0 = none)
//   865    4     entry number, unique in "PHONE"; names the entry in
//                category assignments
//   869    4     list number
//   873    2     change count, raised at every edit-and-save
//   875    149   unused, zero; the last byte is the lock byte
#pragma once

#include "storage/records/field.h"

namespace records::phone {

constexpr int kRecordSize = 1024;
constexpr int kHeaderSize = 512;

constexpr Field kListname{0, 30};
constexpr Field kCompany{30, 41};
constexpr Field kStreet1{71, 46};
constexpr Field kStreet2{117, 46};
constexpr Field kCity{163, 25};
constexpr Field kState{188, 3};
constexpr Field kZip{191, 17};
constexpr Field kCountry{208, 17};
constexpr Field kContact{225, 45};
constexpr Field kPhone1{270, 21};
constexpr Field kExt1{291, 11};
constexpr Field kPhone2{302, 21};
constexpr Field kExt2{323, 11};
constexpr Field kFax{334, 21};
constexpr Field kCell{355, 21};
constexpr Field kUrl{376, 46};
constexpr Field kEmail{422, 46};
constexpr Field kId{468, 16};
constexpr Field kMisc{484, 157};
constexpr Field kNote{861, 4};
constexpr Field kEntryNumber{865, 4};
constexpr Field kList{869, 4};
constexpr Field kChangeCount{873, 2};
static_assert(kMisc.End() == 641);
static_assert(kChangeCount.End() < kRecordSize);

constexpr int32_t kCommonList = 0;
constexpr const char* kCommonListName = "COMMON";

// "PHONE" index X1 (66 bytes): ordered by list number (signed), then
// Listname, then Phone 1, both without regard to case. Within one list,
// Listname plus Phone 1 is unique.
//
//   offset width content
//   0      4     record number
//   4      30    Listname
//   34     21    Phone 1
//   55     4     entry number
//   59     4     list number
//   63     1     zero
//   64     2     change count
namespace x1 {
constexpr int kLength = 66;
constexpr Field kListname{4, 30};
constexpr Field kPhone1{34, 21};
constexpr Field kEntryNumber{55, 4};
constexpr Field kList{59, 4};
constexpr Field kSpare{63, 1};
constexpr Field kChangeCount{64, 2};
static_assert(kChangeCount.End() == kLength);
}  // namespace x1

}  // namespace records::phone
