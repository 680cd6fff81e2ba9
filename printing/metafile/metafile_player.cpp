#include "printing/metafile/metafile_player.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <variant>
#include <vector>

#include "data/cp1252.h"
#include "printing/template_font.h"

namespace {

constexpr double kTemplateWidth = 7500.0;

QColor ColorOf(uint32_t colorRef) {
  return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

// The window of the template and where it lands on the page.
struct Mapping {
  bool placeable = false;
  QRectF page;
  double orgX = 0, orgY = 0;
  double extX = 1, extY = 1;

  double Scale() const {
    if (!placeable) return page.width() / kTemplateWidth;
    return std::min(page.width() / std::abs(extX), page.height() / std::abs(extY));
  }
  QPointF Map(int x, int y) const {
    const double s = Scale();
    if (!placeable) return {page.left() + (x - orgX) * s, page.top() - (y - orgY) * s};
    return {page.left() + (x - orgX) * s * (extX < 0 ? -1 : 1),
            page.top() + (y - orgY) * s * (extY < 0 ? -1 : 1)};
  }
  QRectF Rect(wmf::Point a, wmf::Point b) const {
    return QRectF(Map(a.x, a.y), Map(b.x, b.y)).normalized();
  }
  double Length(int n) const { return std::abs(n) * Scale(); }
};

using Object = std::variant<std::monostate, wmf::Pen, wmf::Brush, wmf::Font>;

struct State {
  Mapping mapping;
  wmf::Pen pen{0, 0, 0};
  wmf::Brush brush{0, 0xFFFFFF};
  wmf::Font font;
  uint32_t textColor = 0;
  int textAlign = 0;
  int fillMode = 1;
  QPointF position;
};

class Player {
 public:
  Player(QPainter& painter, const QRectF& page, const wmf::Metafile& file)
      : painter_(painter), file_(file), objects_(static_cast<size_t>(file.objectSlots)) {
    Mapping& m = state_.mapping;
    m.page = page;
    m.placeable = file.placeable;
    if (file.placeable) {
      m.orgX = file.left;
      m.orgY = file.top;
      m.extX = file.right - file.left;
      m.extY = file.bottom - file.top;
    }
  }

  const Mapping& mapping() const { return state_.mapping; }

  void Play(const wmf::Record& r) {
    switch (r.op) {
      case wmf::Op::kSetWindowOrg:
        state_.mapping.orgX = r.a.x;
        state_.mapping.orgY = r.a.y;
        break;
      case wmf::Op::kSetWindowExt:
        // A plain template is always drawn at the page's own scale.
        if (file_.placeable && r.a.x != 0 && r.a.y != 0) {
          state_.mapping.extX = r.a.x;
          state_.mapping.extY = r.a.y;
        }
        break;
      case wmf::Op::kSetTextAlign:
        state_.textAlign = r.value;
        break;
      case wmf::Op::kSetPolyFillMode:
        state_.fillMode = r.value;
        break;
      case wmf::Op::kSetTextColor:
        state_.textColor = r.color;
        break;
      case wmf::Op::kCreatePen:
        objects_[Slot(r)] = r.pen;
        break;
      case wmf::Op::kCreateBrush:
        objects_[Slot(r)] = r.brush;
        break;
      case wmf::Op::kCreateFont:
        objects_[Slot(r)] = r.font;
        if (!r.font.face.empty()) OfferTemplateFont(r.font);
        break;
      case wmf::Op::kCreateOther:
      case wmf::Op::kDeleteObject:
        objects_[Slot(r)] = std::monostate();
        break;
      case wmf::Op::kSelectObject:
        Select(objects_[Slot(r)]);
        break;
      case wmf::Op::kSaveDc:
        saved_.push_back(state_);
        break;
      case wmf::Op::kRestoreDc:
        Restore(r.value);
        break;
      case wmf::Op::kMoveTo:
        state_.position = Map(r.a);
        break;
      case wmf::Op::kLineTo: {
        const QPointF to = Map(r.a);
        UsePen(false);
        painter_.drawLine(state_.position, to);
        state_.position = to;
        break;
      }
      case wmf::Op::kPolyline:
        UsePen(false);
        painter_.drawPolyline(Polygon(r.points, 0, r.points.size()));
        break;
      case wmf::Op::kPolygon:
        UsePen(true);
        painter_.drawPolygon(Polygon(r.points, 0, r.points.size()), FillRule());
        break;
      case wmf::Op::kPolyPolygon: {
        UsePen(true);
        QPainterPath path;
        path.setFillRule(FillRule());
        size_t at = 0;
        for (int n : r.parts) {
          path.addPolygon(Polygon(r.points, at, static_cast<size_t>(n)));
          path.closeSubpath();
          at += static_cast<size_t>(n);
        }
        painter_.drawPath(path);
        break;
      }
      case wmf::Op::kRectangle:
        UsePen(true);
        painter_.drawRect(state_.mapping.Rect(r.a, r.b));
        break;
      case wmf::Op::kRoundRect:
        UsePen(true);
        painter_.drawRoundedRect(state_.mapping.Rect(r.a, r.b), state_.mapping.Length(r.c.x) / 2,
                                 state_.mapping.Length(r.c.y) / 2);
        break;
      case wmf::Op::kEllipse:
        UsePen(true);
        painter_.drawEllipse(state_.mapping.Rect(r.a, r.b));
        break;
      case wmf::Op::kText:
        Text(r);
        break;
      default:
        break;
    }
  }

 private:
  size_t Slot(const wmf::Record& r) const { return static_cast<size_t>(r.value); }
  QPointF Map(wmf::Point p) const { return state_.mapping.Map(p.x, p.y); }

  QPolygonF Polygon(const std::vector<wmf::Point>& points, size_t from, size_t n) const {
    QPolygonF polygon;
    for (size_t i = from; i < from + n && i < points.size(); ++i) polygon << Map(points[i]);
    return polygon;
  }

  Qt::FillRule FillRule() const { return state_.fillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill; }

  void Select(const Object& object) {
    if (const auto* pen = std::get_if<wmf::Pen>(&object)) state_.pen = *pen;
    if (const auto* brush = std::get_if<wmf::Brush>(&object)) state_.brush = *brush;
    if (const auto* font = std::get_if<wmf::Font>(&object)) state_.font = *font;
  }

  void Restore(int level) {
    const long keep =
        level < 0 ? static_cast<long>(saved_.size()) + level : static_cast<long>(level) - 1;
    if (keep < 0 || keep >= static_cast<long>(saved_.size())) return;
    state_ = saved_[static_cast<size_t>(keep)];
    saved_.resize(static_cast<size_t>(keep));
  }

  void UsePen(bool filled) {
    const wmf::Pen& p = state_.pen;
    if (p.style == wmf::kPenNull) {
      painter_.setPen(Qt::NoPen);
    } else {
      static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                                 Qt::DashDotLine, Qt::DashDotDotLine};
      QPen pen(ColorOf(p.color));
      pen.setStyle(p.style < 5 ? kStyles[p.style] : Qt::SolidLine);
      // Width 0 is the thinnest line the device draws.
      pen.setWidthF(p.width == 0 ? 0.0 : state_.mapping.Length(p.width));
      pen.setCapStyle(Qt::FlatCap);
      pen.setJoinStyle(Qt::MiterJoin);
      painter_.setPen(pen);
    }
    const wmf::Brush& b = state_.brush;
    if (!filled || b.style == wmf::kBrushNull) {
      painter_.setBrush(Qt::NoBrush);
    } else {
      painter_.setBrush(
          QBrush(ColorOf(b.color), b.style == 2 ? Qt::BDiagPattern : Qt::SolidPattern));
    }
  }

  void Text(const wmf::Record& r) {
    const QString text = QString::fromStdString(Cp1252ToUtf8(r.text));
    const wmf::Font& f = state_.font;
    QFont font = FontOfFace(f.face);
    font.setPixelSize(std::max(
        1, static_cast<int>(std::lround(state_.mapping.Length(f.height ? f.height : 12)))));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight ? f.weight : 400, 100, 900)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    painter_.setFont(font);
    painter_.setPen(ColorOf(state_.textColor));
    const QFontMetricsF metrics(font, painter_.device());
    const bool updateCp = state_.textAlign & 1;
    QPointF at = updateCp ? state_.position : Map(r.a);
    const double width = metrics.horizontalAdvance(text);
    const int horizontal = state_.textAlign & 6;  // 0 left, 2 right, 6 centre
    double x = at.x() - (horizontal == 2 ? width : horizontal == 6 ? width / 2 : 0);
    const int vertical = state_.textAlign & 24;  // 0 top, 8 bottom, 24 baseline
    double y = at.y() + (vertical == 0 ? metrics.ascent() : vertical == 8 ? -metrics.descent() : 0);
    painter_.drawText(QPointF(x, y), text);
    if (updateCp) state_.position = QPointF(at.x() + width, at.y());
  }

