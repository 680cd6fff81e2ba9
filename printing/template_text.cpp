#include "printing/template_text.h"

#include <QTextOption>

#include "data/cp1252.h"

namespace {

// Tabs become blanks up to the next multiple of eight characters of their
// line, so "Phone1:\t\t555-0100" and "Fax:\t\t555-0199" line up near enough
// in any type.
QString ExpandTabs(const QString& text) {
  QString out;
  int column = 0;
  for (const QChar c : text) {
    if (c == '\t') {
      do out += ' ', ++column;
      while (column % 8 != 0);
    } else {
      out += c;
      column = c == '\n' ? 0 : column + 1;
    }
  }
  return out;
}

// Word-wrapped from the top left.
QTextOption WrapOption() {
  QTextOption option(Qt::AlignLeft | Qt::AlignTop);
  option.setWrapMode(QTextOption::WordWrap);
  return option;
}

}  // namespace

QString PrintText(const std::string& fileText) {
  QString text = QString::fromStdString(Cp1252ToUtf8(fileText));
  text.replace("\r\n", "\n");
  text.replace('\r', '\n');
  return text;
}

void DrawLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
              Qt::Alignment horizontal) {
  painter.save();
  painter.setFont(font);
  painter.setClipRect(rect, Qt::IntersectClip);
  painter.drawText(rect, static_cast<int>(horizontal | Qt::AlignVCenter | Qt::TextSingleLine),
                   text);
  painter.restore();
}

double WrappedHeight(QPainter& painter, const QFont& font, double width, const QString& text) {
  painter.save();
  painter.setFont(font);
  const QRectF bounds =
      painter.boundingRect(QRectF(0, 0, width, 1e9), ExpandTabs(text), WrapOption());
  painter.restore();
  return bounds.height();
}

double DrawWrapped(QPainter& painter, const QFont& font, const QRectF& rect, const QString& text) {
  painter.save();
  painter.setFont(font);
  const QRectF area(rect.left(), rect.top(), rect.width(), 1e9);
  const QString shown = ExpandTabs(text);
  painter.drawText(area, shown, WrapOption());
  const double height = painter.boundingRect(area, shown, WrapOption()).height();
  painter.restore();
  return height;
}
