// The text of printed pages and exported files: record text (Windows-1252)
// laid out in fixed columns, then turned into UTF-8 for the line printer
// and the export files.
//
// The frames of message slips are the box-drawing characters "│ ─ ┌ ┐ └ ┘".
// They are kept apart from record text, which is converted before it meets
// them: in Windows-1252 the bytes of the old code page's box characters
// are letters ("Ä", "Ú"), so a frame is never made of record bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace box {
constexpr char kVertical[] = "\u2502";     // │
constexpr char kHorizontal[] = "\u2500";   // ─
constexpr char kTopLeft[] = "\u250C";      // ┌
constexpr char kTopRight[] = "\u2510";     // ┐
constexpr char kBottomLeft[] = "\u2514";   // └
constexpr char kBottomRight[] = "\u2518";  // ┘
}  // namespace box

constexpr char kFormFeed = '\f';

// The text padded with blanks to width columns on the right ("%-*s") or
// on the left ("%*s"); a longer text is cut to the width, so a frame
// always closes.
std::string PadRight(std::string_view text, size_t width);
std::string PadLeft(std::string_view text, size_t width);
// A run of n copies of a (UTF-8) piece.
std::string Repeat(std::string_view piece, size_t n);

// Breaks text into lines of at most width characters: a line break within
// the width ends the line there (a carriage return, a line feed or the
// pair); otherwise, when the rest is longer than the width, the line is
// broken after the last blank within the width, and a word longer than
// the width is broken at the width. An empty text has no lines.
std::vector<std::string> BreakLines(std::string_view text, size_t width);

// Text with trailing blanks removed.
std::string_view TrimRight(std::string_view text);

// Record text (Windows-1252) in UTF-8.
std::string Utf8(std::string_view cp1252);

// Counts the characters of UTF-8 text (the columns it takes on a page).
size_t Columns(std::string_view utf8);
