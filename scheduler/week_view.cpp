#include "scheduler/week_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "data/local_time.h"
#include "data/office/dpmain.h"
#include "data/schedule/sched_time_text.h"
#include "scheduler/bracket_delegate.h"
#include "scheduler/scheduler.h"
#include "storage/errors.h"
#include "toolkit/control_id.h"
#include "toolkit/record_text.h"

namespace {

const QColor kUntimed(255, 255, 128);
constexpr int kTimeWidth = 75;
constexpr int kDayWidth = 100;
constexpr int kNarrowWidth = 25;

}  // namespace

WeekSchedView::WeekSchedView(Scheduler& scheduler) : SchedView(scheduler, "WEEK_VIEW") {
  setProperty("helpAnchor", "week-view");
  auto* top = new QHBoxLayout;
  auto* back = new QPushButton("<", this);
  SetControlId(back, kIdBack);
  back->setAccessibleName("Previous week");
  back->setAutoDefault(false);
  auto* forward = new QPushButton(">", this);
  SetControlId(forward, kIdForward);
  forward->setAccessibleName("Next week");
  forward->setAutoDefault(false);
  title_ = new QLabel(this);
  SetControlId(title_, kIdTitle);
  top->addWidget(back);
  top->addWidget(title_, 1, Qt::AlignCenter);
  top->addWidget(forward);
  layout_->addLayout(top);
  connect(back, &QPushButton::clicked, this,
          [this] { MoveTo(AddDays(scheduler_.CurrentDay(), -7)); });
  connect(forward, &QPushButton::clicked, this,
          [this] { MoveTo(AddDays(scheduler_.CurrentDay(), 7)); });

  grid_ = new QTableWidget(0, 8, this);
  SetControlId(grid_, kIdGrid);
  grid_->setAccessibleName("Week");
  grid_->verticalHeader()->hide();
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setColumnWidth(0, kTimeWidth);
  for (int d = 1; d <= 7; ++d) grid_->setItemDelegateForColumn(d, new BracketDelegate(grid_));
  // The days share what the window gives beyond the times, so a wider
  // window leaves no empty strip on the right; the window's minimum size
  // keeps each day at least kDayWidth.
  QHeaderView* header = grid_->horizontalHeader();
  header->setMinimumSectionSize(kNarrowWidth);
  header->setSectionResizeMode(0, QHeaderView::Fixed);
  for (int d = 1; d <= 7; ++d) header->setSectionResizeMode(d, QHeaderView::Stretch);
  header->setSectionsClickable(true);
  grid_->verticalHeader()->setDefaultSectionSize(20);
  layout_->addWidget(grid_, 1);
  connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { HeadingClicked(column); });
  connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
    if (filling_ || row < 0) return;
    if (column >= 1) scheduler_.SetCurrentDay(week_.days[size_t(column - 1)]);
    EnableEntryCommands();
  });
  // A screen reader selects a cell without making it current: the
  // selected cell becomes the current one, as a click makes it.
  connect(grid_, &QTableWidget::itemSelectionChanged, this, [this] {
    const QList<QTableWidgetItem*> selected = grid_->selectedItems();
    if (filling_ || selected.size() != 1 || selected[0] == grid_->currentItem()) return;
    grid_->setCurrentItem(selected[0]);
  });
  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { EditSelected(); });
  WatchEntryKeys(grid_);
  setMinimumSize(kTimeWidth + 7 * kDayWidth + 40, 560);
}

WeekCell WeekSchedView::CellOf(int row, int column) const {
  if (row < 0 || size_t(row) >= week_.rows.size() || column < 1 || column > 7) return {};
  return WeekCellAt(week_, size_t(row), column - 1);
}

