// What a grid's cell or heading holds for a role, read through its model
// as the view and a screen reader read it.
#pragma once

#include <QAbstractItemView>
#include <QString>

inline QString GridCell(const QAbstractItemView* grid, int row, int column,
                        int role = Qt::DisplayRole) {
  return grid->model()->index(row, column).data(role).toString();
}

inline QString GridHeading(const QAbstractItemView* grid, int column) {
  return grid->model()->headerData(column, Qt::Horizontal).toString();
}
