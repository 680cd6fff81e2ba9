// The small tooltip a message window hangs on a picture button ("Phone&List"
// on the Take window's "&List"): a quarter of a second after the pointer
// comes to rest over the button it shows beside the pointer, pale yellow in
// a black frame; a click, a key, a focus change or the pointer leaving the
// button takes it away. The button keeps its own behaviour; the tip goes
// with the button.
#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class FlyoutTip : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDelayMs = 250;

  FlyoutTip(QAbstractButton* button, const QString& text);
  ~FlyoutTip() override;

  QString Text() const { return text_; }
  // Whether the pointer is resting over the button and the delay runs.
  bool Waiting() const { return timer_.isActive(); }
  // The end of the delay with the pointer where it is now: the tip shows
  // when the pointer is still over the button.
  void Fire(const QPoint& globalPointer);

  // Where the tip of a size shows for the pointer: 12 pixels right of and
  // below it, moved back by 8 pixels at a time until it lies on the screen.
  static QPoint Place(const QPoint& pointer, const QSize& size, const QRect& screen);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Stop();

  // A QWidget pointer: the tip dies among the button's children, when the
  // button is a button no more.
  QPointer<QWidget> button_;
  QString text_;
  QTimer timer_;
};
