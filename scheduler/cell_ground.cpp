#include "scheduler/cell_ground.h"

void PaintCellGround(QPainter* painter, const QStyleOptionViewItem& option,
                     const QModelIndex& index) {
  const bool selected = option.state & QStyle::State_Selected;
  if (selected) {
    painter->fillRect(option.rect, option.palette.highlight());
  } else if (const QVariant ground = index.data(Qt::BackgroundRole); ground.canConvert<QBrush>()) {
    painter->fillRect(option.rect, ground.value<QBrush>());
  }
  QColor ink = option.palette.text().color();
  if (const QVariant fore = index.data(Qt::ForegroundRole); fore.canConvert<QBrush>())
    ink = fore.value<QBrush>().color();
  if (selected) ink = option.palette.highlightedText().color();
  painter->setPen(ink);
}
