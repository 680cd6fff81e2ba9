// What the phone list commands of dpadmin share.
#pragma once

#include <string>

#include "data/phone/dpphone.h"

// LIST of the phone list commands: "COMMON" (any case) or a person's name.
// A group or an unknown name is refused with a message.
bool RequirePhoneList(const std::string& name, PhoneList* list);
