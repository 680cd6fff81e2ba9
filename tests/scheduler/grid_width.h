// A day grid in a window widened past its minimum: the width its columns
// take against what its viewport offers, equal when no empty strip is left
// on the right.
#pragma once

#include <QCoreApplication>
#include <QTableView>
#include <utility>

inline std::pair<int, int> ColumnsAgainstViewport(QTableView* grid) {
  QWidget* window = grid->window();
  window->resize(window->minimumWidth() + 300, window->minimumHeight());
  window->show();
  QCoreApplication::processEvents();
  int columns = 0;
  for (int c = 0; c < grid->model()->columnCount(); ++c) columns += grid->columnWidth(c);
  return {columns, grid->viewport()->width()};
}
