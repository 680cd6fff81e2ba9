#include "printing/print_text.h"

#include "data/cp1252.h"

std::string PadRight(std::string_view text, size_t width) {
  std::string out(text.substr(0, width));
  out.append(width - out.size(), ' ');
  return out;
}

std::string PadLeft(std::string_view text, size_t width) {
  std::string out(text.substr(0, width));
  out.insert(0, width - out.size(), ' ');
  return out;
}

std::string Repeat(std::string_view piece, size_t n) {
  std::string out;
  out.reserve(piece.size() * n);
  for (size_t i = 0; i < n; ++i) out += piece;
  return out;
}

std::vector<std::string> BreakLines(std::string_view text, size_t width) {
  std::vector<std::string> lines;
  if (width == 0) return lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const std::string_view rest = text.substr(pos);
    // A line break within the width (the width-th character included, as
    // the break after a full line).
    const size_t brk = rest.find_first_of("\r\n");
    if (brk != std::string_view::npos && brk <= width) {
      lines.emplace_back(rest.substr(0, brk));
      pos += brk + 1;
      if (rest[brk] == '\r' && brk + 1 < rest.size() && rest[brk + 1] == '\n') ++pos;
      continue;
    }
    if (rest.size() <= width) {
      lines.emplace_back(rest);
      break;
    }
    const size_t blank = rest.substr(0, width).find_last_of(' ');
    if (blank != std::string_view::npos && blank > 0) {
      lines.emplace_back(rest.substr(0, blank + 1));
      pos += blank + 1;
    } else {
      lines.emplace_back(rest.substr(0, width));
      pos += width;
    }
  }
  return lines;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string Utf8(std::string_view cp1252) {
  return Cp1252ToUtf8(cp1252);
}

size_t Columns(std::string_view utf8) {
  size_t n = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}
