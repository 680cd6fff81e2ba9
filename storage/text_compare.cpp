#include "storage/text_compare.h"

#include <cstring>

namespace {

// Folds ASCII capitals only; bytes from 128 up stay as they are, so every
// workstation orders names alike whatever its code page.
inline int Fold(uint8_t c) {
  return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

}  // namespace

int CompareTextNoCase(const uint8_t* a, const uint8_t* b, size_t width) {
  for (size_t i = 0; i < width; ++i) {
    int ca = Fold(a[i]);
    int cb = Fold(b[i]);
    if (ca != cb) return ca - cb;
    if (ca == 0) return 0;
  }
  return 0;
}

int CompareText(const uint8_t* a, const uint8_t* b, size_t width) {
  for (size_t i = 0; i < width; ++i) {
    if (a[i] != b[i]) return int(a[i]) - int(b[i]);
    if (a[i] == 0) return 0;
  }
  return 0;
}

int StrICmp(const char* a, const char* b) {
  const uint8_t* pa = reinterpret_cast<const uint8_t*>(a);
  const uint8_t* pb = reinterpret_cast<const uint8_t*>(b);
  for (;; ++pa, ++pb) {
    int ca = Fold(*pa);
    int cb = Fold(*pb);
    if (ca != cb) return ca - cb;
    if (ca == 0) return 0;
  }
}

void PutText(uint8_t* field, size_t width, const char* text) {
  if (width == 0) return;
  size_t n = text ? strnlen(text, width - 1) : 0;
  if (n > 0) std::memcpy(field, text, n);
  std::memset(field + n, 0, width - n);
}
