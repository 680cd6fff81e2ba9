#include "scheduler/month_day_delegate.h"

#include <QGlyphRun>
#include <QPainter>

#include "scheduler/cell_ground.h"

namespace {

// Draws a line of Latin text as the font's glyphs side by side, and says
// whether it could: a line the font has no glyph for in places, or one too
// wide, is left to the caller.
bool DrawPlainLine(QPainter* painter, const QRawFont& font, const QString& line, QPointF baseline,
                   qreal width) {
  const QList<quint32> glyphs = font.glyphIndexesForString(line);
  if (glyphs.size() != line.size() || glyphs.contains(0)) return false;
  const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
  QList<QPointF> positions;
  positions.reserve(glyphs.size());
  QPointF at;
  for (const QPointF& advance : advances) {
    positions.push_back(at);
    at += advance;
  }
  if (at.x() > width) return false;
  QGlyphRun run;
  run.setRawFont(font);
  run.setGlyphIndexes(glyphs);
  run.setPositions(positions);
  painter->drawGlyphRun(baseline, run);
  return true;
}

}  // namespace

void MonthDayDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const QRect r = option.rect;
  painter->save();
  PaintCellGround(painter, option, index);
  painter->setFont(option.font);
  painter->setClipRect(r);
  // A month's cells hold Windows-1252 text, which needs no shaping: its
  // glyphs go side by side. Shaping every line of 42 cells would be most of
  // the month's painting.
  if (!plainFont_.isValid() || plainFontOf_ != option.font) {
    plainFont_ = QRawFont::fromFont(option.font);
    plainFontOf_ = option.font;
  }
  const QString text = index.data(Qt::DisplayRole).toString();
  const QFontMetrics& metrics = option.fontMetrics;
  const int left = r.left() + 2;
  const int width = r.width() - 4;
  // Each line drawn at its baseline as it is: no layout of the cell's text
  // as a whole, and eliding only a line too long for the cell.
  int baseline = r.top() + 1 + metrics.ascent();
  for (qsizetype from = 0; from <= text.size() && baseline - metrics.ascent() < r.bottom();
       baseline += metrics.height()) {
    qsizetype end = text.indexOf('\n', from);
    if (end < 0) end = text.size();
    const QString line = text.mid(from, end - from);
    from = end + 1;
    if (DrawPlainLine(painter, plainFont_, line, QPointF(left, baseline), width)) continue;
    painter->drawText(QPoint(left, baseline), metrics.horizontalAdvance(line) > width
                                                  ? metrics.elidedText(line, Qt::ElideRight, width)
                                                  : line);
  }
  painter->restore();
}
