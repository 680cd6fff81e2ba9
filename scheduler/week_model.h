// The week grid's cells, read from the loaded week when the view paints or
// a screen reader asks: a week of 50 rows has 400 cells, and the view
// shows only some of them. Column 0 is the time of the row, columns 1 to
// 7 Sunday to Saturday.
#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include "data/schedule/sched_calendar.h"

class WeekModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;

  // The week the cells come from. Preset rows, which hold no line, show
  // their time in presetInk.
  void SetWeek(WeekView week, QColor presetInk);
  const WeekView& Week() const { return week_; }
  WeekCell CellOf(int row, int column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  bool Untimed(int row) const;
  QString RowSaid(int row) const;
  QString CellReading(int row, int column) const;

  WeekView week_;
  QColor presetInk_;
  QStringList headings_;
};
