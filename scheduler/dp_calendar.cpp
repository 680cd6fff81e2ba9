#include "scheduler/dp_calendar.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "data/local_time.h"
#include "data/schedule/sched_time_text.h"

namespace {

constexpr int kWeeks = 6;
constexpr int kCellWidth = 30;
constexpr int kCellHeight = 20;

}  // namespace

DpCalendar::DpCalendar(QWidget* parent) : QTableWidget(kWeeks, 7, parent) {
  setAccessibleName("Calendar");
  setHorizontalHeaderLabels({"S", "M", "T", "W", "T", "F", "S"});
  for (int d = 0; d < 7; ++d)
    horizontalHeaderItem(d)->setData(Qt::AccessibleTextRole, QString(WeekdayName(d)));
  verticalHeader()->hide();
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setDefaultSectionSize(kCellWidth);
  horizontalHeader()->setSectionsClickable(false);
  verticalHeader()->setDefaultSectionSize(kCellHeight);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setShowGrid(false);
  setTextElideMode(Qt::ElideNone);
  setFixedSize(kCellWidth * 7 + 2 * frameWidth(),
               kCellHeight * kWeeks + horizontalHeader()->sizeHint().height() + 2 * frameWidth());
  connect(this, &QTableWidget::cellClicked, this, [this](int row, int column) {
    if (filling_) return;
    const int32_t day = calendar_.DayOfCell(row * 7 + column);
    if (day != 0 && dayClicked) dayClicked(day);
  });
}

QString DpCalendar::CellText(int cell) const {
  return QString::fromStdString(CalendarCellText(calendar_.cells[size_t(cell)]));
}

QString DpCalendar::CellReading(int cell) const {
  const int32_t day = calendar_.DayOfCell(cell);
  if (day == 0) return QString();
  const LocalTime t = ToLocal(day);
  QString reading = QString("%1, %2 %3, %4")
                        .arg(WeekdayName(t.weekday), MonthName(t.month))
                        .arg(t.day)
                        .arg(t.year);
  const uint8_t mark = calendar_.cells[size_t(cell)].mark;
  if (mark == kMarkToday) reading += ", today";
  if (mark == kMarkEntries) reading += ", has entries";
  return reading;
}

void DpCalendar::Show(const MonthCalendar& calendar, int32_t currentDay) {
  filling_ = true;
  calendar_ = calendar;
  const int currentCell = calendar_.CellOf(ToLocal(currentDay).day);
  for (int cell = 0; cell < kCalendarCells; ++cell) {
    auto* item = new QTableWidgetItem(CellText(cell));
    item->setTextAlignment(Qt::AlignCenter);
    const CalendarCell& c = calendar_.cells[size_t(cell)];
    if (c.day == 0) {
      item->setFlags(Qt::NoItemFlags);
    } else {
      item->setData(Qt::AccessibleTextRole, CellReading(cell));
      if (c.mark != kMarkNone) item->setForeground(QColor(255, 0, 0));
    }
    setItem(cell / 7, cell % 7, item);
  }
  if (currentCell >= 0) {
    setCurrentCell(currentCell / 7, currentCell % 7);
  } else {
    clearSelection();
  }
  filling_ = false;
}

void DpCalendar::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      if (keyPressed) keyPressed(event->key());
      event->accept();
      return;
    default:
      QTableWidget::keyPressEvent(event);
  }
}
