// Writes plain Windows metafiles in the page templates' own coordinates:
// 7500 units across the printable width, y growing upwards from the top of
// the page (so y is negative down the page). Regions are drawn with the
// marker pen (width 0, pure red) as 5-point polylines, first and third
// points opposite corners, and their labels as one text record per
// character, "~" first, where the label stands.
//
// The file also sets its window so that other programs show it the right
// way up; the page printer does not play the window extent.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace templates {

// COLORREF: red in the low byte.
constexpr uint32_t Rgb(int r, int g, int b) {
  return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
         (static_cast<uint32_t>(b) << 16);
}

class WmfWriter {
 public:
  // height: how far down the page the drawing reaches, in units.
  explicit WmfWriter(int height);

  // The first font created becomes the printed pages' font: call this
  // first with the face the handlers are to use.
  void Font(const std::string& face, int points, int weight = 400, bool italic = false);
  void Pen(uint32_t color, int width, int style = 0);
  void NoPen() { Pen(0, 0, 5); }
  void Brush(uint32_t color);
  void NoBrush();
  void TextColor(uint32_t color);
  // 0 left, 2 right, 6 centre; 24 baseline instead of top.
  void TextAlign(int align);

  void Rect(int left, int top, int right, int bottom);
  void RoundRect(int left, int top, int right, int bottom, int corner);
  void Ellipse(int left, int top, int right, int bottom);
  void Line(int x1, int y1, int x2, int y2);
  void Text(int x, int y, const std::string& text);
  void Polyline(const std::vector<std::pair<int, int>>& points);

  // A region and its label ("NAME" or "NAME,SIZE").
  void Region(int left, int top, int right, int bottom, const std::string& label);

  std::vector<uint8_t> Bytes() const;

 private:
  void Record(uint16_t function, const std::vector<int>& words);
  void RecordBytes(uint16_t function, const std::vector<uint8_t>& params);
  int Create(uint16_t function, const std::vector<uint8_t>& params);
  void Replace(int* current, int created);

  std::vector<uint8_t> records_;
  std::vector<bool> slots_;
  uint32_t largest_ = 0;
  int pen_ = -1;
  int brush_ = -1;
  int font_ = -1;
};

// The five page templates of a data directory, by file name.
struct TemplateFile {
  const char* name;
  std::vector<uint8_t> bytes;
};
std::vector<TemplateFile> DrawTemplates();

}  // namespace templates
