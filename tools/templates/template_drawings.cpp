// The five page templates delivered with the program, drawn as a paper
// planner's pages: a pale blue title band with a navy rule, captions in
// small navy capitals, thin grey rules between the parts of the page, and
// the regions the program fills.
#include <string>

#include "tools/templates/template_writer.h"

namespace templates {
namespace {

constexpr int kWidth = 7500;
constexpr int kBottom = -9900;  // fits both letter and A4 printable pages
constexpr uint32_t kNavy = Rgb(31, 58, 95);
constexpr uint32_t kBand = Rgb(222, 231, 241);
constexpr uint32_t kRule = Rgb(160, 172, 186);
constexpr uint32_t kShade = Rgb(242, 245, 249);
constexpr uint32_t kBlack = Rgb(0, 0, 0);
// The face the program prints its regions in: the first font created.
constexpr char kFace[] = "Arial";

// The page's frame and its title band, band ending at bandBottom.
void Frame(WmfWriter& w, int bandBottom) {
  w.Font(kFace, 10);
  w.NoPen();
  w.Brush(kBand);
  w.Rect(0, 0, kWidth, bandBottom);
  w.Pen(kNavy, 30);
  w.Line(0, bandBottom, kWidth, bandBottom);
  w.Pen(kNavy, 15);
  w.NoBrush();
  w.Rect(0, 0, kWidth, kBottom);
}

void Caption(WmfWriter& w, int x, int y, const std::string& text) {
  w.Font(kFace, 8, 700);
  w.TextColor(kNavy);
  w.TextAlign(0);
  w.Text(x, y, text);
  w.TextColor(kBlack);
}

void Rule(WmfWriter& w, int x1, int y1, int x2, int y2) {
  w.Pen(kRule, 6);
  w.Line(x1, y1, x2, y2);
}

// The weekday letters over a mini calendar, right-aligned in its columns.
void WeekdayLetters(WmfWriter& w, int left, int right, int y) {
  w.Font(kFace, 7, 700);
  w.TextColor(kNavy);
  w.TextAlign(2);
  const int column = (right - left) / 7;
  const char* letters = "SMTWTFS";
  for (int i = 0; i < 7; ++i) w.Text(left + (i + 1) * column, y, std::string(1, letters[i]));
  w.TextAlign(0);
  w.TextColor(kBlack);
}

// A month heading, its weekday letters and its days, in a light box.
void MiniMonth(WmfWriter& w, int left, int top, int right, const std::string& heading,
               const std::string& days, int size) {
  w.Pen(kRule, 6);
  w.Brush(kShade);
  w.RoundRect(left - 60, top + 40, right + 60, top - 1700, 120);
  w.Region(left, top, right, top - 280, heading + ",10");
  WeekdayLetters(w, left, right, top - 320);
  w.Region(left, top - 480, right, top - 1660, days + "," + std::to_string(size));
}

std::vector<uint8_t> Daily(bool continuation) {
  WmfWriter w(-kBottom);
  const int band = continuation ? -750 : -1000;
  Frame(w, band);
  if (continuation) {
    w.Region(150, -60, 3900, -480, "DAY,22");
    w.Region(150, -480, 3900, -720, "DATE,12");
    w.Region(4100, -100, 7350, -400, "NAME,10");
    Caption(w, 4100, -450, "CONTINUED");
  } else {
    w.Region(150, -60, 3900, -600, "DAY,28");
    w.Region(150, -600, 3900, -940, "DATE,14");
    w.Region(4100, -120, 7350, -420, "NAME,11");
  }
  const int top = band - 120;
  const int split = 4950;
  // The day's own column: all-day items, then the appointments.
  Caption(w, 150, top, "ALL DAY");
  w.Pen(kRule, 6);
  w.Brush(kShade);
  w.RoundRect(100, top - 180, split - 100, top - 1050, 100);
  w.Region(180, top - 220, split - 180, top - 1010, "TODAY,10");
  const int items = top - 1200;
  Caption(w, 150, items, "APPOINTMENTS");
  Rule(w, 150, items - 180, split - 100, items - 180);
  Rule(w, 1330, items - 180, 1330, kBottom + 100);
  w.Region(150, items - 230, 1280, kBottom + 100, "TIME,10");
  w.Region(1400, items - 230, split - 120, kBottom + 100, "SCHDITEMS,10");
  // The side column: this month and the next, and the to-do list.
  Rule(w, split, band - 100, split, kBottom + 100);
  int todo = top;
  if (!continuation) {
    MiniMonth(w, 5200, top, 7300, "CRNTMTH", "CRNTMTHDAYS", 8);
    MiniMonth(w, 5200, top - 1900, 7300, "NEXTMTH", "NEXTMTHDAYS", 8);
    todo = top - 3850;
  }
  Caption(w, 5150, todo, "TO DO");
  Rule(w, 5150, todo - 180, 7350, todo - 180);
  w.Region(5150, todo - 230, 7350, kBottom + 100, "TODO,9");
  return w.Bytes();
}

std::vector<uint8_t> Weekly() {
  WmfWriter w(-kBottom);
  const int band = -1000;
  Frame(w, band);
  w.Region(150, -60, 4300, -560, "DAYTODAY,22");
  w.Region(150, -580, 4300, -900, "DATETODATE,12");
  w.Region(4500, -120, 7350, -420, "NAME,11");
  static const char* kNames[] = {"MONDAY", "TUESDAY",  "WEDNESDAY", "THURSDAY",
                                 "FRIDAY", "SATURDAY", "SUNDAY"};
  static const char* kLabels[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
  const int top = band - 80, height = ((kBottom + 80) - top) / 4;  // negative: downwards
  for (int i = 0; i < 7; ++i) {
    const int column = i / 4, row = i % 4;
    const int left = column == 0 ? 100 : 3800, right = column == 0 ? 3700 : 7400;
    const int t = top + row * height, b = t + height + 60;
    w.Pen(kRule, 6);
    w.Brush(i >= 5 ? kShade : Rgb(255, 255, 255));
    w.RoundRect(left, t, right, b, 100);
    w.NoPen();
    w.Brush(kBand);
    w.Rect(left + 20, t - 20, right - 20, t - 330);
    Caption(w, left + 560, t - 100, kNames[i]);
    w.Region(left + 60, t - 40, left + 520, t - 320, std::string(kLabels[i]) + ",14");
    w.Region(left + 80, t - 380, right - 80, b + 60, std::string(kLabels[i]) + "SCHED,8");
  }
  // The fourth place of the right column: this month and the next.
  const int t = top + 3 * height;
  MiniMonth(w, 3950, t - 60, 5550, "CRNTMTH", "CRNTMTHDAYS", 7);
  MiniMonth(w, 5750, t - 60, 7250, "NEXTMTH", "NEXTMTHDAYS", 7);
  return w.Bytes();
}

std::vector<uint8_t> Monthly() {
  WmfWriter w(-kBottom);
  const int band = -1300;
  Frame(w, band);
  w.Region(150, -80, 3000, -760, "MONTH,32");
  w.Region(150, -760, 3000, -1200, "YEAR,18");
  w.Region(150, -1210, 3000, -1290, "NAME,6");
  // The months either side, small, in the band.
  auto small = [&](int left, int right, const std::string& heading, const std::string& days) {
    w.Region(left, -80, right, -300, heading + ",8");
    WeekdayLetters(w, left, right, -330);
    w.Region(left, -460, right, -1240, days + ",6");
  };
  small(3500, 5200, "LASTMTH", "LASTMTHDAYS");
  small(5650, 7350, "NEXTMTH", "NEXTMTHDAYS");
  // The weekday strip and the six weeks.
  static const char* kDays[] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                "THURSDAY", "FRIDAY", "SATURDAY"};
  const int strip = band - 260, column = kWidth / 7, row = (strip - kBottom) / 6;
  w.Font(kFace, 7, 700);
  w.TextColor(kNavy);
  w.TextAlign(6);
  for (int i = 0; i < 7; ++i) w.Text(i * column + column / 2, band - 70, kDays[i]);
  w.TextAlign(0);
  w.TextColor(kBlack);
  for (int cell = 0; cell < 42; ++cell) {
    const int left = (cell % 7) * column, top = strip - (cell / 7) * row;
    if (cell % 7 == 0 || cell % 7 == 6) {
      w.NoPen();
      w.Brush(kShade);
      w.Rect(left, top, left + column, top - row);
    }
  }
  w.Pen(kRule, 6);
  for (int i = 1; i < 7; ++i) w.Line(i * column, strip, i * column, kBottom);
  for (int i = 0; i < 6; ++i) w.Line(0, strip - i * row, kWidth, strip - i * row);
  for (int cell = 0; cell < 37; ++cell) {
    const int left = (cell % 7) * column, top = strip - (cell / 7) * row;
    const std::string n = std::to_string(cell + 1);
    w.Region(left + 40, top - 20, left + column - 40, top - 240, "C" + n + ",11");
    w.Region(left + 40, top - 250, left + column - 30, top - row + 30, "SCH" + n);
  }
  return w.Bytes();
}

std::vector<uint8_t> PhoneList() {
  WmfWriter w(-kBottom);
  const int band = -800;
  Frame(w, band);
  w.Region(150, -100, 5000, -560, "TITLE,20");
  w.Region(5200, -100, 7350, -560, "RANGE,16");
  Caption(w, 150, -620, "NAMES AND NUMBERS");
  Rule(w, 3750, band - 120, 3750, kBottom + 500);
  w.Region(150, band - 150, 3600, kBottom + 500, "COL1,9");
  w.Region(3900, band - 150, 7350, kBottom + 500, "COL2,9");
  Rule(w, 150, kBottom + 420, 7350, kBottom + 420);
  w.Region(5200, kBottom + 380, 7350, kBottom + 100, "PAGE,9");
  return w.Bytes();
}

}  // namespace

std::vector<TemplateFile> DrawTemplates() {
  return {{"daily.wmf", Daily(false)},
          {"daily2.wmf", Daily(true)},
          {"weekly.wmf", Weekly()},
          {"monthly.wmf", Monthly()},
          {"phlist.wmf", PhoneList()}};
}

}  // namespace templates
