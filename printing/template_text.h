// Text as the region handlers put it on the page: one line fitted into a
// rectangle, or word-wrapped text measured and drawn down a region.
#pragma once

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <string>

// A text from the data files (Windows-1252) for drawing; stored line breaks
// (a carriage return, with or without its line feed) become line breaks.
QString PrintText(const std::string& fileText);

// One line in the rectangle, vertically centred, with the horizontal
// alignment given; cut at the rectangle's edge.
void DrawLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
              Qt::Alignment horizontal = Qt::AlignLeft);

// The height the text takes word-wrapped (tabs expanded) to the width.
double WrappedHeight(QPainter& painter, const QFont& font, double width, const QString& text);

// Draws the text word-wrapped from the rectangle's top left; answers the
// height it took.
double DrawWrapped(QPainter& painter, const QFont& font, const QRectF& rect, const QString& text);
