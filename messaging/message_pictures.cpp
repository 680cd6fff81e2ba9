#include "messaging/message_pictures.h"

#include <QPainter>
#include <QPainterPath>

#include "storage/records/message.h"

namespace msg = records::message;

QPixmap MarkPixmap(MarkPicture picture) {
  QPixmap p(16, 16);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  switch (picture) {
    case MarkPicture::kTag: {
      // A tick.
      QPen pen(QColor(0, 110, 0), 2.5);
      g.setPen(pen);
      g.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(7, 12), QPointF(13, 3)}));
      break;
    }
    case MarkPicture::kNotViewed:
      // A closed envelope.
      g.setPen(QColor(0, 0, 128));
      g.setBrush(QColor(255, 255, 200));
      g.drawRect(QRectF(1.5, 3.5, 13, 9));
      g.drawPolyline(QPolygonF({QPointF(1.5, 3.5), QPointF(8, 9), QPointF(14.5, 3.5)}));
      break;
    case MarkPicture::kUrgent:
      // A red exclamation mark on white.
      g.setPen(Qt::NoPen);
      g.setBrush(QColor(200, 0, 0));
      g.drawEllipse(QRectF(1, 1, 14, 14));
      g.setBrush(Qt::white);
      g.drawRect(QRectF(7, 3.5, 2, 6.5));
      g.drawRect(QRectF(7, 11, 2, 2));
      break;
  }
  return p;
}

QPixmap KindPixmap(uint8_t kind, int width, int height) {
  QPixmap p(width, height);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  const qreal w = width, h = height;
  switch (kind) {
    case msg::kKindPhone: {
      // A handset.
      QPainterPath path;
      path.moveTo(w * 0.15, h * 0.55);
      path.cubicTo(w * 0.15, h * 0.1, w * 0.85, h * 0.1, w * 0.85, h * 0.55);
      g.setPen(QPen(QColor(40, 40, 40), std::max(2.0, h / 7)));
      g.drawPath(path);
      g.setPen(Qt::NoPen);
      g.setBrush(QColor(40, 40, 40));
      g.drawRect(QRectF(w * 0.08, h * 0.5, w * 0.22, h * 0.3));
      g.drawRect(QRectF(w * 0.7, h * 0.5, w * 0.22, h * 0.3));
      break;
    }
    case msg::kKindMemo:
      // A sheet with lines.
      g.setPen(QColor(60, 60, 60));
      g.setBrush(Qt::white);
      g.drawRect(QRectF(w * 0.2, h * 0.08, w * 0.6, h * 0.84));
      for (int i = 1; i <= 3; ++i)
        g.drawLine(QPointF(w * 0.3, h * (0.1 + 0.2 * i)), QPointF(w * 0.7, h * (0.1 + 0.2 * i)));
      break;
    default:
      // An envelope with an "@".
      g.setPen(QColor(0, 0, 128));
      g.setBrush(QColor(220, 230, 255));
      g.drawRect(QRectF(w * 0.08, h * 0.2, w * 0.84, h * 0.6));
      g.drawPolyline(QPolygonF(
          {QPointF(w * 0.08, h * 0.2), QPointF(w * 0.5, h * 0.55), QPointF(w * 0.92, h * 0.2)}));
      break;
  }
  return p;
}
