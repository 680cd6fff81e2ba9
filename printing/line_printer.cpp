#include "printing/line_printer.h"

#include <QFontMetricsF>
#include <QPainter>

#include "printing/print_job.h"

namespace {

constexpr char32_t kVertical = 0x2502;
constexpr char32_t kHorizontal = 0x2500;
constexpr char32_t kTopLeft = 0x250C;
constexpr char32_t kTopRight = 0x2510;
constexpr char32_t kBottomLeft = 0x2514;
constexpr char32_t kBottomRight = 0x2518;

bool IsBox(char32_t c) {
  return c == kVertical || c == kHorizontal || c == kTopLeft || c == kTopRight ||
         c == kBottomLeft || c == kBottomRight;
}

}  // namespace

LinePrinter::LinePrinter(PrintJob& job) : job_(job) {
  const QRect page = job_.PageRect();
  const int dpi = job_.Dpi();
  topMargin_ = dpi * 3 / 10;
  font_ = QFont("DejaVu Sans Mono");
  font_.setStyleHint(QFont::Monospace);
  font_.setFixedPitch(true);
  // The largest size up to 10 points at which a full page of lines fits.
  for (int tenths = 100; tenths >= 50; tenths -= 5) {
    font_.setPointSizeF(tenths / 10.0);
    QFontMetricsF m(font_, job_.Painter().device());
    cellWidth_ = m.horizontalAdvance('M');
    charWidth_ = int(cellWidth_ + 0.999);
    lineHeight_ = int(m.lineSpacing() + 0.999);
    ascent_ = int(m.ascent() + 0.5);
    if (charWidth_ * kColumns <= page.width() && topMargin_ + lineHeight_ * kLines <= page.height())
      break;
  }
  left_ = page.left();
  bottom_ = page.bottom();
  job_.Painter().setFont(font_);
}

bool LinePrinter::StartPendingPage() {
  if (!pagePending_) return true;
  pagePending_ = false;
  line_ = 0;
  x_ = 0;
  if (!job_.NewPage()) return false;
  job_.Painter().setFont(font_);
  return true;
}

void LinePrinter::NewLine() {
  ++line_;
  x_ = 0;
  // A page run full goes on to the next without a form feed.
  if (topMargin_ + (line_ + 1) * lineHeight_ > bottom_ + 1) pagePending_ = true;
}

bool LinePrinter::Output(std::string_view text) {
  if (!job_.KeepGoing()) return false;
  const QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
  QString run;
  auto flush = [&] {
    if (!run.isEmpty()) DrawRun(run);
    run.clear();
  };
  for (qsizetype i = 0; i < s.size(); ++i) {
    const QChar c = s[i];
    if (c == '\r') {
      flush();
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
      if (!StartPendingPage()) return false;
      NewLine();
      continue;
    }
    if (c == '\n') {
      flush();
      if (!StartPendingPage()) return false;
      NewLine();
      continue;
    }
    if (c == '\f') {
      flush();
      pagePending_ = true;
      continue;
    }
    if (!StartPendingPage()) return false;
    const char32_t code = c.unicode();
    if (IsBox(code)) {
      flush();
      DrawBox(code);
      ++x_;
    } else {
      if (run.isEmpty()) run.reserve(kColumns);
      run += c;
    }
  }
  flush();
  return job_.KeepGoing();
}

void LinePrinter::DrawRun(const QString& run) {
  QPainter& p = job_.Painter();
  const int y = topMargin_ + line_ * lineHeight_ + ascent_;
  p.drawText(QPointF(left_ + x_ * cellWidth_, y), run);
  x_ += int(run.size());
}

void LinePrinter::DrawBox(char32_t c) {
  QPainter& p = job_.Painter();
  QPen pen(Qt::black);
  pen.setWidth(std::max(1, job_.Dpi() / 75));
  pen.setCapStyle(Qt::SquareCap);
  p.save();
  p.setPen(pen);
  const double x = left_ + x_ * cellWidth_;
  const double y = topMargin_ + line_ * lineHeight_;
  const double cx = x + cellWidth_ / 2;
  const double cy = y + lineHeight_ / 2.0;
  const double right = x + cellWidth_;
  const double below = y + lineHeight_;
  switch (c) {
    case kVertical:
      p.drawLine(QPointF(cx, y), QPointF(cx, below));
      break;
    case kHorizontal:
      p.drawLine(QPointF(x, cy), QPointF(right, cy));
      break;
    case kTopLeft:
      p.drawLine(QPointF(cx, cy), QPointF(right, cy));
      p.drawLine(QPointF(cx, cy), QPointF(cx, below));
      break;
    case kTopRight:
      p.drawLine(QPointF(x, cy), QPointF(cx, cy));
      p.drawLine(QPointF(cx, cy), QPointF(cx, below));
      break;
    case kBottomLeft:
      p.drawLine(QPointF(cx, y), QPointF(cx, cy));
      p.drawLine(QPointF(cx, cy), QPointF(right, cy));
      break;
    case kBottomRight:
      p.drawLine(QPointF(cx, y), QPointF(cx, cy));
      p.drawLine(QPointF(x, cy), QPointF(cx, cy));
      break;
    default:
      break;
  }
  p.restore();
}
