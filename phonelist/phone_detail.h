// The phone list window's detail pane: the selected entry as a few lines of
// read-only text.
#pragma once

#include <string>

#include "data/phone/dpphone.h"

// Each part on a line of its own, left out when blank: the Listname;
// Company and ID (tab between); Street 1; Street 2; "City State ZIP
// Country"; an empty line; Contact; "Ph 1:\t<phone> <ext>", "Ph 2:\t...",
// "Fax:\t...", "Cell:\t..."; an empty line; URL; E-mail; an empty line;
// then the lines of Misc info. Single-byte text, lines ending "\n".
std::string PhoneDetailText(const PhoneRecord& record);

constexpr const char* kDetailReadError = "Error reading record.";
