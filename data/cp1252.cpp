#include "data/cp1252.h"

#include <cstdint>
#include <cstdio>
#include <utility>

namespace {

// Code points of bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool ByteFor(char32_t c, uint8_t* byte) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    *byte = uint8_t(c);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == c) {
      *byte = uint8_t(0x80 + i);
      return true;
    }
  }
  return false;
}

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(char(c));
  } else if (c < 0x800) {
    out->push_back(char(0xC0 | (c >> 6)));
    out->push_back(char(0x80 | (c & 0x3F)));
  } else {
    out->push_back(char(0xE0 | (c >> 12)));
    out->push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(char(0x80 | (c & 0x3F)));
  }
}

// Decodes one UTF-8 character at text[*i]; false for a malformed sequence,
// an overlong form or a surrogate.
bool NextChar(std::string_view text, size_t* i, char32_t* c) {
  const uint8_t lead = uint8_t(text[*i]);
  int extra = 0;
  char32_t value = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    *c = lead;
    ++*i;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07, least = 0x10000;
  } else {
    return false;
  }
  if (*i + extra >= text.size()) return false;
  for (int k = 1; k <= extra; ++k) {
    const uint8_t b = uint8_t(text[*i + k]);
    if ((b & 0xC0) != 0x80) return false;
    value = (value << 6) | (b & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *c = value;
  *i += extra + 1;
  return true;
}

}  // namespace

bool Utf8ToCp1252(std::string_view text, std::string* out, std::string* bad) {
  out->clear();
  std::string result;
  result.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const size_t start = i;
    char32_t c = 0;
    uint8_t byte = 0;
    if (!NextChar(text, &i, &c)) {
      if (bad) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(uint8_t(text[start])));
        *bad = hex;
      }
      return false;
    }
    if (!ByteFor(c, &byte)) {
      if (bad) *bad = std::string(text.substr(start, i - start));
      return false;
    }
    result.push_back(char(byte));
  }
  *out = std::move(result);
  return true;
}

std::string Utf8ToCp1252Lossy(std::string_view text, size_t* replaced) {
  std::string result;
  result.reserve(text.size());
  size_t count = 0;
  size_t i = 0;
  while (i < text.size()) {
    char32_t c = 0;
    uint8_t byte = 0;
    if (!NextChar(text, &i, &c)) {
      ++i;  // the stray byte alone; what follows may be a good character
      result.push_back('?');
      ++count;
    } else if (!ByteFor(c, &byte)) {
      result.push_back('?');
      ++count;
    } else {
      result.push_back(char(byte));
    }
  }
  if (replaced) *replaced = count;
  return result;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const uint8_t b = uint8_t(ch);
    AppendUtf8(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char32_t(b), &out);
  }
  return out;
}