bool WeekSchedView::Reload() {
  const int32_t day = scheduler_.CurrentDay();
  if (!WeekInRange(day)) return false;
  WeekView week;
  ClearAppError();
  if (!SchedLoadWeek(Table(), day, scheduler_.Owner().number, scheduler_.Options().presets,
                     &week)) {
    ShowError();
    return false;
  }
  week_ = std::move(week);
  filling_ = true;
  grid_->clearContents();
  grid_->setRowCount(int(week_.rows.size()));
  QStringList headings{"Time"};
  for (int d = 0; d < 7; ++d) headings << QString::fromStdString(WeekHeading(week_, d));
  grid_->setHorizontalHeaderLabels(headings);
  const QColor grey = grid_->palette().color(QPalette::Disabled, QPalette::Text);
  for (size_t r = 0; r < week_.rows.size(); ++r) {
    const WeekRow& row = week_.rows[r];
    auto* time = new QTableWidgetItem(QString::fromStdString(WeekRowTimeText(week_, r)).trimmed());
    const bool untimed = row.timeOfDay == 0 && !row.preset;
    if (untimed) time->setBackground(kUntimed);
    if (row.preset) time->setForeground(grey);
    grid_->setItem(int(r), 0, time);
    // The row's wall-clock time is the same on every day: it is said from
    // the row, not worked out again (through the time zone) for each cell.
    const QString said = QString::fromStdString(
        untimed ? std::string("no time")
                : ClockText(row.timeOfDay / 3600, row.timeOfDay / 60 % 60, ClockForm::kList));
    for (int d = 0; d < 7; ++d) {
      const WeekCell cell = WeekCellAt(week_, r, d);
      auto* item = new QTableWidgetItem;
      QString reading = headings[d + 1] + ", " + said;
      if (cell.line) {
        item->setText(FromCp1252(cell.line->description));
        item->setData(kBracketRole, int(cell.line->bracket));
        reading += cell.line->IsEndLine() ? QString(", end of entry")
                                          : ", " + FromCp1252(cell.line->description);
      } else {
        item->setData(kBracketRole, cell.bar ? int(kBracketBar) : 0);
        reading += ", empty";
      }
      item->setData(Qt::AccessibleTextRole, reading);
      if (untimed) item->setBackground(kUntimed);
      grid_->setItem(int(r), d + 1, item);
    }
  }
  filling_ = false;
  title_->setText(QString::fromStdString(WeekTitle(week_)));
  const int weekday = ToLocal(day).weekday;
  SelectCell(0, weekday);
  return true;
}

void WeekSchedView::SelectCell(int row, int weekday) {
  if (row < grid_->rowCount()) grid_->setCurrentCell(row, weekday + 1);
  scheduler_.SetCurrentDay(week_.days[size_t(weekday)]);
  EnableEntryCommands();
}

int32_t WeekSchedView::SelectedRecord() const {
  const WeekCell cell = CellOf(grid_->currentRow(), grid_->currentColumn());
  if (!cell.line) return -1;
  return cell.line->IsEndLine() ? cell.line->endOf : cell.line->key.RecordNumber();
}

void WeekSchedView::SelectRecord(int32_t recordNumber) {
  for (int r = 0; r < grid_->rowCount(); ++r) {
    for (int c = 1; c <= 7; ++c) {
      const WeekCell cell = CellOf(r, c);
      if (cell.line && !cell.line->IsEndLine() && cell.line->key.RecordNumber() == recordNumber) {
        SelectCell(r, c - 1);
        return;
      }
    }
  }
}

int32_t WeekSchedView::SelectedSlotTime() const {
  const int row = grid_->currentRow();
  const int column = grid_->currentColumn();
  if (row < 0 || size_t(row) >= week_.rows.size() || column < 1) return 0;
  if (CellOf(row, column).line) return 0;
  return WeekRowTime(week_, size_t(row), column - 1);
}

void WeekSchedView::HeadingClicked(int column) {
  if (column == 0) {
    narrowWeekend_ = !narrowWeekend_;
    for (int weekend : {1, 7}) {
      grid_->horizontalHeader()->setSectionResizeMode(
          weekend, narrowWeekend_ ? QHeaderView::Fixed : QHeaderView::Stretch);
      if (narrowWeekend_) grid_->setColumnWidth(weekend, kNarrowWidth);
    }
    return;
  }
  scheduler_.SetCurrentDay(week_.days[size_t(column - 1)]);
  scheduler_.SwitchView(kViewDay);
}
