// The two button bars of the main window: "FULLTOOLBAR" across the top of
// the full application (with the centred picture below it), and the
// floating toolbar in its three shapes. Every button carries its command as
// control id and reports a press through the given callback.
#pragma once

#include <QToolButton>
#include <QWidget>
#include <functional>

#include "shell/toolbar_layout.h"

using CommandCallback = std::function<void(int command)>;

// A 40 by 40 button with its picture and the label as tooltip (and as its
// text, which the picture stands for).
QToolButton* MakeBarButton(QWidget* parent, int command, const QString& label,
                           const CommandCallback& onPress);

// The full application's client area: the button bar over the whole width
// and the 271 by 130 picture centred on the screen.
class FullPage : public QWidget {
  Q_OBJECT
 public:
  FullPage(QWidget* parent, const CommandCallback& onPress);
  QWidget* Bar() const { return bar_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QWidget* bar_;
};

// The dialog name of the floating toolbar for a shape: "FLOATTOOLBAR",
// "HFLOATTOOLBAR" or "VFLOATTOOLBAR".
QString FloatToolbarName(int shape);

// The floating toolbar's buttons as the layout places them; its size is
// the layout's.
class FloatToolbar : public QWidget {
  Q_OBJECT
 public:
  FloatToolbar(QWidget* parent, int shape, const ToolbarLayout& layout,
               const CommandCallback& onPress);
};

// One step of a blinking button: lit in the colour ("green" or "red") or,
// with an empty colour, plain. The "blink" property tells which.
void SetButtonLit(QAbstractButton* button, const QString& colour);
