#include "tools/templates/template_writer.h"

#include <algorithm>

namespace templates {
namespace {

void Put16(std::vector<uint8_t>& out, int value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, static_cast<int>(value & 0xFFFF));
  Put16(out, static_cast<int>(value >> 16));
}

}  // namespace

WmfWriter::WmfWriter(int height) {
  Record(0x0103, {8});              // anisotropic mapping
  Record(0x020B, {0, 0});           // window origin (y, x)
  Record(0x020C, {-height, 7500});  // window extent: y grows upwards
  Record(0x0102, {1});              // transparent text background
}

void WmfWriter::Record(uint16_t function, const std::vector<int>& words) {
  std::vector<uint8_t> params;
  for (int w : words) Put16(params, w);
  RecordBytes(function, params);
}

void WmfWriter::RecordBytes(uint16_t function, const std::vector<uint8_t>& params) {
  const uint32_t size = static_cast<uint32_t>(3 + params.size() / 2);
  Put32(records_, size);
  Put16(records_, function);
  records_.insert(records_.end(), params.begin(), params.end());
  largest_ = std::max(largest_, size);
}

int WmfWriter::Create(uint16_t function, const std::vector<uint8_t>& params) {
  RecordBytes(function, params);
  auto free = std::find(slots_.begin(), slots_.end(), false);
  if (free == slots_.end()) {
    slots_.push_back(true);
    return static_cast<int>(slots_.size() - 1);
  }
  *free = true;
  return static_cast<int>(free - slots_.begin());
}

// Selects the new object and deletes the one it replaces, so the object
// table stays small.
void WmfWriter::Replace(int* current, int created) {
  Record(0x012D, {created});
  if (*current >= 0) {
    Record(0x01F0, {*current});
    slots_[static_cast<size_t>(*current)] = false;
  }
  *current = created;
}

void WmfWriter::Font(const std::string& face, int points, int weight, bool italic) {
  std::vector<uint8_t> p;
  Put16(p, -(points * 1000 / 72));  // character height
  Put16(p, 0);                      // width
  Put16(p, 0);                      // escapement
  Put16(p, 0);                      // orientation
  Put16(p, weight);
  p.push_back(italic ? 1 : 0);
  p.push_back(0);     // underline
  p.push_back(0);     // strike-out
  p.push_back(0);     // ANSI character set
  p.push_back(0);     // output precision
  p.push_back(0);     // clipping precision
  p.push_back(2);     // proof quality
  p.push_back(0x22);  // variable pitch, swiss
  std::string name = face.substr(0, 31);
  p.insert(p.end(), name.begin(), name.end());
  p.push_back(0);
  if (p.size() % 2) p.push_back(0);
  Replace(&font_, Create(0x02FB, p));
}

void WmfWriter::Pen(uint32_t color, int width, int style) {
  std::vector<uint8_t> p;
  Put16(p, style);
  Put16(p, width);
  Put16(p, 0);
  Put32(p, color);
  Replace(&pen_, Create(0x02FA, p));
}

void WmfWriter::Brush(uint32_t color) {
  std::vector<uint8_t> p;
  Put16(p, 0);  // solid
  Put32(p, color);
  Put16(p, 0);
  Replace(&brush_, Create(0x02FC, p));
}

void WmfWriter::NoBrush() {
  std::vector<uint8_t> p;
  Put16(p, 1);  // hollow
  Put32(p, 0);
  Put16(p, 0);
  Replace(&brush_, Create(0x02FC, p));
}

void WmfWriter::TextColor(uint32_t color) {
  Record(0x0209, {static_cast<int>(color & 0xFFFF), static_cast<int>(color >> 16)});
}

void WmfWriter::TextAlign(int align) {
  Record(0x012E, {align});
}

void WmfWriter::Rect(int left, int top, int right, int bottom) {
  Record(0x041B, {bottom, right, top, left});
}

void WmfWriter::RoundRect(int left, int top, int right, int bottom, int corner) {
  Record(0x061C, {corner, corner, bottom, right, top, left});
}

void WmfWriter::Ellipse(int left, int top, int right, int bottom) {
  Record(0x0418, {bottom, right, top, left});
}

void WmfWriter::Line(int x1, int y1, int x2, int y2) {
  Record(0x0214, {y1, x1});
  Record(0x0213, {y2, x2});
}

void WmfWriter::Text(int x, int y, const std::string& text) {
  std::vector<uint8_t> p;
  Put16(p, static_cast<int>(text.size()));
  p.insert(p.end(), text.begin(), text.end());
  if (p.size() % 2) p.push_back(0);
  Put16(p, y);
  Put16(p, x);
  RecordBytes(0x0521, p);
}

void WmfWriter::Polyline(const std::vector<std::pair<int, int>>& points) {
  std::vector<uint8_t> p;
  Put16(p, static_cast<int>(points.size()));
  for (const auto& [x, y] : points) {
    Put16(p, x);
    Put16(p, y);
  }
  RecordBytes(0x0325, p);
}

void WmfWriter::Region(int left, int top, int right, int bottom, const std::string& label) {
  Pen(Rgb(255, 0, 0), 0);
  Polyline({{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}});
  // One record a character, from the middle of the region onwards.
  const int x = (left + right) / 2 - 200, y = (top + bottom) / 2;
  const std::string text = "~" + label + "^";
  for (size_t i = 0; i < text.size(); ++i) Text(x + static_cast<int>(i) * 20, y, text.substr(i, 1));
}

std::vector<uint8_t> WmfWriter::Bytes() const {
  std::vector<uint8_t> out;
  const uint32_t words = static_cast<uint32_t>(9 + records_.size() / 2 + 3);
  Put16(out, 1);       // the type every plain metafile file carries
  Put16(out, 9);       // header words
  Put16(out, 0x0300);  // version
  Put32(out, words);
  Put16(out, static_cast<int>(slots_.size()));
  Put32(out, std::max<uint32_t>(largest_, 3));
  Put16(out, 0);
  out.insert(out.end(), records_.begin(), records_.end());
  Put32(out, 3);  // the end record
  Put16(out, 0);
  return out;
}

}  // namespace templates
