// Printed text as a reader finds it (a PDF read back with pdftotext, a text
// file, a report): the pieces it holds or lacks, its lines, and the line
// around a piece; one check over many pieces names every piece that broke.
#pragma once

#include <regex>
#include <string>
#include <vector>

// How often the piece occurs.
inline int Count(const std::string& text, const std::string& piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

inline bool Has(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

// The pieces the text lacks (or, with present false, the pieces it holds),
// each in quotes; empty when none.
inline std::string Missing(const std::string& text, const std::vector<std::string>& pieces,
                           bool present = true) {
  std::string out;
  for (const std::string& p : pieces)
    if (Has(text, p) != present) out += "\"" + p + "\" ";
  return out;
}

// The lines of a text, without their line breaks (LF or CR LF).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', start)) {
    lines.push_back(
        text.substr(start, at > start && text[at - 1] == '\r' ? at - 1 - start : at - start));
    start = at + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

// The line holding the piece, runs of blanks squeezed to one and none at
// either end; "" when no line holds it.
inline std::string LineWith(const std::string& text, const std::string& piece) {
  const size_t at = text.find(piece);
  if (at == std::string::npos) return "";
  const size_t start = text.rfind('\n', at) + 1;
  const std::string line = text.substr(start, text.find('\n', at) - start);
  return std::regex_replace(std::regex_replace(line, std::regex(" +"), " "), std::regex("^ | $"),
                            "");
}
