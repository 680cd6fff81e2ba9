// Draws a day of the month view: the day's number and its entries, a line
// each from the top of the cell, as many as the cell has room for. A busy
// day holds more entries than a cell shows; those below the cell's edge
// are never laid out.
#pragma once

#include <QFont>
#include <QRawFont>
#include <QStyledItemDelegate>

class MonthDayDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  // The cells' font as glyphs, made once for every cell painted in it.
  mutable QRawFont plainFont_;
  mutable QFont plainFontOf_;
};
