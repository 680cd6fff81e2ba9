// Phone list entries as vCards (versions 3.0 and 4.0), for moving entries
// to and from other address books. The text is UTF-8 with CRLF line ends;
// entries are stored in the office's code page, so a card holding a
// character the code page lacks is refused rather than stored changed.
//
// How an entry's fields travel:
//   Listname        FN (and, with no Contact, the family part of N)
//   Contact         N, given names before the family name
//   Company         ORG
//   Street 1 and 2  the street part of ADR, one line each
//   City, State, ZIP, Country   the other parts of ADR
//   Phone 1, Ext 1  TEL of type work and voice, preferred; " x" and the
//                   extension after the number
//   Phone 2, Ext 2  TEL of type work and voice
//   Fax             TEL of type fax
//   Cell / Pager    TEL of type cell
//   E-Mail          EMAIL
//   URL             URL
//   ID              X-DESKPOST-ID
//   Misc info       NOTE, its lines as the stored lines
// A card from elsewhere may carry more than an entry holds (a second
// address, a third phone, a birthday): the entry takes what it can and the
// rest is named in the card's notes, so nothing goes without being said.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/phone/dpphone.h"

enum class VCardVersion { k30, k40 };

// One card read: the line its BEGIN:VCARD is on (from 1), the entry it
// makes (list number 0), or why it cannot be stored, and what it held that
// the entry does not keep.
struct VCardCard {
  int line = 0;
  PhoneRecord record;
  std::string error;
  std::vector<std::string> notes;
};

// Reads the cards of a vCard text one by one: folded lines are joined,
// escapes undone, parameters read with or without quotes. Lines outside a
// card are passed over; a card that cannot be read whole (no END, a line
// without a colon, quoted-printable text, an unknown version) comes back
// with its error and reading goes on after it.
class VCardReader {
 public:
  explicit VCardReader(std::string_view text);
  // False at the end of the text.
  bool Next(VCardCard* card);
  // Whether any card began so far (a text without one is not a vCard file).
  bool SawCard() const { return sawCard_; }

 private:
  struct Line {
    int number;
    std::string text;
  };
  bool NextLine(Line* line);

  std::string_view text_;
  size_t pos_ = 0;
  int lineNumber_ = 0;
  bool sawCard_ = false;
};

// Whether the text begins (blank lines and a byte order mark aside) with
// BEGIN:VCARD.
bool LooksLikeVCard(std::string_view text);

// One entry as a card, lines folded at 75 bytes, ending CRLF.
std::string PhoneVCard(const PhoneRecord& record, VCardVersion version);

// The text value escaped for a vCard: backslash, comma, semicolon and line
// breaks (a carriage return, LF or CRLF each become "\n").
std::string VCardEscape(std::string_view text);
// A logical line folded: no physical line longer than 75 bytes, never
// breaking a UTF-8 character; each continuation begins with a blank.
std::string VCardFold(std::string_view line);
