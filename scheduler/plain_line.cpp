#include "scheduler/plain_line.h"

#include <QGlyphRun>
#include <QPainter>

namespace {

// Draws the line as the font's glyphs side by side, and says whether it
// could: not when the font lacks a glyph or the line is wider than width.
bool DrawGlyphs(QPainter* painter, const QRawFont& font, const QString& line, QPointF baseline,
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

void PlainLinePainter::Draw(QPainter* painter, const QFont& font, const QFontMetrics& metrics,
                            const QString& line, QPoint baseline, int width) {
  if (!glyphs_.isValid() || glyphsOf_ != font) {
    glyphs_ = QRawFont::fromFont(font);
    glyphsOf_ = font;
  }
  if (DrawGlyphs(painter, glyphs_, line, baseline, width)) return;
  painter->setFont(font);
  painter->drawText(baseline, metrics.horizontalAdvance(line) > width
                                  ? metrics.elidedText(line, Qt::ElideRight, width)
                                  : line);
}
