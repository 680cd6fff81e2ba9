#include "toolkit/controls/owner_draw_button.h"

#include <QPainter>

namespace {
BitmapSource& Source() {
  static BitmapSource source;
  return source;
}
}  // namespace

void SetBitmapSource(BitmapSource source) {
  Source() = std::move(source);
}

void BitmapButton::SetFaces(const QPixmap& up, const QPixmap& down) {
  up_ = up;
  down_ = down;
  update();
}

QSize BitmapButton::sizeHint() const {
  return up_.isNull() ? QSize(24, 24) : up_.size();
}

void BitmapButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPixmap& face = isDown() || isChecked() ? down_ : up_;
  if (face.isNull()) {
    p.fillRect(rect(), palette().color(isDown() ? QPalette::Dark : QPalette::Button));
    p.drawText(rect(), Qt::AlignCenter, text());
  } else {
    p.drawPixmap(rect(), face);
  }
  if (hasFocus()) {
    p.setPen(Qt::DotLine);
    p.drawRect(rect().adjusted(2, 2, -3, -3));
  }
}

TOwnerDrawButton::TOwnerDrawButton(int id, int upBitmap, int downBitmap)
    : TControl(id), up_(upBitmap), down_(downBitmap) {}

bool TOwnerDrawButton::Connect(QWidget* widget) {
  auto* b = qobject_cast<BitmapButton*>(widget);
  if (!b) return false;
  if (Source()) b->SetFaces(Source()(up_), Source()(down_));
  return true;
}
