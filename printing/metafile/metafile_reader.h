// Reading a Windows metafile (WMF) into records that can be played safely.
//
// A template comes from the office's data directory, where anyone can
// replace it, so every size, count and offset in it is checked against the
// file before it is used: a record that runs past the end of the file, a
// point count larger than its record, a text longer than its record, an
// object number outside the file's object table, a missing end record, all
// make the whole file unreadable ("Error in file."). Nothing is drawn from
// a file that does not read whole.
//
// Two kinds of file are read:
//   - the plain metafile: an 18-byte header and the records;
//   - the placeable metafile drawing programs write today: a 22-byte
//     header first (key D7 CD C6 9A, a bounding box and the units per
//     inch, and a checksum over its first ten words), then the same.
//
// Records the pages need are decoded (pens, brushes, fonts, lines,
// polygons, rectangles, ellipses, text, the window origin and extent, the
// saved device states); any other record is checked for its size and kept
// as one to pass over. Objects are given their slot in the object table
// here, as the drawing system would (the first free slot), so the player
// only ever uses slots that exist.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wmf {

// Function numbers of the records decoded.
constexpr uint16_t kEof = 0x0000;
constexpr uint16_t kSaveDc = 0x001E;
constexpr uint16_t kCreatePalette = 0x00F7;
constexpr uint16_t kSetBkMode = 0x0102;
constexpr uint16_t kSetPolyFillMode = 0x0106;
constexpr uint16_t kRestoreDc = 0x0127;
constexpr uint16_t kSelectObject = 0x012D;
constexpr uint16_t kSetTextAlign = 0x012E;
constexpr uint16_t kDibCreatePatternBrush = 0x0142;
constexpr uint16_t kDeleteObject = 0x01F0;
constexpr uint16_t kCreatePatternBrush = 0x01F9;
constexpr uint16_t kSetBkColor = 0x0201;
constexpr uint16_t kSetTextColor = 0x0209;
constexpr uint16_t kSetWindowOrg = 0x020B;
constexpr uint16_t kSetWindowExt = 0x020C;
constexpr uint16_t kLineTo = 0x0213;
constexpr uint16_t kMoveTo = 0x0214;
constexpr uint16_t kCreatePenIndirect = 0x02FA;
constexpr uint16_t kCreateFontIndirect = 0x02FB;
constexpr uint16_t kCreateBrushIndirect = 0x02FC;
constexpr uint16_t kPolygon = 0x0324;
constexpr uint16_t kPolyline = 0x0325;
constexpr uint16_t kEllipse = 0x0418;
constexpr uint16_t kRectangle = 0x041B;
constexpr uint16_t kTextOut = 0x0521;
constexpr uint16_t kPolyPolygon = 0x0538;
constexpr uint16_t kRoundRect = 0x061C;
constexpr uint16_t kCreateRegion = 0x06FF;
constexpr uint16_t kExtTextOut = 0x0A32;

// Pen and brush styles that draw nothing.
constexpr uint16_t kPenNull = 5;
constexpr uint16_t kBrushNull = 1;

struct Point {
  int x = 0;
  int y = 0;
};

struct Pen {
  uint16_t style = 0;
  int width = 0;
  uint32_t color = 0;  // COLORREF: red in the low byte, then green, blue
};

struct Brush {
  uint16_t style = 0;
  uint32_t color = 0;
};

struct Font {
  int height = 0;  // negative: the character height; positive: the cell height
  int weight = 400;
  bool italic = false;
  bool underline = false;
  uint8_t charset = 0;
  uint8_t pitchAndFamily = 0;
  std::string face;  // Windows-1252, without its NUL
};

// The kinds of records a player meets.
enum class Op {
  kSkip,  // a record the pages have no use for; passed over
  kSetWindowOrg,
  kSetWindowExt,
  kSetBkMode,
  kSetPolyFillMode,
  kSetTextAlign,
  kSetTextColor,
  kSetBkColor,
  kCreatePen,
  kCreateBrush,
  kCreateFont,
  kCreateOther,  // takes a slot in the object table, draws nothing
  kSelectObject,
  kDeleteObject,
  kSaveDc,
  kRestoreDc,
  kMoveTo,
  kLineTo,
  kPolyline,
  kPolygon,
  kPolyPolygon,
  kRectangle,
  kRoundRect,
  kEllipse,
  kText,
};

struct Record {
  Op op = Op::kSkip;
  uint16_t function = 0;
  // kSetWindowOrg/Ext, kMoveTo, kLineTo: a point; kRectangle, kEllipse,
  // kRoundRect: the corners (and the corner ellipse's size); kText: where.
  Point a;
  Point b;
  Point c;
  // The object slot a create record fills, or the slot a select or delete
  // names. kSetBkMode, kSetPolyFillMode, kSetTextAlign, kRestoreDc: the value.
  int value = 0;
  uint32_t color = 0;
  Pen pen;
  Brush brush;
  Font font;
  std::vector<Point> points;  // polylines and polygons, all parts in turn
  std::vector<int> parts;     // kPolyPolygon: the points of each polygon
  std::string text;           // kText: Windows-1252 bytes
};

struct Metafile {
  bool placeable = false;
  // The placeable header's bounding box and units per inch.
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int unitsPerInch = 0;
  int objectSlots = 0;
  std::vector<Record> records;  // up to, not including, the end record
};

// Reads a whole file's bytes. Answers false, with nothing in *out, for a
// file that is not a metafile or does not hold together.
bool ReadMetafile(const uint8_t* data, size_t size, Metafile* out);

}  // namespace wmf
