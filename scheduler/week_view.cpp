#include "scheduler/week_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include "data/local_time.h"
#include "data/office/dpmain.h"
#include "scheduler/bracket_delegate.h"
#include "scheduler/scheduler.h"
#include "scheduler/week_model.h"
#include "storage/errors.h"
#include "toolkit/control_id.h"

namespace {

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

  model_ = new WeekModel(this);
  grid_ = new QTableView(this);
  grid_->setModel(model_);
  SetControlId(grid_, kIdGrid);
  grid_->setAccessibleName("Week");
  grid_->verticalHeader()->hide();
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setColumnWidth(0, kTimeWidth);
  grid_->setItemDelegateForColumn(0, new BracketDelegate(grid_, 4));
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
  QItemSelectionModel* selection = grid_->selectionModel();
  connect(selection, &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& at) {
    if (filling_ || !at.isValid()) return;
    if (at.column() >= 1) scheduler_.SetCurrentDay(Week().days[size_t(at.column() - 1)]);
    EnableEntryCommands();
  });
  // A screen reader selects a cell without making it current: the
  // selected cell becomes the current one, as a click makes it.
  connect(selection, &QItemSelectionModel::selectionChanged, this, [this, selection] {
    const QModelIndexList selected = selection->selectedIndexes();
    if (filling_ || selected.size() != 1 || selected[0] == grid_->currentIndex()) return;
    grid_->setCurrentIndex(selected[0]);
  });
  connect(grid_, &QTableView::doubleClicked, this, [this] { EditSelected(); });
  WatchEntryKeys(grid_);
  setMinimumSize(kTimeWidth + 7 * kDayWidth + 40, 560);
}

const WeekView& WeekSchedView::Week() const {
  return model_->Week();
}

WeekCell WeekSchedView::CellOf(int row, int column) const {
  return model_->CellOf(row, column);
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
  filling_ = true;
  model_->SetWeek(std::move(week), grid_->palette().color(QPalette::Disabled, QPalette::Text));
  filling_ = false;
  title_->setText(QString::fromStdString(WeekTitle(Week())));
  const int weekday = ToLocal(day).weekday;
  SelectCell(0, weekday);
  return true;
}

void WeekSchedView::SelectCell(int row, int weekday) {
  if (row < model_->rowCount()) grid_->setCurrentIndex(model_->index(row, weekday + 1));
  scheduler_.SetCurrentDay(Week().days[size_t(weekday)]);
  EnableEntryCommands();
}

int32_t WeekSchedView::SelectedRecord() const {
  const WeekCell cell = CellOf(grid_->currentIndex().row(), grid_->currentIndex().column());
  if (!cell.line) return -1;
  return cell.line->IsEndLine() ? cell.line->endOf : cell.line->key.RecordNumber();
}

void WeekSchedView::SelectRecord(int32_t recordNumber) {
  for (int r = 0; r < model_->rowCount(); ++r) {
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
  const int row = grid_->currentIndex().row();
  const int column = grid_->currentIndex().column();
  if (row < 0 || size_t(row) >= Week().rows.size() || column < 1) return 0;
  if (CellOf(row, column).line) return 0;
  return WeekRowTime(Week(), size_t(row), column - 1);
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
  scheduler_.SetCurrentDay(Week().days[size_t(column - 1)]);
  scheduler_.SwitchView(kViewDay);
}
