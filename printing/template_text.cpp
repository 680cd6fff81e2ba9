#include "printing/template_text.h"

#include "data/cp1252.h"

namespace {

constexpr int kWrapFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs;

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
  const QRectF bounds = painter.boundingRect(QRectF(0, 0, width, 1e9), kWrapFlags, text);
  painter.restore();
  return bounds.height();
}

double DrawWrapped(QPainter& painter, const QFont& font, const QRectF& rect, const QString& text) {
  painter.save();
  painter.setFont(font);
  QRectF used;
  painter.drawText(QRectF(rect.left(), rect.top(), rect.width(), 1e9), kWrapFlags, text, &used);
  painter.restore();
  return used.height();
}
