// The small window beside a list's scroll bar that shows the letter the
// thumb is being dragged to.
#pragma once

#include <QWidget>

class TDBScrollTip : public QWidget {
  Q_OBJECT

 public:
  // x: the bar's right edge, top: the bar's top, track: the usable track
  // length, all in global coordinates.
  TDBScrollTip(int x, int top, int track);

  // Moves to the position (0 to 27) and shows the character.
  void Show(int position, char character);
  char Character() const { return character_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int x_;
  int top_;
  int track_;
  char character_ = ' ';
};

// The character the tip shows at a scroll position: " " at the top, "+" at
// the bottom, "A" to "Z" between.
char ScrollTipCharacter(int position);
