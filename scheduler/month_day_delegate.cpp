#include "scheduler/month_day_delegate.h"

#include <QPainter>

#include "scheduler/cell_ground.h"

void MonthDayDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const QRect r = option.rect;
  painter->save();
  PaintCellGround(painter, option, index);
  painter->setFont(option.font);
  painter->setClipRect(r);
  const QString text = index.data(Qt::DisplayRole).toString();
  const QFontMetrics& metrics = option.fontMetrics;
  const int left = r.left() + 2;
  const int width = r.width() - 4;
  // Each line drawn at its baseline as it is: no layout of the cell's text
  // as a whole, and eliding only a line too long for the cell.
  int baseline = r.top() + 1 + metrics.ascent();
  for (qsizetype from = 0; from <= text.size() && baseline - metrics.ascent() < r.bottom();
       baseline += metrics.height()) {
    qsizetype end = text.indexOf('\n', from);
    if (end < 0) end = text.size();
    QString line = text.mid(from, end - from);
    if (metrics.horizontalAdvance(line) > width)
      line = metrics.elidedText(line, Qt::ElideRight, width);
    painter->drawText(QPoint(left, baseline), line);
    from = end + 1;
  }
  painter->restore();
}
