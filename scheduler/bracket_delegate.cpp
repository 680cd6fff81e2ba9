#include "scheduler/bracket_delegate.h"

#include <QPainter>

#include "data/schedule/sched_daylines.h"
#include "scheduler/cell_ground.h"

void BracketDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  const QRect r = option.rect;
  painter->save();
  PaintCellGround(painter, option, index);
  const int bracket = index.data(kBracketRole).toInt();
  const int x = r.left() + 5;
  const int mid = r.center().y();
  if (bracket == kBracketTop) {
    painter->drawLine(x, mid, x + 6, mid);
    painter->drawLine(x, mid, x, r.bottom());
  } else if (bracket == kBracketBar) {
    painter->drawLine(x, r.top(), x, r.bottom());
  } else if (bracket == kBracketBottom) {
    painter->drawLine(x, r.top(), x, mid);
    painter->drawLine(x, mid, x + 6, mid);
  }
  // Most cells of a week are empty; a text is drawn at its baseline as it
  // is.
  const QString text = index.data(Qt::DisplayRole).toString();
  if (!text.isEmpty()) {
    const QFontMetrics& metrics = option.fontMetrics;
    painter->setClipRect(r);
    lines_.Draw(painter, option.font, metrics, text,
                QPoint(r.left() + textIndent_,
                       r.top() + (r.height() - metrics.height()) / 2 + metrics.ascent()),
                r.width() - textIndent_ - 2);
  }
  painter->restore();
}
