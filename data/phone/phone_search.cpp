#include "data/phone/phone_search.h"

#include <cstring>

#include "data/messages/dpmess.h"
#include "data/office/datadir.h"
#include "storage/errors.h"
#include "storage/worktable.h"

namespace ph = records::phone;
namespace lc = records::lc;

namespace {

bool CategoriesAssigned(const CategorySet& set, int32_t entryNumber,
                        const AssignmentPairs& assigned) {
  for (int i = 0; i < CategorySet::kSlots; ++i) {
    int32_t category = set.Slot(i);
    if (category != 0 && !assigned.count({entryNumber, category})) return false;
  }
  return true;
}

}  // namespace

bool PhoneCriteriaNeedRecords(const PhoneCriteria& c) {
  for (const std::string* s : {&c.id, &c.company, &c.street, &c.city, &c.state, &c.zip, &c.country,
                               &c.contact, &c.phone, &c.email, &c.misc}) {
    if (!PhoneTextMatches(*s, "", false)) return true;
  }
  return false;
}

bool PhoneTextMatches(std::string_view criterion, std::string_view field, bool exact) {
  // The same rule as the message search's.
  return MessageTextMatches(criterion, field, exact);
}

bool PhoneEntryMatches(const PhoneCriteria& c, const PhoneEntry& entry, int32_t list,
                       const AssignmentPairs& assigned) {
  return entry.List() == list && CategoriesAssigned(c.categories, entry.EntryNumber(), assigned) &&
         PhoneTextMatches(c.listname, entry.Listname(), c.exact);
}

bool PhoneRecordMatches(const PhoneCriteria& c, const PhoneRecord& r, int32_t list,
                        const AssignmentPairs& assigned) {
  auto match = [&](const std::string& criterion, Field field) {
    return PhoneTextMatches(criterion, r.Text(field), c.exact);
  };
  return r.List() == list && CategoriesAssigned(c.categories, r.EntryNumber(), assigned) &&
         match(c.listname, ph::kListname) && match(c.id, ph::kId) &&
         match(c.company, ph::kCompany) && match(c.city, ph::kCity) && match(c.state, ph::kState) &&
         match(c.zip, ph::kZip) && match(c.country, ph::kCountry) &&
         (match(c.street, ph::kStreet1) || match(c.street, ph::kStreet2)) &&
         match(c.contact, ph::kContact) &&
         (match(c.phone, ph::kPhone1) || match(c.phone, ph::kPhone2) || match(c.phone, ph::kFax) ||
          match(c.phone, ph::kCell)) &&
         (match(c.email, ph::kEmail) || match(c.email, ph::kUrl)) && match(c.misc, ph::kMisc);
}

int PhoneCollectAssignments(AssignmentTable& handle, const CategorySet& set, Table& work,
                            AssignmentPairs* assigned) {
  assigned->clear();
  if (set.Empty()) return 1;
  if (!HandleReady(handle)) return 0;
  if (!DbSetCurrentIndex(handle.table, 0)) return 0;
  EntryFilter filter = [&](const uint8_t* entry) {
    int32_t category = FieldI32(entry, lc::x1::kCategory);
    if (!set.Contains(category)) return 0;
    assigned->insert({FieldI32(entry, lc::x1::kEntryNumber), category});
    return 1;
  };
  return DbQuery(handle.table, work, DataDirectory(), filter, nullptr, false, false, false);
}

int PhoneSearch(PhoneTable& handle, int32_t list, const PhoneCriteria& criteria,
                const AssignmentPairs& assigned, Table& results,
                const std::function<bool()>& keepGoing) {
  if (!HandleReady(handle)) return 0;
  Table& table = handle.table;
  const bool onRecords = PhoneCriteriaNeedRecords(criteria);
  // The list's entries are contiguous: start at its first, stop at the
  // first entry of another list.
  if (!DbSetCurrentIndex(table, 0)) return 0;
  uint8_t key[kEntryBufferSize] = {};
  SetFieldI32(key, ph::x1::kList, list);
  int exact = 0;
  if (!DbFind(table, key, &exact)) return 0;
  bool failed = false;
  EntryFilter filter = [&](const uint8_t* bytes) {
    if (keepGoing && !keepGoing()) return -1;
    PhoneEntry entry;
    std::memcpy(entry.bytes, bytes, sizeof entry.bytes);
    if (entry.List() != list) return -1;
    if (!PhoneEntryMatches(criteria, entry, list, assigned)) return 0;
    if (!onRecords) return 1;
    PhoneRecord record;
    if (!DbReadRecord(table, entry.RecordNumber(), record.bytes)) {
      // Deleted by another workstation since the step to its entry.
      if (DbGetError() == kDbRecordDeleted) {
        DbClearError();
        ClearAppError();
        return 0;
      }
      failed = true;
      return -1;
    }
    return PhoneRecordMatches(criteria, record, list, assigned) ? 1 : 0;
  };
  int ok = DbQuery(table, results, DataDirectory(), filter, nullptr, true, false, false);
  return ok && !failed ? 1 : 0;
}