  QPainter& painter_;
  const wmf::Metafile& file_;
  std::vector<Object> objects_;
  State state_;
  std::vector<State> saved_;
};

}  // namespace

double TemplateUnit(const QRectF& page) {
  return page.width() / kTemplateWidth;
}

PlayResult PlayTemplate(QPainter& painter, const QRectF& page, const wmf::Metafile& file,
                        const wmf::TemplateLayout& layout, const LabelFiller& fill) {
  Player player(painter, page, file);
  painter.save();
  painter.setBackgroundMode(Qt::TransparentMode);
  PlayResult result;
  for (const wmf::Step& step : layout.steps) {
    if (step.kind == wmf::Step::kStop) {
      result = {false, step.message};
      break;
    }
    if (step.kind == wmf::Step::kDraw) {
      player.Play(file.records[step.record]);
      continue;
    }
    const wmf::Region& g = step.region;
    const QRectF region =
        QRectF(player.mapping().Map(g.x1, g.y1), player.mapping().Map(g.x2, g.y2)).normalized();
    painter.save();
    // Handlers start from plain black ink, whatever the drawing left set.
    painter.setPen(QPen(Qt::black));
    painter.setBrush(Qt::NoBrush);
    std::string message;
    const bool ok = fill(step, region, &message);
    painter.restore();
    if (!ok) {
      result = {false, message};
      break;
    }
  }
  painter.restore();
  return result;
}
