// A button drawn from two bitmaps: one up, one pressed. The bitmaps are
// named by id and looked up through the bitmap source the program sets.
#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <functional>

#include "toolkit/controls/control.h"

using BitmapSource = std::function<QPixmap(int bitmapId)>;
void SetBitmapSource(BitmapSource source);

// The widget: paints the face its binding gives it.
class BitmapButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit BitmapButton(QWidget* parent = nullptr) : QAbstractButton(parent) {}
  void SetFaces(const QPixmap& up, const QPixmap& down);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QPixmap up_, down_;
};

class TOwnerDrawButton : public TControl {
  Q_OBJECT
 public:
  TOwnerDrawButton(int id, int upBitmap, int downBitmap);
  void TransferIn() override {}
  bool TransferOut() override { return true; }
  void HandleNotification(Notification, uint32_t&) override {}

 protected:
  bool Connect(QWidget* widget) override;

 private:
  int up_, down_;
};
