// E-mail addresses: the recipient lists of the To and CC fields, the split
// of a "Name <address>" text, and the From an e-mail gets by default.
//
// A recipient list is at most 255 characters of items separated by commas;
// a comma inside double quotes does not separate, and the blanks that lead
// an item are skipped. An item is a local name when it is shorter than 20
// characters, does not begin with '*' and is in the name table (it then
// stands for the name as stored), or an Internet address when it has at
// least 3 characters and exactly one '@', neither first nor last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr size_t kMaxRecipientList = 255;

// One item of a recipient list: where it stands in the list and its text.
struct RecipientItem {
  size_t offset = 0;
  std::string text;
};

// The items of a list (cut to 255 characters), empty items left out.
std::vector<RecipientItem> RecipientItems(std::string_view list);

bool IsInternetAddress(std::string_view item);

struct Recipient {
  std::string text;  // a local name as the name table spells it, or the address
  bool local = false;
  int32_t number = 0;  // the local name's number
};

// Resolves every item of a list in order. An item that is neither a local
// name nor an Internet address fails with 1021 ("Invalid name") and the
// item; a name-table failure fails with its own error. *normalized, when
// given, is the list with each local name spelled as stored.
int ResolveRecipients(std::string_view list, std::vector<Recipient>* recipients,
                      std::string* normalized = nullptr);

// Splits a text such as "Ann Smith <ann@example.com>" into a display name
// and an address, each cut to width - 1 characters. The address is found
// around the first '@' outside double quotes, running forwards to a blank,
// '>' or ',' and backwards to just after a blank, '<' or ','; the name is
// what comes before it less the one character in front of it. Without an
// '@' the name is the whole text and the address is empty.
void SplitAddress(std::string_view text, std::string* name, size_t nameWidth, std::string* address,
                  size_t addressWidth);

// The From of a new e-mail: the user's own e-mail address when it is not
// blank; otherwise "<user name in lower case>@<domain>" when the office has
// a domain (DOMAIN in DPDESK.CFG); otherwise the user's name. At most 127
// characters.
std::string DefaultFrom(std::string_view userName, std::string_view ownAddress,
                        std::string_view domain);

// The From a send or reply window shows after its To or CC text changed,
// as long as the user has not edited From: unchanged while both are empty;
// the default From when either holds an '@'; otherwise the user's name.
std::string RederivedFrom(std::string_view to, std::string_view cc, std::string_view current,
                          std::string_view userName, std::string_view defaultFrom);
