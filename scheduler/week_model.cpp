#include "scheduler/week_model.h"

#include "data/local_time.h"
#include "scheduler/bracket_delegate.h"
#include "toolkit/record_text.h"

namespace {

const QColor kUntimed(255, 255, 128);

}  // namespace

void WeekModel::SetWeek(WeekView week, QColor presetInk) {
  beginResetModel();
  week_ = std::move(week);
  presetInk_ = presetInk;
  headings_ = QStringList{"Time"};
  for (int d = 0; d < 7; ++d) headings_ << QString::fromStdString(WeekHeading(week_, d));
  endResetModel();
}

WeekCell WeekModel::CellOf(int row, int column) const {
  if (row < 0 || size_t(row) >= week_.rows.size() || column < 1 || column > 7) return {};
  return WeekCellAt(week_, size_t(row), column - 1);
}

int WeekModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(week_.rows.size());
}

int WeekModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 8;
}

bool WeekModel::Untimed(int row) const {
  const WeekRow& r = week_.rows[size_t(row)];
  return r.timeOfDay == 0 && !r.preset;
}

// The row's wall-clock time is the same on every day: it is said from the
// row, not worked out again (through the time zone) for each cell.
QString WeekModel::RowSaid(int row) const {
  if (Untimed(row)) return "no time";
  const int32_t tod = week_.rows[size_t(row)].timeOfDay;
  return QString::fromStdString(ClockText(tod / 3600, tod / 60 % 60, ClockForm::kList));
}

QString WeekModel::CellReading(int row, int column) const {
  QString reading = headings_.value(column) + ", " + RowSaid(row);
  const WeekCell cell = CellOf(row, column);
  if (!cell.line) return reading + ", empty";
  if (cell.line->IsEndLine()) return reading + ", end of entry";
  return reading + ", " + FromCp1252(cell.line->description);
}

QVariant WeekModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const int row = index.row();
  const int column = index.column();
  if (role == Qt::BackgroundRole) return Untimed(row) ? QVariant(QBrush(kUntimed)) : QVariant();
  if (column == 0) {
    if (role == Qt::DisplayRole)
      return QString::fromStdString(WeekRowTimeText(week_, size_t(row))).trimmed();
    if (role == Qt::ForegroundRole && week_.rows[size_t(row)].preset) return QBrush(presetInk_);
    return {};
  }
  switch (role) {
    case Qt::DisplayRole: {
      const WeekCell cell = CellOf(row, column);
      return cell.line ? FromCp1252(cell.line->description) : QString();
    }
    case kBracketRole: {
      const WeekCell cell = CellOf(row, column);
      return cell.line ? int(cell.line->bracket) : cell.bar ? int(kBracketBar) : 0;
    }
    case Qt::AccessibleTextRole:
      return CellReading(row, column);
    default:
      return {};
  }
}

QVariant WeekModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return headings_.value(section);
}

Qt::ItemFlags WeekModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
