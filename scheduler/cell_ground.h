// The ground and ink of a grid cell the scheduler's own delegates draw:
// the selection's colours when selected, else the cell's background and
// foreground roles over the palette's.
#pragma once

#include <QModelIndex>
#include <QPainter>
#include <QStyleOptionViewItem>

// Fills the cell and sets the painter's pen to its ink.
void PaintCellGround(QPainter* painter, const QStyleOptionViewItem& option,
                     const QModelIndex& index);
