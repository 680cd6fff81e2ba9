// The metafile reader and the template layout on real files: the delivered
// templates, one drawn in LibreOffice Draw, and damaged or ill-drawn ones.
#include "printing/metafile/metafile_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "fuzz/harness.h"
#include "printing/metafile/template_layout.h"
#include "tests/support/temp_dir.h"
#include "tools/templates/template_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;
using templates::Rgb;
using templates::WmfWriter;

Bytes FileBytes(const std::string& path) {
  const std::string text = ReadWholeFile(path);
  return Bytes(text.begin(), text.end());
}

Bytes LibreOfficeDaily() {
  return FileBytes(std::string(PRINTING_DATA) + "lo_daily.wmf");
}

std::vector<std::string> Labels(const wmf::TemplateLayout& layout) {
  std::vector<std::string> labels;
  for (const wmf::Step& s : layout.steps) {
    if (s.kind == wmf::Step::kLabel) labels.push_back(s.name + "," + std::to_string(s.size));
  }
  return labels;
}

std::string StopMessage(const wmf::TemplateLayout& layout) {
  for (const wmf::Step& s : layout.steps) {
    if (s.kind == wmf::Step::kStop) return s.message;
  }
  return "";
}

// The layout of a file that must read.
wmf::TemplateLayout LayOut(const std::vector<uint8_t>& bytes, wmf::Metafile* file) {
  EXPECT_TRUE(wmf::ReadMetafile(bytes.data(), bytes.size(), file));
  return wmf::LayOutTemplate(*file);
}

// A small plain template: a font, a region with its label, a framed box and
// a line of text.
Bytes SmallTemplate() {
  WmfWriter w(2000);
  w.Font("Arial", 10);
  w.Region(100, -100, 3000, -600, "DAY,20");
  w.Pen(Rgb(0, 0, 0), 10);
  w.Rect(50, -50, 7000, -1900);
  w.Text(200, -800, "Hello");
  return w.Bytes();
}

