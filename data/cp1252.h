// Text in the data files is single-byte Windows-1252; the command line, the
// terminal and CSV files speak UTF-8. These convert at that boundary.
#pragma once

#include <string>
#include <string_view>

// UTF-8 to Windows-1252. A character with no Windows-1252 byte, or bytes
// that are not UTF-8, make it answer false with *bad naming the first such
// character (as UTF-8, or "\xNN" for a stray byte); out is then empty, so
// nothing half-converted is stored.
bool Utf8ToCp1252(std::string_view text, std::string* out, std::string* bad = nullptr);

// UTF-8 to Windows-1252 for text that must be kept whatever it holds (mail
// from the Internet): every character with no Windows-1252 byte, and every
// byte that is not part of a UTF-8 character, becomes one "?", so the reader
// sees that something stood there. *replaced, when given, counts them.
std::string Utf8ToCp1252Lossy(std::string_view text, size_t* replaced = nullptr);

// Windows-1252 to UTF-8. The five bytes Windows-1252 leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) come out as the C1 control of the same number, as
// Windows itself maps them, so every byte survives a round trip.
std::string Cp1252ToUtf8(std::string_view bytes);
