#include "printing/metafile/metafile_reader.h"

#include <cstring>

namespace wmf {
namespace {

// The placeable header (22 bytes, little-endian):
//   offset width field
//   0      4     key D7 CD C6 9A
//   4      2     handle, 0 on disk
//   6      8     bounding box: left, top, right, bottom (signed)
//   14     2     units per inch
//   16     4     reserved, 0
//   20     2     checksum: the first ten words XORed together
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;

// The metafile header (18 bytes):
//   0  2  type: 1 in memory, 2 on disk
//   2  2  header size in words, 9
//   4  2  version, 0x0100 or 0x0300
//   6  4  file size in words, header included
//   10 2  object table size
//   12 4  largest record in words
//   16 2  unused, 0
constexpr size_t kHeaderSize = 18;

// Every record: its size in words (4 bytes), its function (2 bytes), then
// its parameters.
constexpr size_t kRecordHead = 6;

uint16_t Word(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
int Signed(const uint8_t* p) {
  return static_cast<int16_t>(Word(p));
}
uint32_t Dword(const uint8_t* p) {
  return Word(p) | (static_cast<uint32_t>(Word(p + 2)) << 16);
}

// The parameters of one record, read with their bounds checked: a read
// past the end marks the record bad and answers 0.
class Params {
 public:
  Params(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Has(size_t bytes) const { return bytes <= size_; }
  int S(size_t at) { return Has(at + 2) ? Signed(data_ + at) : Fail(); }
  uint16_t U(size_t at) { return Has(at + 2) ? Word(data_ + at) : static_cast<uint16_t>(Fail()); }
  uint32_t D(size_t at) { return Has(at + 4) ? Dword(data_ + at) : static_cast<uint32_t>(Fail()); }
  uint8_t B(size_t at) { return Has(at + 1) ? data_[at] : static_cast<uint8_t>(Fail()); }
  const uint8_t* Bytes(size_t at, size_t n) { return Has(at + n) ? data_ + at : (Fail(), nullptr); }
  size_t Size() const { return size_; }
  bool bad = false;

 private:
  int Fail() {
    bad = true;
    return 0;
  }
  const uint8_t* data_;
  size_t size_;
};

// Points as x, y pairs of signed words.
bool ReadPoints(Params& p, size_t at, int count, std::vector<Point>* points) {
  if (count < 0 || !p.Has(at + static_cast<size_t>(count) * 4)) return false;
  for (int i = 0; i < count; ++i) points->push_back({p.S(at + i * 4), p.S(at + i * 4 + 2)});
  return true;
}

// The object table as the drawing system keeps it: a create takes the first
// free slot; a file that creates more objects than its table holds, or
// names a slot outside it, does not hold together.
class ObjectTable {
 public:
  explicit ObjectTable(int slots) : used_(static_cast<size_t>(slots), false) {}
  int Take() {
    for (size_t i = 0; i < used_.size(); ++i) {
      if (!used_[i]) {
        used_[i] = true;
        return static_cast<int>(i);
      }
    }
    return -1;
  }
  bool Valid(int slot) const { return slot >= 0 && static_cast<size_t>(slot) < used_.size(); }
  void Free(int slot) { used_[static_cast<size_t>(slot)] = false; }

 private:
  std::vector<bool> used_;
};

bool DecodeText(Params& p, Record* r, bool extended) {
  r->op = Op::kText;
  if (!extended) {
    // length, the string padded to a word, then y and x
    const int length = p.S(0);
    if (length < 0) return false;
    const size_t padded = (static_cast<size_t>(length) + 1) & ~size_t{1};
    const uint8_t* s = p.Bytes(2, static_cast<size_t>(length));
    r->a = {p.S(2 + padded + 2), p.S(2 + padded)};
    if (p.bad || s == nullptr) return false;
    r->text.assign(reinterpret_cast<const char*>(s), static_cast<size_t>(length));
    return true;
  }
  // y, x, length, options, [the clipping rectangle when the options ask
  // for it], the string, [the character advances]
  r->a = {p.S(2), p.S(0)};
  const int length = p.S(4);
  const uint16_t options = p.U(6);
  if (p.bad || length < 0) return false;
  const size_t at = (options & 0x0006) ? 16 : 8;
  // A record of the bare four words holds no string at all.
  if (length == 0) return true;
  const uint8_t* s = p.Bytes(at, static_cast<size_t>(length));
  if (s == nullptr) return false;
  r->text.assign(reinterpret_cast<const char*>(s), static_cast<size_t>(length));
  return true;
}

bool DecodeFont(Params& p, Record* r) {
  r->op = Op::kCreateFont;
  Font& f = r->font;
  f.height = p.S(0);
  f.weight = p.S(8);
  f.italic = p.B(10) != 0;
  f.underline = p.B(11) != 0;
  f.charset = p.B(13);
  f.pitchAndFamily = p.B(17);
  if (p.bad) return false;
  // The face name runs to its NUL, at most 32 bytes, within the record.
  for (size_t i = 18; i < 18 + 32 && p.Has(i + 1); ++i) {
    const uint8_t c = p.B(i);
    if (c == 0) break;
    f.face.push_back(static_cast<char>(c));
  }
  return true;
}

// Decodes one record's parameters; false when they do not fit the record.
bool Decode(uint16_t function, Params& p, ObjectTable& objects, Record* r) {
  r->function = function;
  switch (function) {
    case kSetWindowOrg:
    case kSetWindowExt:
    case kMoveTo:
    case kLineTo:
      r->op = function == kSetWindowOrg   ? Op::kSetWindowOrg
              : function == kSetWindowExt ? Op::kSetWindowExt
              : function == kMoveTo       ? Op::kMoveTo
                                          : Op::kLineTo;
      r->a = {p.S(2), p.S(0)};
      break;
    case kSetBkMode:
    case kSetPolyFillMode:
    case kSetTextAlign:
    case kRestoreDc:
      r->op = function == kSetBkMode         ? Op::kSetBkMode
              : function == kSetPolyFillMode ? Op::kSetPolyFillMode
              : function == kSetTextAlign    ? Op::kSetTextAlign
                                             : Op::kRestoreDc;
      r->value = function == kRestoreDc ? p.S(0) : p.U(0);
      break;
    case kSaveDc:
      r->op = Op::kSaveDc;
      break;
    case kSetTextColor:
    case kSetBkColor:
      r->op = function == kSetTextColor ? Op::kSetTextColor : Op::kSetBkColor;
      r->color = p.D(0);
      break;
    case kCreatePenIndirect:
      r->op = Op::kCreatePen;
      r->pen = {p.U(0), p.S(2), p.D(6)};
      break;
    case kCreateBrushIndirect:
      r->op = Op::kCreateBrush;
      r->brush = {p.U(0), p.D(2)};
      break;
    case kCreateFontIndirect:
      if (!DecodeFont(p, r)) return false;
      break;
    case kCreatePalette:
    case kCreatePatternBrush:
    case kDibCreatePatternBrush:
    case kCreateRegion:
      r->op = Op::kCreateOther;
      break;
    case kSelectObject:
    case kDeleteObject:
      r->op = function == kSelectObject ? Op::kSelectObject : Op::kDeleteObject;
      r->value = p.U(0);
      if (!p.bad && !objects.Valid(r->value)) return false;
      if (function == kDeleteObject && !p.bad) objects.Free(r->value);
      break;
    case kPolyline:
    case kPolygon:
      r->op = function == kPolyline ? Op::kPolyline : Op::kPolygon;
      if (!ReadPoints(p, 2, p.S(0), &r->points)) return false;
      break;
    case kPolyPolygon: {
      r->op = Op::kPolyPolygon;
      const int polygons = p.S(0);
      if (p.bad || polygons < 0 || !p.Has(2 + static_cast<size_t>(polygons) * 2)) return false;
      size_t total = 0;
      for (int i = 0; i < polygons; ++i) {
        const int n = p.S(2 + static_cast<size_t>(i) * 2);
        if (n < 0) return false;
        r->parts.push_back(n);
        total += static_cast<size_t>(n);
      }
      // The counts are summed in size_t, so their sum cannot wrap.
      const size_t at = 2 + static_cast<size_t>(polygons) * 2;
      if (!p.Has(at + total * 4)) return false;
      ReadPoints(p, at, static_cast<int>(total), &r->points);
      break;
    }
    case kRectangle:
    case kEllipse:
      r->op = function == kRectangle ? Op::kRectangle : Op::kEllipse;
      r->a = {p.S(6), p.S(4)};
      r->b = {p.S(2), p.S(0)};
      break;
    case kRoundRect:
      r->op = Op::kRoundRect;
      r->a = {p.S(10), p.S(8)};
      r->b = {p.S(6), p.S(4)};
      r->c = {p.S(2), p.S(0)};
      break;
    case kTextOut:
    case kExtTextOut:
      if (!DecodeText(p, r, function == kExtTextOut)) return false;
      break;
    default:
      r->op = Op::kSkip;
      break;
  }
  if (p.bad) return false;
  if (r->op == Op::kCreatePen || r->op == Op::kCreateBrush || r->op == Op::kCreateFont ||
      r->op == Op::kCreateOther) {
    r->value = objects.Take();
    if (r->value < 0) return false;
  }
  return true;
}

}  // namespace

bool ReadMetafile(const uint8_t* data, size_t size, Metafile* out) {
  *out = Metafile();
  Metafile m;
  size_t at = 0;
  if (size >= 4 && Dword(data) == kPlaceableKey) {
    if (size < kPlaceableSize) return false;
    uint16_t sum = 0;
    for (size_t i = 0; i < 10; ++i) sum ^= Word(data + 2 * i);
    if (sum != Word(data + 20)) return false;
    m.placeable = true;
    m.left = Signed(data + 6);
    m.top = Signed(data + 8);
    m.right = Signed(data + 10);
    m.bottom = Signed(data + 12);
    m.unitsPerInch = Word(data + 14);
    if (m.right <= m.left || m.bottom <= m.top || m.unitsPerInch == 0) return false;
    at = kPlaceableSize;
  }
  if (size - at < kHeaderSize) return false;
  const uint8_t* h = data + at;
  const uint16_t type = Word(h);
  if ((type != 1 && type != 2) || Word(h + 2) != kHeaderSize / 2) return false;
  if (Word(h + 4) != 0x0100 && Word(h + 4) != 0x0300) return false;
  const uint64_t fileBytes = static_cast<uint64_t>(Dword(h + 6)) * 2;
  m.objectSlots = Word(h + 10);
  const uint32_t largest = Dword(h + 12);
  // The file's own size is the end of its records; bytes after it (a
  // copy padded to a block) are not read.
  if (fileBytes < kHeaderSize || fileBytes > size - at) return false;
  const size_t end = at + static_cast<size_t>(fileBytes);
  at += kHeaderSize;

  ObjectTable objects(m.objectSlots);
  while (true) {
    if (end - at < kRecordHead) return false;  // no end record
    const uint32_t words = Dword(data + at);
    const uint16_t function = Word(data + at + 4);
    if (words < kRecordHead / 2 || words > largest || words > (end - at) / 2) return false;
    const size_t bytes = static_cast<size_t>(words) * 2;
    if (function == kEof) break;
    Params params(data + at + kRecordHead, bytes - kRecordHead);
    Record r;
    if (!Decode(function, params, objects, &r)) return false;
    m.records.push_back(std::move(r));
    at += bytes;
  }
  *out = std::move(m);
  return true;
}

}  // namespace wmf
