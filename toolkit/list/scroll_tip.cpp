#include "toolkit/list/scroll_tip.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

QFont TipFont() {
  QFont font("Helv");
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

char ScrollTipCharacter(int position) {
  if (position <= 0) return ' ';
  if (position >= 27) return '+';
  return char(64 + position);
}

TDBScrollTip::TDBScrollTip(int x, int top, int track)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint), x_(x), top_(top), track_(track) {
  setFont(TipFont());
  QFontMetrics metrics(font());
  // Wide and high enough for the widest letter.
  setFixedSize(metrics.horizontalAdvance('W') + 7, metrics.height() + 3);
}

void TDBScrollTip::Show(int position, char character) {
  character_ = character;
  move(x_, top_ + track_ * position / 27);
  show();
  update();
}

void TDBScrollTip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::ToolTipBase));
  p.setPen(palette().color(QPalette::ToolTipText));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.drawText(rect(), Qt::AlignCenter, QString(QChar(character_)));
}
