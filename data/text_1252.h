// The office's single-byte code page (Windows-1252) against UTF-8, for
// files exchanged with other programs, and its letter case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Each byte as its UTF-8 character. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control
// characters of the same number, so every byte string survives a round
// trip.
std::string Utf8From1252(std::string_view text);

// The UTF-8 text as code page bytes. False for malformed UTF-8 or a
// character the code page does not have; *bad then names the first one
// ("U+4E2D", or "malformed UTF-8") and *out is unspecified.
bool Utf8To1252(std::string_view utf8, std::string* out, std::string* bad = nullptr);

bool IsLower1252(uint8_t c);
bool IsUpper1252(uint8_t c);
uint8_t ToUpper1252(uint8_t c);  // letters without a capital (ß) stay
uint8_t ToLower1252(uint8_t c);
