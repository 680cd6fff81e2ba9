#include "messaging/flyout_tip.h"

#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

// The text on one line, without the "&" of a shortcut.
QString Shown(const QString& text) {
  QString shown = text;
  shown.replace("&&", QString(QChar(0x1)));
  shown.remove('&');
  shown.replace(QChar(0x1), "&");
  return shown;
}

}  // namespace

FlyoutTip::FlyoutTip(QAbstractButton* button, const QString& text)
    : QWidget(button, Qt::ToolTip | Qt::FramelessWindowHint), button_(button), text_(text) {
  QFont small = font();
  small.setPointSize(8);
  setFont(small);
  const QSize textSize = fontMetrics().size(Qt::TextSingleLine, Shown(text_));
  setFixedSize(textSize + QSize(14, 14));
  timer_.setSingleShot(true);
  timer_.setInterval(kDelayMs);
  connect(&timer_, &QTimer::timeout, this, [this] { Fire(QCursor::pos()); });
  button->setMouseTracking(true);
  button->installEventFilter(this);
  hide();
}

FlyoutTip::~FlyoutTip() {
  if (button_) button_->removeEventFilter(this);
}

void FlyoutTip::Stop() {
  timer_.stop();
  hide();
}

void FlyoutTip::Fire(const QPoint& globalPointer) {
  timer_.stop();
  if (!button_ || !button_->isVisible()) return;
  if (!button_->rect().contains(button_->mapFromGlobal(globalPointer))) return;
  const QScreen* screen = button_->screen();
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  move(Place(globalPointer, size(), area));
  show();
}

QPoint FlyoutTip::Place(const QPoint& pointer, const QSize& size, const QRect& screen) {
  QPoint at = pointer + QPoint(12, 12);
  while (at.x() + size.width() > screen.right() + 1 && at.x() - 8 >= screen.left()) at.rx() -= 8;
  while (at.y() + size.height() > screen.bottom() + 1 && at.y() - 8 >= screen.top()) at.ry() -= 8;
  return at;
}

bool FlyoutTip::eventFilter(QObject* watched, QEvent* event) {
  if (watched == button_) {
    switch (event->type()) {
      case QEvent::MouseMove:
        if (!(static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton)) {
          hide();
          timer_.start();
        }
        break;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::FocusIn:
      case QEvent::FocusOut:
      case QEvent::Leave:
      case QEvent::Hide:
        Stop();
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FlyoutTip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(255, 255, 224));
  p.setPen(Qt::black);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.drawText(rect().adjusted(2, 0, 0, 0), Qt::AlignCenter | Qt::TextSingleLine, Shown(text_));
}