uint16_t Word(const Bytes& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
void SetWord(Bytes& b, size_t at, int v) {
  b[at] = static_cast<uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}
void SetDword(Bytes& b, size_t at, uint32_t v) {
  SetWord(b, at, static_cast<int>(v & 0xFFFF));
  SetWord(b, at + 2, static_cast<int>(v >> 16));
}

// Where the first record of a function starts (its size word), walking the
// sound file as written.
size_t RecordAt(const Bytes& b, uint16_t function) {
  size_t at = Word(b, 0) == 0xCDD7 ? 22 + 18 : 18;
  while (at + 6 <= b.size()) {
    const uint32_t words = Word(b, at) | (static_cast<uint32_t>(Word(b, at + 2)) << 16);
    if (Word(b, at + 4) == function) return at;
    at += words * 2;
  }
  ADD_FAILURE() << "no record " << function;
  return 0;
}

// ---- The files that must read ----

TEST(DeliveredTemplates, EachReadsWholeAndNamesTheRegionsOfItsPage) {
  const std::set<std::string> daily = {"DAY",     "DATE",        "NAME",    "TODAY",
                                       "TIME",    "SCHDITEMS",   "CRNTMTH", "CRNTMTHDAYS",
                                       "NEXTMTH", "NEXTMTHDAYS", "TODO"};
  std::set<std::string> monthly = {"LASTMTHDAYS", "NEXTMTHDAYS", "NAME",   "MONTH",
                                   "YEAR",        "LASTMTH",     "NEXTMTH"};
  for (int n = 1; n <= 37; ++n)
    monthly.insert("C" + std::to_string(n)), monthly.insert("SCH" + std::to_string(n));
  std::set<std::string> weekly = {"CRNTMTHDAYS", "NEXTMTHDAYS", "NAME",   "DAYTODAY",
                                  "DATETODATE",  "CRNTMTH",     "NEXTMTH"};
  for (const char* d : {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"})
    weekly.insert(d), weekly.insert(std::string(d) + "SCHED");
  const struct {
    const char* file;
    std::set<std::string> names;
  } cases[] = {
      {"daily.wmf", daily},
      {"daily2.wmf", {"DAY", "DATE", "NAME", "TODAY", "TIME", "SCHDITEMS", "TODO"}},
      {"weekly.wmf", weekly},
      {"monthly.wmf", monthly},
      {"phlist.wmf", {"TITLE", "RANGE", "COL1", "COL2", "PAGE"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const Bytes bytes = FileBytes(std::string(TEMPLATE_DIR) + c.file);
    wmf::Metafile file;
    const wmf::TemplateLayout layout = LayOut(bytes, &file);
    EXPECT_FALSE(file.placeable);
    EXPECT_EQ(StopMessage(layout), "");
    std::set<std::string> names;
    for (const std::string& l : Labels(layout)) names.insert(l.substr(0, l.find(',')));
    EXPECT_EQ(names, c.names);
    // Every region serves one label.
    EXPECT_EQ(layout.regions.size(), Labels(layout).size());
  }
}

TEST(LibreOfficeTemplate, WholeLabelsAndMidEdgePolylinesMakeItsRegions) {
  wmf::Metafile file;
  const wmf::TemplateLayout layout = LayOut(LibreOfficeDaily(), &file);
  EXPECT_TRUE(file.placeable);
  EXPECT_EQ(file.unitsPerInch, 2540);
  EXPECT_EQ(StopMessage(layout), "");
  EXPECT_EQ(Labels(layout),
            (std::vector<std::string>{"DAY,26", "DATE,13", "NAME,11", "TODAY,10", "TIME,10",
                                      "SCHDITEMS,10", "CRNTMTH,10", "CRNTMTHDAYS,8", "NEXTMTH,10",
                                      "NEXTMTHDAYS,8", "TODO,9"}));
  for (const wmf::Step& s : layout.steps) {
    // The region of TIME is the rectangle drawn around its label (hundredths
    // of a millimetre from the page's margins, y downwards).
    if (s.kind == wmf::Step::kLabel && s.name == "TIME") {
      EXPECT_EQ(std::min(s.region.x1, s.region.x2), 500);
      EXPECT_EQ(std::max(s.region.x1, s.region.x2), 3500);
      EXPECT_EQ(std::min(s.region.y1, s.region.y2), 7600);
      EXPECT_EQ(std::max(s.region.y1, s.region.y2), 27200);
    }
    // The label texts and marker rectangles are not drawn.
    const std::string drawn = s.kind == wmf::Step::kDraw ? file.records[s.record].text : "";
    EXPECT_EQ(drawn.find('~'), std::string::npos) << drawn;
  }
}

// A plain metafile of the records given (function, parameter words), with a
// true header and its end record.
Bytes HandMade(const std::vector<std::pair<uint16_t, std::vector<int>>>& records, int objects = 4) {
  Bytes body;
  uint32_t largest = 3;
  for (const auto& [function, words] : records) {
    const uint32_t size = static_cast<uint32_t>(3 + words.size());
    largest = std::max(largest, size);
    body.resize(body.size() + 6);
    SetDword(body, body.size() - 6, size);
    SetWord(body, body.size() - 2, function);
    for (int w : words) {
      body.resize(body.size() + 2);
      SetWord(body, body.size() - 2, w);
    }
  }
  body.insert(body.end(), {3, 0, 0, 0, 0, 0});
  Bytes file(18 + body.size(), 0);
  std::copy(body.begin(), body.end(), file.begin() + 18);
  SetWord(file, 0, 1);
  SetWord(file, 2, 9);
  SetWord(file, 4, 0x0300);
  SetDword(file, 6, static_cast<uint32_t>((18 + body.size()) / 2));
  SetWord(file, 10, objects);
  SetDword(file, 12, largest);
  return file;
}

// The same with a placeable header before it: a box of 0,0 to 19000,27700
// at 2540 units to the inch, as LibreOffice writes.
Bytes Placeable(const Bytes& plain) {
  Bytes file(22 + plain.size(), 0);
  std::copy(plain.begin(), plain.end(), file.begin() + 22);
  SetDword(file, 0, 0x9AC6CDD7);
  SetWord(file, 10, 19000);
  SetWord(file, 12, 27700);
  SetWord(file, 14, 2540);
  uint16_t sum = 0;
  for (size_t i = 0; i < 10; ++i) sum ^= Word(file, 2 * i);
  SetWord(file, 20, sum);
  return file;
}

TEST(SoundTemplates, RecordsReadWithTheirOwnShapes) {
  const Bytes bytes = HandMade({
      {wmf::kRectangle, {-400, 300, -100, 100}},  // bottom, right, top, left
      {wmf::kEllipse, {-900, 800, -600, 500}},
      {wmf::kExtTextOut, {-50, 70, 0, 0}},  // y, x, no string at all
      // y, x, 2 characters, clipped to a rectangle, "Hi"
      {wmf::kExtTextOut, {-60, 80, 2, 4, 0, 0, 10, 10, 'H' | ('i' << 8)}},
      {wmf::kTextOut, {3, 'A' | ('B' << 8), 'C', -70, 90}},  // 3, "ABC", y, x
      {wmf::kPolyPolygon, {2, 3, 2, 0, 0, 10, 0, 10, 10, 5, 5, 6, 6}},
  });
  wmf::Metafile file;
  ASSERT_TRUE(wmf::ReadMetafile(bytes.data(), bytes.size(), &file));
  ASSERT_EQ(file.records.size(), 6u);
  const auto& r = file.records;
  EXPECT_EQ(r[0].op, wmf::Op::kRectangle);
  EXPECT_EQ((std::vector<int>{r[0].a.x, r[0].a.y, r[0].b.x, r[0].b.y}),
            (std::vector<int>{100, -100, 300, -400}));
  EXPECT_EQ(r[1].op, wmf::Op::kEllipse);
  EXPECT_EQ((std::vector<int>{r[1].a.x, r[1].a.y, r[1].b.x, r[1].b.y}),
            (std::vector<int>{500, -600, 800, -900}));
  EXPECT_EQ(r[2].op, wmf::Op::kText);
  EXPECT_EQ(r[2].text, "");
  EXPECT_EQ((std::vector<int>{r[2].a.x, r[2].a.y}), (std::vector<int>{70, -50}));
  EXPECT_EQ(r[3].text, "Hi");
  EXPECT_EQ((std::vector<int>{r[3].a.x, r[3].a.y}), (std::vector<int>{80, -60}));
  EXPECT_EQ(r[4].text, "ABC");
  EXPECT_EQ((std::vector<int>{r[4].a.x, r[4].a.y}), (std::vector<int>{90, -70}));
  EXPECT_EQ(r[5].parts, (std::vector<int>{3, 2}));
  EXPECT_EQ(r[5].points.size(), 5u);
}

// ---- Drawn templates: the marker pen's rectangles as drawing programs write them ----

TEST(DrawnTemplateLayout, ClosedAxisParallelMarkerPolylinesAreRegions) {
  using Rec = std::pair<uint16_t, std::vector<int>>;
  const Rec markerPen = {wmf::kCreatePenIndirect, {0, 0, 0, 0x00FF, 0}};  // red hairline
  const Rec blackPen = {wmf::kCreatePenIndirect, {0, 0, 0, 0, 0}};
  auto polyline = [](std::vector<int> xy) {
    std::vector<int> words = {static_cast<int>(xy.size() / 2)};
    words.insert(words.end(), xy.begin(), xy.end());
    return Rec{wmf::kPolyline, words};
  };
  // "~A^" at x 50, y 50: y, x, 3 characters, no options, the text.
  const Rec label = {wmf::kExtTextOut, {50, 50, 3, 0, '~' | ('A' << 8), '^'}};
  const Rec labelOnEdge = {wmf::kExtTextOut, {100, 50, 3, 0, '~' | ('A' << 8), '^'}};
  const std::vector<int> midEdge = {50, 100, 0, 100, 0, 0, 100, 0, 100, 100, 50, 100};
  struct Case {
    const char* what;
    std::vector<Rec> records;
    std::string message;
    size_t regions;
  };
  const Case cases[] = {
      {"six points from the middle of an edge",
       {markerPen, {wmf::kSelectObject, {0}}, polyline(midEdge), label},
       "",
       1},
      {"not closed",
       {markerPen,
        {wmf::kSelectObject, {0}},
        polyline({0, 0, 100, 0, 100, 100, 0, 100, 0, 10}),
        label},
       "Error in metafile region.",
       0},
      {"a slanting side",
       {markerPen,
        {wmf::kSelectObject, {0}},
        polyline({0, 0, 100, 0, 90, 100, 0, 100, 0, 0}),
        label},
       "Error in metafile region.",
       0},
      {"flat",
       {markerPen, {wmf::kSelectObject, {0}}, polyline({0, 0, 50, 0, 100, 0, 50, 0, 0, 0}), label},
       "Error in metafile region.",
       0},
      {"a label on the bottom edge",
       {markerPen, {wmf::kSelectObject, {0}}, polyline(midEdge), labelOnEdge},
       "Could not find region boundary.",
       1},
      {"the marker pen given up by restoring the saved state",
       {markerPen,
        blackPen,
        {wmf::kSelectObject, {1}},
        {wmf::kSaveDc, {}},
        {wmf::kSelectObject, {0}},
        {wmf::kRestoreDc, {-1}},
        polyline({0, 0, 5, 5}),
        label},
       "Could not find region boundary.",
       0},
      {"the marker pen created but another selected",
       {markerPen, blackPen, {wmf::kSelectObject, {1}}, polyline({0, 0, 5, 5})},
       "",
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    wmf::Metafile file;
    const wmf::TemplateLayout layout = LayOut(Placeable(HandMade(c.records)), &file);
    EXPECT_EQ(StopMessage(layout), c.message);
    EXPECT_EQ(layout.regions.size(), c.regions);
  }
}

TEST(TemplateLayout, RectanglesPastTheHundredthServeNoLabel) {
  WmfWriter w(9000);
  w.Font("Arial", 10);
  for (int i = 0; i < 101; ++i) w.Region(100, -i * 80, 3000, -i * 80 - 70, "R" + std::to_string(i));
  wmf::Metafile file;
  const wmf::TemplateLayout layout = LayOut(w.Bytes(), &file);
  EXPECT_EQ(layout.regions.size(), 100u);
  EXPECT_EQ(Labels(layout).size(), 100u);
  EXPECT_EQ(StopMessage(layout), "Could not find region boundary.");
}

// ---- Damaged files: nothing of them is read ----

TEST(DamagedTemplates, EveryBrokenSizeCountOrOffsetGivesNoFile) {
  const Bytes plain = SmallTemplate();
  const Bytes drawn = LibreOfficeDaily();
  struct Case {
    const char* what;
    const Bytes* base;
    std::function<void(Bytes&)> damage;
  };
  const Case cases[] = {
      {"empty file", &plain, [](Bytes& b) { b.clear(); }},
      {"truncated in the header", &plain, [](Bytes& b) { b.resize(10); }},
      {"truncated in a record", &plain, [](Bytes& b) { b.resize(b.size() / 2); }},
      {"truncated before its end record", &plain, [](Bytes& b) { b.resize(b.size() - 6); }},
      {"end record missing, sizes agreeing", &plain,
       [](Bytes& b) {
         b.resize(b.size() - 6);
         SetDword(b, 6, static_cast<uint32_t>(b.size() / 2));
       }},
      {"file size beyond the file", &plain,
       [](Bytes& b) { SetDword(b, 6, static_cast<uint32_t>(b.size() / 2 + 100)); }},
      {"header size not nine words", &plain, [](Bytes& b) { SetWord(b, 2, 8); }},
      {"unknown version", &plain, [](Bytes& b) { SetWord(b, 4, 0x0200); }},
      {"record size beyond the file", &plain,
       [](Bytes& b) { SetDword(b, RecordAt(b, wmf::kTextOut), 0x7FFFFFFF); }},
      {"record size below its own head", &plain,
       [](Bytes& b) { SetDword(b, RecordAt(b, wmf::kTextOut), 2); }},
      {"record larger than the header's largest", &plain, [](Bytes& b) { SetDword(b, 12, 4); }},
      {"polyline count beyond its record", &plain,
       [](Bytes& b) { SetWord(b, RecordAt(b, wmf::kPolyline) + 6, 1000); }},
      {"polyline count negative", &plain,
       [](Bytes& b) { SetWord(b, RecordAt(b, wmf::kPolyline) + 6, -1); }},
      {"text length beyond its record", &plain,
       [](Bytes& b) { SetWord(b, RecordAt(b, wmf::kTextOut) + 6, 500); }},
      {"object outside the object table", &plain,
       [](Bytes& b) { SetWord(b, RecordAt(b, wmf::kSelectObject) + 6, 500); }},
      {"more objects than the object table", &plain, [](Bytes& b) { SetWord(b, 10, 1); }},
      {"placeable checksum wrong", &drawn, [](Bytes& b) { b[20] ^= 1; }},
      {"placeable box empty", &drawn,
       [](Bytes& b) {
         SetWord(b, 10, 0);
         uint16_t sum = 0;
         for (size_t i = 0; i < 10; ++i) sum ^= Word(b, 2 * i);
         SetWord(b, 20, sum);
       }},
      {"truncated placeable header", &drawn, [](Bytes& b) { b.resize(20); }},
      {"extended text length beyond its record", &drawn,
       [](Bytes& b) { SetWord(b, RecordAt(b, wmf::kExtTextOut) + 6 + 4, 300); }},
      {"polygon counts beyond their record", &drawn,
       [](Bytes& b) { SetWord(b, RecordAt(b, wmf::kPolyPolygon) + 6 + 2, 30000); }},
      {"polygon count beyond its record", &drawn,
       [](Bytes& b) { SetWord(b, RecordAt(b, wmf::kPolyPolygon) + 6, 30000); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bytes = *c.base;
    wmf::Metafile file;
    ASSERT_TRUE(wmf::ReadMetafile(bytes.data(), bytes.size(), &file));  // sound before
    c.damage(bytes);
    file.records.resize(3);
    EXPECT_FALSE(wmf::ReadMetafile(bytes.data(), bytes.size(), &file));
    EXPECT_TRUE(file.records.empty());
  }
}

// The inputs the template fuzz target starts from and any it once found a
// fault with, through the target's own harness.
TEST(DamagedTemplates, SavedFuzzInputsReadCleanly) {
  namespace fs = std::filesystem;
  int replayed = 0;
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path dir = fs::path(DESKPOST_FUZZ_DIR) / kind / "template";
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir)) {
      const Bytes bytes = FileBytes(entry.path().string());
      EXPECT_EQ(RunTemplateInput(bytes.data(), bytes.size()), "") << entry.path();
      ++replayed;
    }
  }
  EXPECT_GE(replayed, 3);
}

// ---- Ill-drawn templates: the page stops where they go wrong ----

TEST(TemplateLayout, RegionsAndLabelsThatDoNotHoldTogetherStopThePage) {
  struct Case {
    const char* what;
    std::function<void(WmfWriter&)> draw;
    std::string message;
    std::vector<std::string> labels;  // the labels served before the stop
  };
  const Case cases[] = {
      {"a marker polyline of four points",
       [](WmfWriter& w) {
         w.Region(100, -100, 3000, -600, "DAY");
         w.Polyline({{0, 0}, {100, 0}, {100, -100}, {0, -100}});
       },
       "Error in metafile region.",
       {}},
      {"a second ~ inside a label",
       [](WmfWriter& w) {
         w.Region(100, -100, 3000, -600, "DAY");
         for (const char* c : {"~", "D", "~", "^"}) w.Text(200, -300, c);
       },
       "Error in file.",
       {"DAY,0"}},
      {"a label outside every region",
       [](WmfWriter& w) {
         w.Region(100, -100, 3000, -600, "DAY");
         for (const char* c : {"~", "D", "A", "T", "E", "^"}) w.Text(5000, -5000, c);
       },
       "Could not find region boundary.",
       {"DAY,0"}},
      {"two labels in one region",
       [](WmfWriter& w) {
         w.Region(100, -100, 3000, -600, "DAY,12");
         for (const char* c : {"~", "D", "A", "T", "E", "^"}) w.Text(2000, -300, c);
       },
       "Could not find region boundary.",
       {"DAY,12"}},
      {"a label on a region's edge",
       [](WmfWriter& w) {
         w.Region(100, -100, 3000, -600, "DAY");
         w.Region(4000, -100, 5000, -600, "X");
         for (const char* c : {"~", "Y", "^"}) w.Text(4000, -300, c);
       },
       "Could not find region boundary.",
       {"DAY,0", "X,0"}},
      {"a marker rectangle without a label, and a label-less drawing",
       [](WmfWriter& w) {
         w.Region(100, -100, 3000, -600, "DAY");
         w.Pen(Rgb(255, 0, 0), 0);
         w.Polyline({{0, 0}, {50, 0}, {50, -50}, {0, -50}, {0, 0}});
         w.Pen(Rgb(0, 0, 0), 0);
         w.Polyline({{0, 0}, {50, 0}});
       },
       "",
       {"DAY,0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WmfWriter w(2000);
    w.Font("Arial", 10);
    c.draw(w);
    wmf::Metafile file;
    const wmf::TemplateLayout layout = LayOut(w.Bytes(), &file);
    EXPECT_EQ(StopMessage(layout), c.message);
    EXPECT_EQ(Labels(layout), c.labels);
  }
}

}  // namespace
