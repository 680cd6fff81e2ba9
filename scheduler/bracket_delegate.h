// Draws the bracket of a day line in the description column: a top
// corner, a bar or a bottom corner as lines 5 units in from the cell's
// left edge, the text 15 units in. The bracket character is the item's
// data under kBracketRole. A column without brackets (the week's times)
// is drawn the same light way with its text nearer the edge.
#pragma once

#include <QStyledItemDelegate>

#include "scheduler/plain_line.h"

constexpr int kBracketRole = Qt::UserRole + 1;

class BracketDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit BracketDelegate(QObject* parent, int textIndent = 15)
      : QStyledItemDelegate(parent), textIndent_(textIndent) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  int textIndent_;
  mutable PlainLinePainter lines_;
};
