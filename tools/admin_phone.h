// What the phone list commands of dpadmin share.
#pragma once

#include <string>

#include "data/dpphone.h"

// Opens the data directory the way a workstation does (marker, version,
// the engine's error texts, no retry question); false after saying why.
bool OpenPhoneDirectory(const std::string& directory);
void ClosePhoneDirectory();
// LIST of the phone list commands: "COMMON" (any case) or a person's name.
// A group or an unknown name is refused with a message.
bool RequirePhoneList(const std::string& name, PhoneList* list);
// Says the current application error, after a prefix.
void ComplainAppError(const std::string& prefix);
