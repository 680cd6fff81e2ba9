#include "shell/ui/pictures.h"

#include <QPainter>
#include <QPainterPath>

#include "shell/ui/command_ids.h"

namespace {

constexpr int kPictureSize = 32;

const QColor kInk(40, 40, 60);
const QColor kPaper(250, 248, 235);
const QColor kBlue(40, 90, 170);
const QColor kGreen(30, 150, 60);
const QColor kRed(200, 30, 30);
const QColor kAmber(230, 160, 20);

QPixmap Blank(int w = kPictureSize, int h = kPictureSize) {
  QPixmap pixmap(w, h);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

void Envelope(QPainter& p, const QRectF& r, const QColor& fill) {
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(fill);
  p.drawRect(r);
  QPainterPath flap;
  flap.moveTo(r.topLeft());
  flap.lineTo(r.center().x(), r.top() + r.height() * 0.55);
  flap.lineTo(r.topRight());
  p.drawPath(flap);
}

// A round badge in the corner: the state of the alert at a glance.
void Badge(QPainter& p, const QColor& colour, const QString& mark) {
  p.setPen(QPen(Qt::white, 1.5));
  p.setBrush(colour);
  p.drawEllipse(QRectF(17, 1, 14, 14));
  p.setPen(Qt::white);
  QFont font = p.font();
  font.setBold(true);
  font.setPixelSize(11);
  p.setFont(font);
  p.drawText(QRectF(17, 1, 14, 14), Qt::AlignCenter, mark);
}

void Clock(QPainter& p, const QRectF& r, const QColor& rim) {
  p.setPen(QPen(rim, 2));
  p.setBrush(kPaper);
  p.drawEllipse(r);
  p.setPen(QPen(kInk, 2));
  const QPointF c = r.center();
  p.drawLine(c, c + QPointF(0, -r.height() * 0.32));
  p.drawLine(c, c + QPointF(r.width() * 0.25, 0));
}

void Calendar(QPainter& p) {
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kPaper);
  p.drawRect(QRectF(4, 6, 24, 22));
  p.setBrush(kRed);
  p.drawRect(QRectF(4, 6, 24, 6));
  p.setPen(QPen(kInk, 1));
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 4; ++col) p.drawPoint(QPointF(8 + col * 5.5, 16 + row * 4.5));
}

void Checklist(QPainter& p) {
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kPaper);
  p.drawRect(QRectF(6, 3, 20, 26));
  for (int i = 0; i < 3; ++i) {
    const qreal y = 9 + i * 7;
    p.setPen(QPen(kGreen, 2));
    p.drawLine(QPointF(9, y), QPointF(11, y + 2));
    p.drawLine(QPointF(11, y + 2), QPointF(14, y - 2));
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(16, y), QPointF(23, y));
  }
}

void CardFile(QPainter& p) {
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(QColor(220, 225, 240));
  p.drawRect(QRectF(3, 14, 26, 14));
  p.setBrush(kPaper);
  p.drawRect(QRectF(6, 5, 20, 13));
  p.setPen(QPen(kInk, 1));
  p.drawLine(QPointF(9, 9), QPointF(22, 9));
  p.drawLine(QPointF(9, 13), QPointF(18, 13));
}

void SlipAndPen(QPainter& p) {
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(QColor(255, 240, 160));
  p.drawRect(QRectF(4, 5, 19, 23));
  p.setPen(QPen(kInk, 1));
  for (int i = 0; i < 4; ++i) p.drawLine(QPointF(7, 10 + i * 4), QPointF(19, 10 + i * 4));
  p.setPen(QPen(kBlue, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(28, 6), QPointF(17, 24));
}

void Letter(QPainter& p, const QString& text, const QColor& colour) {
  p.setPen(QPen(colour, 2));
  p.setBrush(kPaper);
  p.drawEllipse(QRectF(3, 3, 26, 26));
  QFont font = p.font();
  font.setBold(true);
  font.setPixelSize(18);
  p.setFont(font);
  p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, text);
}

