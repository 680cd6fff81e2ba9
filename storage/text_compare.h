// Text comparison shared by every key comparator. "Without regard to case"
// folds ASCII letters to lower case only and compares bytes unsigned, so that
// every workstation orders keys alike whatever its locale.
#pragma once

#include <cstddef>
#include <cstdint>

// Compares NUL-terminated fields of at most width bytes, case folded.
int CompareTextNoCase(const uint8_t* a, const uint8_t* b, size_t width);
// Compares NUL-terminated fields of at most width bytes, byte for byte.
int CompareText(const uint8_t* a, const uint8_t* b, size_t width);
// Case-folded comparison of two NUL-terminated strings.
int StrICmp(const char* a, const char* b);
// Copies text into a fixed-width field: cut to width - 1 bytes, NUL-padded.
void PutText(uint8_t* field, size_t width, const char* text);
