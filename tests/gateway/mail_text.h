// Texts of the gateway's tests: mail bodies and attachments in base64 made
// here from known bytes, and a check that a text holds a piece.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

// The text holds the piece; where it does not, the message shows the text.
inline ::testing::AssertionResult Holds(const std::string& text, const std::string& piece) {
  if (text.find(piece) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << piece << "\" is not in:\n" << text;
}

// In the standard alphabet: in lines of 76 characters as mailers write them,
// or in one line.
inline std::string Base64(const std::string& in, bool lines = false) {
  static const char* t = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < in.size(); i += 3) {
    const size_t n = std::min<size_t>(3, in.size() - i);
    unsigned v = 0;
    for (size_t k = 0; k < 3; ++k) v = v << 8 | (k < n ? uint8_t(in[i + k]) : 0);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? t[(v >> (18 - 6 * k)) & 63] : '=';
    if (lines && out.size() % 78 == 76 && i + 3 < in.size()) out += "\r\n";
  }
  return out;
}