void SmallBar(QPainter& p) {
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kPaper);
  p.drawRect(QRectF(2, 11, 28, 11));
  p.setBrush(kBlue);
  for (int i = 0; i < 4; ++i) p.drawRect(QRectF(4 + i * 6.5, 13, 5, 7));
}

void FullWindow(QPainter& p) {
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kPaper);
  p.drawRect(QRectF(3, 5, 26, 22));
  p.setBrush(kBlue);
  p.drawRect(QRectF(3, 5, 26, 5));
}

void Door(QPainter& p) {
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(QColor(170, 120, 70));
  p.drawRect(QRectF(6, 4, 14, 24));
  p.setPen(QPen(kRed, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(16, 16), QPointF(29, 16));
  p.drawLine(QPointF(29, 16), QPointF(25, 12));
  p.drawLine(QPointF(29, 16), QPointF(25, 20));
}

}  // namespace

QString IconName(AlertIcon icon) {
  switch (icon) {
    case AlertIcon::kMessage:
      return "ICON_2";
    case AlertIcon::kAlarm:
      return "ICON_3";
    case AlertIcon::kUrgent:
      return "ICON_7";
    default:
      return "ICON_1";
  }
}

QIcon WindowIcon(AlertIcon icon) {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (icon) {
    case AlertIcon::kAlarm:
      Clock(p, QRectF(3, 3, 26, 26), kAmber);
      break;
    case AlertIcon::kMessage:
      Envelope(p, QRectF(2, 9, 26, 18), kPaper);
      Badge(p, kGreen, "1");
      break;
    case AlertIcon::kUrgent:
      Envelope(p, QRectF(2, 9, 26, 18), QColor(255, 220, 220));
      Badge(p, kRed, "!");
      break;
    default:
      Envelope(p, QRectF(2, 9, 26, 18), kPaper);
      break;
  }
  p.end();
  return QIcon(pixmap);
}

QPixmap ButtonPicture(int command, bool urgent) {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (command) {
    case kCmdHelp:
      Letter(p, "?", kBlue);
      break;
    case kCmdTake:
      SlipAndPen(p);
      break;
    case kCmdView:
      Envelope(p, QRectF(3, 8, 26, 18), urgent ? QColor(255, 200, 200) : kPaper);
      if (urgent) Badge(p, kRed, "!");
      break;
    case kCmdPhoneList:
      CardFile(p);
      break;
    case kCmdScheduler:
      Calendar(p);
      break;
    case kCmdTodo:
      Checklist(p);
      break;
    case kCmdToolbar:
      SmallBar(p);
      break;
    case kCmdExit:
      Door(p);
      break;
    case kCmdFull:
      FullWindow(p);
      break;
    default:
      break;
  }
  p.end();
  return pixmap;
}

QPixmap CentrePicture() {
  QPixmap pixmap = Blank(kCentrePictureWidth, kCentrePictureHeight);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kBlue, 2));
  p.setBrush(QColor(235, 240, 250));
  p.drawRoundedRect(QRectF(1, 1, kCentrePictureWidth - 2, kCentrePictureHeight - 2), 10, 10);
  // Three slips on their way between desks.
  for (int i = 0; i < 3; ++i) {
    p.save();
    p.translate(16 + i * 18, 34 + i * 10);
    p.rotate(-12 + i * 8);
    Envelope(p, QRectF(0, 0, 40, 27), i == 2 ? QColor(255, 240, 160) : kPaper);
    p.restore();
  }
  const QRectF text(104, 20, kCentrePictureWidth - 104 - 12, 90);
  QFont font = p.font();
  font.setBold(true);
  font.setPixelSize(26);
  p.setFont(font);
  p.setPen(kBlue);
  p.drawText(QRectF(text.left(), text.top(), text.width(), 40), Qt::AlignLeft | Qt::AlignVCenter,
             "DESKpost");
  font.setBold(false);
  font.setPixelSize(11);
  p.setFont(font);
  p.setPen(kInk);
  p.drawText(QRectF(text.left(), text.top() + 44, text.width(), 46),
             Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
             "Messages, schedules and phone lists for the whole office");
  p.end();
  return pixmap;
}
