#include "printing/phone_pages.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextOption>
#include <cctype>
#include <cmath>

#include "printing/print_job.h"
#include "printing/print_text.h"

namespace {

constexpr int kPageUnitsAcross = 7500;
constexpr int kEntryPoints = 10;
constexpr int kLetterPoints = 20;
constexpr int kLetterRule = 30;
constexpr QRgb kLetterBand = qRgb(230, 230, 230);
// Tabs in entry bodies line values up 600 page units apart.
constexpr int kTabStop = 600;

QString Text(const std::string& cp1252) {
  return QString::fromStdString(Utf8(cp1252));
}

// A body's lines for Qt: its carriage returns as line feeds, the last one
// dropped.
QString BodyText(const std::string& cp1252) {
  QString body = Text(cp1252);
  body.replace('\r', '\n');
  while (body.endsWith('\n')) body.chop(1);
  return body;
}

}  // namespace

PhoneColumns::PhoneColumns(Supplier supplier, double pixelsPerUnit, QFont font)
    : supplier_(std::move(supplier)), pixelsPerUnit_(pixelsPerUnit), font_(std::move(font)) {}

int PhoneColumns::Units(int units) const {
  return int(units * pixelsPerUnit_ / 1000.0 + 0.5);
}

QFont PhoneColumns::Sized(int points, bool bold) const {
  QFont f(font_);
  // SIZE points are SIZE * 1000 / 72 page units high.
  f.setPixelSize(std::max(1, Units(points * 1000 / 72)));
  f.setWeight(bold ? QFont::Bold : QFont::Normal);
  return f;
}

bool PhoneColumns::Next() {
  if (have_) return true;
  ReportLines entry;
  if (!supplier_ || !supplier_(&entry)) return false;
  current_ = entry;
  body_ = BodyText(entry.body);
  continued_ = false;
  have_ = true;
  return true;
}

QTextOption PhoneColumns::Wrapping() const {
  QTextOption option(Qt::AlignLeft | Qt::AlignTop);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  option.setTabStopDistance(Units(kTabStop));
  return option;
}

int PhoneColumns::TextHeight(const QFont& font, const QString& text, int width) const {
  // Measured by the painter that draws it, so measure and drawing agree on
  // every device.
  painter_->setFont(font);
  return int(
      std::ceil(painter_->boundingRect(QRectF(0, 0, width, 1 << 20), text, Wrapping()).height()));
}

PhoneColumns::Fit PhoneColumns::Measure(const QString& body, int width, bool letter) const {
  Fit fit;
  if (letter)
    fit.letterBand = TextHeight(Sized(kLetterPoints, true), "W", width) + Units(kLetterRule);
  fit.heading = TextHeight(Sized(kEntryPoints, true), Text(current_.heading), width);
  if (!body.isEmpty()) fit.body = TextHeight(Sized(kEntryPoints, false), body, width);
  // A little air below each entry.
  fit.body += Units(60);
  return fit;
}

void PhoneColumns::DrawEntry(QPainter& p, const QRect& at, const QString& body, bool letter) {
  int y = at.top();
  if (letter) {
    const QFont f = Sized(kLetterPoints, true);
    const int band = TextHeight(f, "W", at.width());
    const QRect r(at.left(), y, at.width(), band);
    p.fillRect(r, QColor(kLetterBand));
    p.fillRect(QRect(at.left(), y + band, at.width(), Units(kLetterRule)), Qt::black);
    p.setFont(f);
    p.drawText(r, Qt::AlignCenter, QString(QChar(current_.heading[0])).toUpper());
    y += band + Units(kLetterRule);
  }
  const QFont bold = Sized(kEntryPoints, true);
  const QString heading = Text(current_.heading);
  const int headingHeight = TextHeight(bold, heading, at.width());
  p.setFont(bold);
  p.drawText(QRectF(at.left(), y, at.width(), headingHeight), heading, Wrapping());
  y += headingHeight;
  if (!body.isEmpty()) {
    const QFont plain = Sized(kEntryPoints, false);
    const int height = TextHeight(plain, body, at.width());
    p.setFont(plain);
    p.drawText(QRectF(at.left(), y, at.width(), height), body, Wrapping());
  }
}

