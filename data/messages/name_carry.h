// Carrying a person's new name into the message tables, which hold the
// name as text rather than as a name number: "MESSAGE" (to), "SENDLOG"
// (to) and "CC" (the other recipients' names). Each of those names is part
// of an index key, so every record is re-keyed under its own record lock.
//
// The from field is left as it was written: it is the caller's or
// sender's text at the time, and a sender's own copies are found by the
// sender number, which a rename does not touch.
#pragma once

#include <string_view>

// Gives every record that names oldName (in any letter case) the name
// newName. A record held by another workstation stops the carry: engine
// code 9 and application error 1012 naming the table and the record; what
// was carried stays carried, and a second run finds it under the new name
// and carries the rest. Other failures leave the engine's and application
// errors as they come.
int CarryNameInMessages(std::string_view oldName, std::string_view newName);
