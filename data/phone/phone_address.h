// The postal address of a phone list entry as text for the clipboard, and
// the capitalisation it gets on the way.
#pragma once

#include <string>
#include <string_view>

#include "data/phone/dpphone.h"

constexpr size_t kMaxAddressText = 255;

// A text without any lower-case letter is given each word capitalised
// (first letter upper, the rest lower; words are separated by blanks); a
// text with a lower-case letter is returned as typed. Letters are those of
// the office's single-byte code page.
std::string CapitaliseCapitals(std::string_view text);

// Contact, Company, Street 1 and Street 2 on lines of their own (trailing
// blanks trimmed, blank ones left out), then "City State ZIP", each line
// ending "\r\n", at most 255 characters. State and ZIP are never changed.
std::string PhoneAddressText(const PhoneRecord& record);
