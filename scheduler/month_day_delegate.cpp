#include "scheduler/month_day_delegate.h"

#include <QPainter>

#include "scheduler/cell_ground.h"

void MonthDayDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const QRect r = option.rect;
  painter->save();
  PaintCellGround(painter, option, index);
  painter->setClipRect(r);
  const QString text = index.data(Qt::DisplayRole).toString();
  const QFontMetrics& metrics = option.fontMetrics;
  // Each line drawn at its baseline as it is: no layout of the cell's text
  // as a whole.
  int baseline = r.top() + 1 + metrics.ascent();
  for (qsizetype from = 0; from <= text.size() && baseline - metrics.ascent() < r.bottom();
       baseline += metrics.height()) {
    qsizetype end = text.indexOf('\n', from);
    if (end < 0) end = text.size();
    lines_.Draw(painter, option.font, metrics, text.mid(from, end - from),
                QPoint(r.left() + 2, baseline), r.width() - 4);
    from = end + 1;
  }
  painter->restore();
}
