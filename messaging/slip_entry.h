// A phone list entry taken from the quick list into a phone message slip:
// the Take window's TAKEMESSAGE and the phone message view's VMESSAGE name
// their caller, company, phone, extension and text fields with the same
// control ids, so both take an entry the same way.
#pragma once

#include "data/phone/dpphone.h"

class QLineEdit;
class QWidget;

namespace slip {
constexpr int kIdFrom = 139;
constexpr int kIdCompany = 140;
constexpr int kIdPhone = 142;
constexpr int kIdExt = 104;
constexpr int kIdText = 151;
}  // namespace slip

// Phone and Ext get the entry's number and extension (asking "Overwrite
// phone number?" when Phone already holds one); opened from the caller's
// field, the caller gets the entry's list name (its first 20 characters)
// and Company the entry's company, otherwise Company gets the list name.
// The focus then goes to the message text.
void TakeEntryIntoSlip(QWidget* form, const PhoneRecord& entry, QLineEdit* openedFrom);