void PhoneColumns::FillPage(QPainter& p, const PhonePageRegions& regions, bool* more) {
  *more = false;
  painter_ = &p;
  std::string first;
  std::string last;
  const QRect cols[2] = {regions.col1, regions.col2};
  int col = 0;
  int top = cols[0].top();
  bool columnUsed = false;
  while (Next()) {
    const QRect& c = cols[col];
    const unsigned char initial = current_.heading.empty() ? 0 : current_.heading[0];
    const char letter = char(std::toupper(initial));
    const bool heading = !continued_ && letter != previousLetter_ && letter >= 'A' && letter <= 'Z';
    const Fit fit = Measure(body_, c.width(), heading);
    const int room = c.bottom() - top;
    QString drawn = body_;
    if (fit.Total() > room) {
      if (columnUsed) {
        if (col == 1) {
          *more = true;
          break;
        }
        col = 1;
        top = cols[1].top();
        columnUsed = false;
        continue;
      }
      // Not even an empty column holds it: as much of the body as fits,
      // the rest at the top of the next column or page.
      int lo = 0;
      int hi = int(body_.size());
      while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (Measure(body_.left(mid), c.width(), heading).Total() <= room)
          lo = mid;
        else
          hi = mid - 1;
      }
      drawn = body_.left(lo);
    }
    DrawEntry(p, QRect(c.left(), top, c.width(), c.bottom() - top), drawn, heading);
    top += Measure(drawn, c.width(), heading).Total();
    columnUsed = true;
    previousLetter_ = letter;
    if (first.empty()) first = current_.heading;
    last = current_.heading;
    if (drawn.size() < body_.size()) {
      body_ = body_.mid(drawn.size());
      while (body_.startsWith('\n')) body_.remove(0, 1);
      continued_ = true;
      if (col == 1) {
        *more = true;
        break;
      }
      col = 1;
      top = cols[1].top();
      columnUsed = false;
      continue;
    }
    have_ = false;
  }
  if (have_) *more = true;
  range_ = PadLeft(first.substr(0, 3), 3) + "-" + PadLeft(last.substr(0, 3), 3);
  if (!first.empty() && !regions.range.isEmpty()) {
    p.setFont(Sized(regions.rangeSize, false));
    p.drawText(regions.range, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, Text(range_));
  }
}

bool PrintPhoneListPages(PrintJob& job, const std::string& title,
                         const PhoneColumns::Supplier& next) {
  const QRect page = job.PageRect();
  const double perUnit = page.width() * 1000.0 / kPageUnitsAcross;
  auto u = [&](int units) { return int(units * perUnit / 1000.0 + 0.5); };
  QFont face("DejaVu Sans");
  face.setStyleHint(QFont::SansSerif);
  PhoneColumns columns(next, perUnit, face);
  return job.Draw([&](QPainter& p, const std::function<bool()>& newPage) {
    for (int number = 1;; ++number) {
      QFont f(face);
      f.setPixelSize(u(14 * 1000 / 72));
      p.setFont(f);
      const QRect band(0, 0, page.width(), u(400));
      p.drawText(band, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, Text(title));
      p.fillRect(QRect(0, u(420), page.width(), u(15)), Qt::black);
      PhonePageRegions regions;
      regions.range = QRect(u(4500), 0, page.width() - u(4500), u(400));
      regions.rangeSize = 14;
      const int top = u(550);
      const int bottom = page.height() - u(450);
      regions.col1 = QRect(0, top, u(3550), bottom - top);
      regions.col2 = QRect(u(3950), top, page.width() - u(3950), bottom - top);
      bool more = false;
      columns.FillPage(p, regions, &more);
      f.setPixelSize(u(10 * 1000 / 72));
      p.setFont(f);
      p.drawText(QRect(0, page.height() - u(350), page.width(), u(350)),
                 Qt::AlignRight | Qt::AlignBottom | Qt::TextSingleLine,
                 QString("Page %1").arg(number));
      if (!more || !job.KeepGoing()) return job.KeepGoing();
      if (!newPage()) return false;
    }
  });
}
