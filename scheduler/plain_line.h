// Draws one line of a schedule cell's text at its baseline. The office's
// texts are Windows-1252, which needs no shaping: the font's glyphs go side
// by side, without shaping the line once to measure it and again to draw
// it, which was most of the painting of a busy week or month. A line the
// font lacks a glyph for, or one too wide for the cell, is drawn by the
// painter as text, elided at the right.
#pragma once

#include <QFont>
#include <QRawFont>

class QFontMetrics;
class QPainter;
class QPoint;
class QString;

class PlainLinePainter {
 public:
  void Draw(QPainter* painter, const QFont& font, const QFontMetrics& metrics, const QString& line,
            QPoint baseline, int width);

 private:
  // The font as glyphs, made once for every line drawn in it.
  QRawFont glyphs_;
  QFont glyphsOf_;
};
