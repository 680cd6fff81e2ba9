#include "data/text_1252.h"

#include <cstdio>

namespace {

// Unicode of the bytes 0x80 to 0x9F; the undefined ones map to themselves.
constexpr uint16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t CodePoint(uint8_t c) {
  return c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

bool ByteFor(uint32_t cp, uint8_t* byte) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
    *byte = uint8_t(cp);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == cp) {
      *byte = uint8_t(0x80 + i);
      return true;
    }
  }
  return false;
}

// Decodes one character; false for malformed, overlong or surrogate input.
bool NextCodePoint(std::string_view s, size_t* i, uint32_t* cp) {
  uint8_t c = uint8_t(s[*i]);
  int more = 0;
  uint32_t min = 0;
  if (c < 0x80) {
    *cp = c;
    ++*i;
    return true;
  } else if ((c & 0xE0) == 0xC0) {
    more = 1;
    *cp = c & 0x1F;
    min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    more = 2;
    *cp = c & 0x0F;
    min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    more = 3;
    *cp = c & 0x07;
    min = 0x10000;
  } else {
    return false;
  }
  if (*i + size_t(more) >= s.size()) return false;  // cut short
  for (int k = 1; k <= more; ++k) {
    uint8_t t = uint8_t(s[*i + size_t(k)]);
    if ((t & 0xC0) != 0x80) return false;
    *cp = (*cp << 6) | (t & 0x3F);
  }
  if (*cp < min || *cp > 0x10FFFF || (*cp >= 0xD800 && *cp <= 0xDFFF)) return false;
  *i += size_t(more) + 1;
  return true;
}

}  // namespace

std::string Utf8From1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) AppendUtf8(out, CodePoint(uint8_t(c)));
  return out;
}

bool Utf8To1252(std::string_view utf8, std::string* out, std::string* bad) {
  out->clear();
  size_t i = 0;
  while (i < utf8.size()) {
    uint32_t cp = 0;
    if (!NextCodePoint(utf8, &i, &cp)) {
      if (bad) *bad = "malformed UTF-8";
      return false;
    }
    uint8_t byte = 0;
    if (!ByteFor(cp, &byte)) {
      if (bad) {
        char name[16];
        std::snprintf(name, sizeof name, "U+%04X", unsigned(cp));
        *bad = name;
      }
      return false;
    }
    *out += char(byte);
  }
  return true;
}

bool IsLower1252(uint8_t c) {
  return (c >= 'a' && c <= 'z') || c == 0x9A || c == 0x9C || c == 0x9E || c == 0xDF ||
         (c >= 0xE0 && c != 0xF7);
}

bool IsUpper1252(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9F ||
         (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

uint8_t ToUpper1252(uint8_t c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return uint8_t(c - 32);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return uint8_t(c - 0x10);
  if (c == 0xFF) return 0x9F;
  return c;
}

uint8_t ToLower1252(uint8_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return uint8_t(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return uint8_t(c + 0x10);
  if (c == 0x9F) return 0xFF;
  return c;
}
