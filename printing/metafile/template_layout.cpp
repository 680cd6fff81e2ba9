#include "printing/metafile/template_layout.h"

#include <algorithm>
#include <cstdlib>

namespace wmf {
namespace {

constexpr char kRegionError[] = "Error in metafile region.";
constexpr char kFileError[] = "Error in file.";
constexpr char kNoRegion[] = "Could not find region boundary.";

// A plain template's rectangle: exactly five points, the first and third
// opposite corners.
bool PlainRegion(const std::vector<Point>& p, Region* r) {
  if (p.size() != 5) return false;
  *r = {p[0].x, p[0].y, p[2].x, p[2].y};
  return true;
}

// A drawing program's rectangle: closed, every side along an axis, at least
// five points; its bounding rectangle.
bool DrawnRegion(const std::vector<Point>& p, Region* r) {
  if (p.size() < 5) return false;
  if (p.front().x != p.back().x || p.front().y != p.back().y) return false;
  for (size_t i = 1; i < p.size(); ++i) {
    if (p[i].x != p[i - 1].x && p[i].y != p[i - 1].y) return false;
  }
  int left = p[0].x, right = p[0].x, top = p[0].y, bottom = p[0].y;
  for (const Point& q : p) {
    left = std::min(left, q.x);
    right = std::max(right, q.x);
    top = std::min(top, q.y);
    bottom = std::max(bottom, q.y);
  }
  if (left == right || top == bottom) return false;
  *r = {left, top, right, bottom};
  return true;
}

// Splits "NAME,SIZE" at the first comma; SIZE is read as C's atoi does.
void SplitLabel(const std::string& label, Step* step) {
  const size_t comma = label.find(',');
  step->name = label.substr(0, comma);
  step->size = comma == std::string::npos ? 0 : std::atoi(label.c_str() + comma + 1);
}

// Whether the marker pen is the one drawing. A plain template's first pass
// has always gone by the pen most recently created; a drawing program
// creates its pens ahead, selects them later and restores saved states, so
// there the selected pen counts.
class MarkerTracker {
 public:
  explicit MarkerTracker(const Metafile& file)
      : placeable_(file.placeable), slots_(static_cast<size_t>(file.objectSlots), kNotPen) {}

  bool Update(const Record& r) {
    switch (r.op) {
      case Op::kCreatePen:
        slots_[static_cast<size_t>(r.value)] = IsMarkerPen(r.pen) ? kMarker : kOtherPen;
        if (!placeable_) marker_ = IsMarkerPen(r.pen);
        break;
      case Op::kCreateBrush:
      case Op::kCreateFont:
      case Op::kCreateOther:
      case Op::kDeleteObject:
        slots_[static_cast<size_t>(r.value)] = kNotPen;
        break;
      case Op::kSelectObject:
        if (placeable_ && slots_[static_cast<size_t>(r.value)] != kNotPen)
          marker_ = slots_[static_cast<size_t>(r.value)] == kMarker;
        break;
      case Op::kSaveDc:
        if (placeable_) saved_.push_back(marker_);
        break;
      case Op::kRestoreDc:
        if (placeable_) Restore(r.value);
        break;
      default:
        break;
    }
    return marker_;
  }

 private:
  enum Slot { kNotPen, kOtherPen, kMarker };
  // A negative level counts back from the last save; a positive one names
  // the save by its number from the first.
  void Restore(int level) {
    const long keep =
        level < 0 ? static_cast<long>(saved_.size()) + level : static_cast<long>(level) - 1;
    if (keep < 0 || keep >= static_cast<long>(saved_.size())) return;
    marker_ = saved_[static_cast<size_t>(keep)];
    saved_.resize(static_cast<size_t>(keep));
  }
  bool placeable_;
  bool marker_ = false;
  std::vector<Slot> slots_;
  std::vector<bool> saved_;
};

class Layouter {
 public:
  explicit Layouter(const Metafile& file) : file_(file) {}

  TemplateLayout Run() {
    if (!CollectRegions()) return std::move(layout_);
    free_ = layout_.regions;
    PairLabels();
    return std::move(layout_);
  }

 private:
  // First pass: the rectangles drawn with the marker pen.
  bool CollectRegions() {
    MarkerTracker tracker(file_);
    for (const Record& r : file_.records) {
      const bool marker = tracker.Update(r);
      if (r.op == Op::kPolyline && marker) {
        Region region;
        const bool ok =
            file_.placeable ? DrawnRegion(r.points, &region) : PlainRegion(r.points, &region);
        if (!ok) {
          Stop(kRegionError);
          return false;
        }
        // Rectangles past the hundredth are drawn as ordinary lines would
        // be: hidden, but serving no label.
        if (layout_.regions.size() < kMaxRegions) layout_.regions.push_back(region);
      }
    }
    return true;
  }

  // Second pass: every record to draw, and the labels in their places.
  void PairLabels() {
    MarkerTracker tracker(file_);
    bool inLabel = false;
    std::string label;
    int labelX = 0, labelY = 0;
    for (size_t i = 0; i < file_.records.size(); ++i) {
      const Record& r = file_.records[i];
      const bool marker = tracker.Update(r);
      if (r.op == Op::kPolyline && marker) continue;  // a region, never printed
      if (r.op != Op::kText || r.text.empty()) {
        Draw(i);
        continue;
      }
      const char first = r.text[0];
      if (!inLabel) {
        if (first != '~') {
          Draw(i);
          continue;
        }
        labelX = r.a.x;
        labelY = r.a.y;
        const size_t close = r.text.find('^', 1);
        if (close != std::string::npos) {
          // The whole label in one record; what follows the "^" is dropped
          // with it.
          const std::string whole = r.text.substr(1, close - 1);
          if (whole.find('~') != std::string::npos) return Stop(kFileError);
          if (!Label(whole, labelX, labelY)) return;
          continue;
        }
        inLabel = true;
        label.clear();
        // One character a record: this record's other characters, if any,
        // do not count.
        continue;
      }
      if (first == '~') return Stop(kFileError);
      if (first == '^') {
        inLabel = false;
        if (!Label(label, labelX, labelY)) return;
        continue;
      }
      label.push_back(first);
    }
  }

  bool Label(const std::string& text, int x, int y) {
    auto it =
        std::find_if(free_.begin(), free_.end(), [&](const Region& r) { return r.Holds(x, y); });
    if (it == free_.end()) {
      Stop(kNoRegion);
      return false;
    }
    Step step;
    step.kind = Step::kLabel;
    step.region = *it;
    SplitLabel(text, &step);
    free_.erase(it);
    layout_.steps.push_back(std::move(step));
    return true;
  }

  void Draw(size_t record) {
    Step step;
    step.record = record;
    layout_.steps.push_back(std::move(step));
  }

  void Stop(const char* message) {
    Step step;
    step.kind = Step::kStop;
    step.message = message;
    layout_.steps.push_back(std::move(step));
  }

  const Metafile& file_;
  TemplateLayout layout_;
  std::vector<Region> free_;
};

}  // namespace

bool Region::Holds(int x, int y) const {
  return std::min(x1, x2) < x && x < std::max(x1, x2) && std::min(y1, y2) < y &&
         y < std::max(y1, y2);
}

bool IsMarkerPen(const Pen& pen) {
  const int red = pen.color & 0xFF;
  const int green = (pen.color >> 8) & 0xFF;
  return pen.width == 0 && red == 255 && green == 0;
}

TemplateLayout LayOutTemplate(const Metafile& file) {
  return Layouter(file).Run();
}

}  // namespace wmf
