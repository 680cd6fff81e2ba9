// "Add to PhoneList" of a phone message: the caller's company, name, phone
// and extension become an entry of the current list.
#pragma once

#include <cstdint>
#include <string_view>

#include "data/messages/dpmess.h"
#include "data/phone/dpphone.h"

// What the user is told.
constexpr const char* kQuickAddExists = "Entry already exists.";
constexpr const char* kQuickAddDone = "Entry added.";
constexpr const char* kQuickAddFailed = "Error adding entry.";

enum class QuickAdd {
  kNothing,  // company, From and phone all blank: nothing to add
  kExists,   // the list has that Listname and phone already
  kAdded,
};

// Listname is the company, or From when the company is blank; Company,
// Contact (From), Phone 1 and Ext 1 are filled in, the list is the given
// one. 0 when the add fails (error left as PhoneAdd leaves it).
int PhoneQuickAdd(PhoneTable& handle, int32_t list, std::string_view company, std::string_view from,
                  std::string_view phone, std::string_view extension, QuickAdd* result);
// The same from a phone message record.
int PhoneQuickAddMessage(PhoneTable& handle, int32_t list, const MessageRecord& message,
                         QuickAdd* result);
