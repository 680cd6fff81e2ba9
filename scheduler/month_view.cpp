#include "scheduler/month_view.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "data/local_time.h"
#include "data/office/dpmain.h"
#include "data/schedule/sched_time_text.h"
#include "scheduler/month_day_delegate.h"
#include "scheduler/scheduler.h"
#include "storage/errors.h"
#include "toolkit/control_id.h"
#include "toolkit/record_text.h"

namespace {

constexpr int kDayWidth = 110;
constexpr int kWeekHeight = 84;
const QColor kToday(255, 0, 0);
const QColor kOtherDay(0, 0, 128);
const QColor kShade(224, 224, 224);

}  // namespace

MonthSchedView::MonthSchedView(Scheduler& scheduler) : SchedView(scheduler, "MONTH_VIEW") {
  setProperty("helpAnchor", "month-view");
  auto* top = new QHBoxLayout;
  auto* back = new QPushButton("<", this);
  SetControlId(back, kIdBack);
  back->setAccessibleName("Previous month");
  back->setAutoDefault(false);
  auto* forward = new QPushButton(">", this);
  SetControlId(forward, kIdForward);
  forward->setAccessibleName("Next month");
  forward->setAutoDefault(false);
  title_ = new QLabel(this);
  SetControlId(title_, kIdTitle);
  top->addWidget(back);
  top->addWidget(title_, 1, Qt::AlignCenter);
  top->addWidget(forward);
  layout_->addLayout(top);
  connect(back, &QPushButton::clicked, this, [this] {
    const LocalTime t = ToLocal(scheduler_.CurrentDay());
    MoveTo(FromLocal(t.year, t.month - 1, 1));
  });
  connect(forward, &QPushButton::clicked, this, [this] {
    const LocalTime t = ToLocal(scheduler_.CurrentDay());
    MoveTo(FromLocal(t.year, t.month + 1, 1));
  });

  grid_ = new QTableWidget(6, 7, this);
  SetControlId(grid_, kIdGrid);
  grid_->setAccessibleName("Month");
  grid_->setHorizontalHeaderLabels({"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"});
  grid_->verticalHeader()->hide();
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->horizontalHeader()->setDefaultSectionSize(kDayWidth);
  // The days share a wider window's width; the minimum size keeps kDayWidth.
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  grid_->verticalHeader()->setDefaultSectionSize(kWeekHeight);
  grid_->setItemDelegate(new MonthDayDelegate(grid_));
  QFont small = grid_->font();
  small.setPointSize(7);
  grid_->setFont(small);
  layout_->addWidget(grid_, 1);
  connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
    if (filling_ || row < 0) return;
    const int32_t day = month_.calendar.DayOfCell(row * 7 + column);
    if (day != 0) scheduler_.SetCurrentDay(day);
  });
  connect(grid_, &QTableWidget::cellDoubleClicked, this,
          [this] { scheduler_.SwitchView(kViewDay); });
  WatchEntryKeys(grid_);
  // "&Edit" shows the day.
  disconnect(buttons_[kIdEdit], nullptr, this, nullptr);
  connect(buttons_[kIdEdit], &QPushButton::clicked, this,
          [this] { scheduler_.SwitchView(kViewDay); });
  setMinimumSize(7 * kDayWidth + 40, 6 * kWeekHeight + 120);
}

QStringList MonthSchedView::EntryTexts(int dayOfMonth) const {
  QStringList texts;
  for (const DayLine& line : month_.days[size_t(dayOfMonth)])
    texts << FromCp1252(MonthEntryText(line));
  return texts;
}

QString MonthSchedView::CellText(int cell) const {
  return CellText(cell, EntryTexts(month_.calendar.cells[size_t(cell)].day));
}

QString MonthSchedView::CellText(int cell, const QStringList& entries) const {
  const CalendarCell& c = month_.calendar.cells[size_t(cell)];
  if (c.day == 0) return QString();
  QString text = c.mark == kMarkToday ? QString("%1* ").arg(c.day) : QString("%1 ").arg(c.day);
  for (const QString& entry : entries) text += "\n" + entry;
  return text;
}

bool MonthSchedView::Reload() {
  const int32_t day = scheduler_.CurrentDay();
  if (!MonthInRange(day)) return false;
  MonthView month;
  ClearAppError();
  if (!SchedLoadMonth(Table(), day, scheduler_.Owner().number, &month)) {
    ShowError();
    return false;
  }
  month_ = std::move(month);
  filling_ = true;
  grid_->clearContents();
  for (int cell = 0; cell < kCalendarCells; ++cell) {
    const CalendarCell& c = month_.calendar.cells[size_t(cell)];
    // A day's entries are put in words once, for the cell and its reading.
    const QStringList entries = EntryTexts(c.day);
    auto* item = new QTableWidgetItem(CellText(cell, entries));
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (c.day == 0) {
      item->setFlags(Qt::NoItemFlags);
      if (!scheduler_.Options().noShading) item->setBackground(kShade);
    } else {
      item->setForeground(c.mark == kMarkToday ? kToday : kOtherDay);
      // The cell says its date: its column is its weekday.
      QString reading = QString("%1, %2 %3, %4")
                            .arg(WeekdayName(cell % 7), MonthName(month_.calendar.month))
                            .arg(c.day)
                            .arg(month_.calendar.year);
      if (c.mark == kMarkToday) reading += ", today";
      for (const QString& entry : entries) reading += "; " + entry;
      item->setData(Qt::AccessibleTextRole, reading);
    }
    grid_->setItem(cell / 7, cell % 7, item);
  }
  filling_ = false;
  title_->setText(QString::fromStdString(MonthTitle(day)));
  const int cell = month_.calendar.CellOf(ToLocal(day).day);
  if (cell >= 0) grid_->setCurrentCell(cell / 7, cell % 7);
  EnableEntryCommands();
  return true;
}

int32_t MonthSchedView::SelectedSlotTime() const {
  return scheduler_.CurrentDay();
}
