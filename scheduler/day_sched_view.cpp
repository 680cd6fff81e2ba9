#include "scheduler/day_sched_view.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "data/local_time.h"
#include "data/office/dpmain.h"
#include "data/schedule/sched_alarm.h"
#include "data/schedule/sched_calendar.h"
#include "data/schedule/sched_repeat.h"
#include "data/schedule/sched_time_text.h"
#include "scheduler/bracket_delegate.h"
#include "scheduler/dp_calendar.h"
#include "scheduler/edit_sched_dialog.h"
#include "scheduler/repeat_dialogs.h"
#include "scheduler/sched_dialogs.h"
#include "scheduler/scheduler.h"
#include "storage/errors.h"
#include "toolkit/control_id.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

const QColor kUntimed(255, 255, 128);

QPushButton* SmallButton(const QString& text, int id, const QString& name, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setAutoDefault(false);
  b->setMaximumWidth(40);
  SetControlId(b, id);
  b->setAccessibleName(name);
  return b;
}

// A field that shows a value: a screen reader reads the value as the
// field's name and what it is as its description.
QLabel* DetailField(int id, const QString& meaning, QWidget* parent) {
  auto* l = new QLabel(parent);
  SetControlId(l, id);
  l->setAccessibleDescription(meaning);
  l->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  return l;
}

}  // namespace

DaySchedView::DaySchedView(Scheduler& scheduler) : SchedView(scheduler, "DAY_SCHED") {
  setProperty("helpAnchor", "scheduler-day");
  auto* body = new QHBoxLayout;
  layout_->addLayout(body);

  // Left: the month, the calendar, the month buttons and the detail panel.
  auto* left = new QVBoxLayout;
  body->addLayout(left);
  monthTitle_ = new QLabel(this);
  SetControlId(monthTitle_, kIdMonthTitle);
  monthTitle_->setAlignment(Qt::AlignCenter);
  left->addWidget(monthTitle_);
  calendar_ = new DpCalendar(this);
  SetControlId(calendar_, kIdCalendar);
  left->addWidget(calendar_);
  calendar_->dayClicked = [this](int32_t day) { MoveTo(day); };
  calendar_->keyPressed = [this](int key) { NavigationKey(key); };
  auto* months = new QHBoxLayout;
  QPushButton* prevMonth = SmallButton("<<", kIdPrevMonth, "Previous month", this);
  QPushButton* nextMonth = SmallButton(">>", kIdNextMonth, "Next month", this);
  months->addWidget(prevMonth);
  months->addWidget(nextMonth);
  left->addLayout(months);
  connect(prevMonth, &QPushButton::clicked, this, [this] { NavigationKey(Qt::Key_PageUp); });
  connect(nextMonth, &QPushButton::clicked, this, [this] { NavigationKey(Qt::Key_PageDown); });

  // The panel is a widget of its own so a double click anywhere in it
  // (its labels included) edits the selected entry.
  detailPanel_ = new QWidget(this);
  auto* detail = new QGridLayout(detailPanel_);
  detail->setContentsMargins(0, 0, 0, 0);
  const struct {
    const char* label;
    int id;
    QLabel** field;
  } rows[] = {{"Start:", kIdDetailStart, &start_},
              {"End:", kIdDetailEnd, &end_},
              {"Alarm:", kIdDetailAlarm, &alarm_}};
  int row = 0;
  for (const auto& r : rows) {
    auto* label = new QLabel(r.label, detailPanel_);
    *r.field = DetailField(r.id, PlainLabel(r.label), detailPanel_);
    label->setBuddy(*r.field);
    detail->addWidget(label, row, 0);
    detail->addWidget(*r.field, row, 1);
    ++row;
  }
  description_ = DetailField(kIdDetailDescription, "Description", detailPanel_);
  description_->setWordWrap(true);
  detail->addWidget(description_, row++, 0, 1, 2);
  noteMark_ = new QPushButton("Note", detailPanel_);
  SetControlId(noteMark_, kIdNoteMark);
  noteMark_->setAccessibleName("Note");
  noteMark_->setAutoDefault(false);
  repeatMark_ = new QPushButton("Repeat", detailPanel_);
  SetControlId(repeatMark_, kIdRepeatMark);
  repeatMark_->setAccessibleName("Repeat");
  repeatMark_->setAutoDefault(false);
  detail->addWidget(noteMark_, row, 0);
  detail->addWidget(repeatMark_, row, 1);
  connect(noteMark_, &QPushButton::clicked, this, [this] { EditNote(); });
  connect(repeatMark_, &QPushButton::clicked, this, [this] { RepeatSelected(); });
  detailPanel_->installEventFilter(this);
  for (QLabel* field : detailPanel_->findChildren<QLabel*>()) field->installEventFilter(this);
  left->addWidget(detailPanel_);
  left->addStretch();

  // Right: the day's title, "<" and ">", the lines.
  auto* right = new QVBoxLayout;
  body->addLayout(right, 1);
  auto* top = new QHBoxLayout;
  QPushButton* back = SmallButton("<", kIdBack, "Previous day", this);
  QPushButton* forward = SmallButton(">", kIdForward, "Next day", this);
  dayTitle_ = new QLabel(this);
  SetControlId(dayTitle_, kIdTitle);
  top->addWidget(back);
  top->addWidget(dayTitle_, 1, Qt::AlignCenter);
  top->addWidget(forward);
  right->addLayout(top);
  connect(back, &QPushButton::clicked, this, [this] { NavigationKey(Qt::Key_Left); });
  connect(forward, &QPushButton::clicked, this, [this] { NavigationKey(Qt::Key_Right); });

  list_ = new QTreeWidget(this);
  SetControlId(list_, kIdList);
  list_->setAccessibleName("Entries");
  list_->setColumnCount(2);
  list_->setHeaderLabels({"Time", "Description"});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setColumnWidth(0, 70);
  list_->setItemDelegateForColumn(1, new BracketDelegate(list_));
  list_->header()->setSectionsClickable(true);
  right->addWidget(list_, 1);
  connect(list_->header(), &QHeaderView::sectionClicked, this, [this](int section) {
    if (section == 0) TogglePresets();
  });
  connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
    if (filling_) return;
    ShowDetail();
    EnableEntryCommands();
  });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { EditSelected(); });
  WatchEntryKeys(list_);
  setMinimumSize(760, 480);
  resize(760, 520);
}

bool DaySchedView::Reload() {
  const int32_t day = scheduler_.CurrentDay();
  if (!MonthInRange(day)) return false;
  std::vector<DayLine> lines;
  const PresetHours presets = scheduler_.Options().presets;
  ClearAppError();
  if (!SchedBuildDayLines(Table(), day, scheduler_.Owner().number,
                          scheduler_.Options().usePresets ? &presets : nullptr, &lines)) {
    ShowError();
    return false;
  }
  MonthCalendar calendar = CalendarOfMonth(day, Today());
  if (!SchedMarkCalendar(Table(), scheduler_.Owner().number, &calendar)) {
    ShowError();
    return false;
  }
  lines_ = std::move(lines);
  filling_ = true;
  list_->clear();
  QList<QTreeWidgetItem*> rows;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const DayLine& line = lines_[i];
    auto* item = new QTreeWidgetItem;
    const QString time = QString::fromStdString(DayLineTimeText(lines_, i)).trimmed();
    item->setText(0, time);
    item->setText(1, FromCp1252(line.description));
    item->setData(1, kBracketRole, int(line.bracket));
    if (IsUntimedLine(line)) {
      item->setBackground(0, kUntimed);
      item->setBackground(1, kUntimed);
    }
    if (line.IsSlot()) {
      item->setForeground(0, list_->palette().color(QPalette::Disabled, QPalette::Text));
      item->setData(1, Qt::AccessibleTextRole, "Empty");
    } else if (line.IsEndLine()) {
      item->setData(1, Qt::AccessibleTextRole, "End of entry");
    }
    // A time the line above shows already is not repeated on screen; a
    // screen reader still says it.
    item->setData(0, Qt::AccessibleTextRole,
                  QString::fromStdString(IsUntimedLine(line) ? std::string("No time")
                                                             : ListTimeText(line.time)));
    rows.append(item);
  }
  list_->addTopLevelItems(rows);
  filling_ = false;
  calendar_->Show(calendar, day);
  dayTitle_->setText(QString::fromStdString(DayTitle(day)));
  monthTitle_->setText(QString::fromStdString(MonthTitle(day)));
  SelectLine(lines_.empty() ? -1 : 0);
  return true;
}

int DaySchedView::SelectedLine() const {
  QTreeWidgetItem* item = list_->currentItem();
  return item ? list_->indexOfTopLevelItem(item) : -1;
}

void DaySchedView::SelectLine(int line) {
  if (line >= 0 && line < list_->topLevelItemCount()) {
    list_->setCurrentItem(list_->topLevelItem(line));
  } else {
    list_->setCurrentItem(nullptr);
  }
  ShowDetail();
  EnableEntryCommands();
}

int32_t DaySchedView::SelectedRecord() const {
  const int line = SelectedLine();
  if (line < 0 || size_t(line) >= lines_.size()) return -1;
  const DayLine& l = lines_[size_t(line)];
  if (l.IsSlot()) return -1;
  return l.IsEndLine() ? l.endOf : l.key.RecordNumber();
}

void DaySchedView::SelectRecord(int32_t recordNumber) {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (!lines_[i].IsSlot() && !lines_[i].IsEndLine() &&
        lines_[i].key.RecordNumber() == recordNumber) {
      SelectLine(int(i));
      return;
    }
  }
}

int32_t DaySchedView::SelectedSlotTime() const {
  const int line = SelectedLine();
  if (line < 0 || size_t(line) >= lines_.size()) return 0;
  return lines_[size_t(line)].IsSlot() ? lines_[size_t(line)].time : 0;
}

void DaySchedView::ShowDetail() {
  const int32_t number = SelectedRecord();
  SchedRecord entry;
  bool shown = false;
  if (number >= 0) {
    const AppError kept = CurrentAppError();
    shown = SchedRead(Table(), number, &entry) == 1;
    if (!shown) DbClearError();
    RestoreAppError(kept);
  }
  start_->setText(shown ? QString::fromStdString(TimeFieldText(entry.Start())).trimmed()
                        : QString());
  end_->setText(shown ? QString::fromStdString(TimeFieldText(entry.End())).trimmed() : QString());
  alarm_->setText(shown ? QString::fromStdString(TimeFieldText(entry.Alarm())).trimmed()
                        : QString());
  description_->setText(shown ? FromCp1252(entry.Description()) : QString());
  noteMark_->setVisible(shown && !entry.Note().empty());
  repeatMark_->setVisible(shown && entry.RepeatGroup() != 0);
}

void DaySchedView::NavigationKey(int key) {
  const int32_t day = scheduler_.CurrentDay();
  const LocalTime t = ToLocal(day);
  switch (key) {
    case Qt::Key_Left:
      MoveTo(AddDays(day, -1));
      return;
    case Qt::Key_Right:
      MoveTo(AddDays(day, 1));
      return;
    case Qt::Key_Up:
      MoveTo(AddDays(day, -7));
      return;
    case Qt::Key_Down:
      MoveTo(AddDays(day, 7));
      return;
    case Qt::Key_PageUp:
      MoveTo(FromLocal(t.year, t.month - 1, 1));
      return;
    case Qt::Key_PageDown:
      MoveTo(FromLocal(t.year, t.month + 1, 1));
      return;
    default:
      return;
  }
}

bool DaySchedView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick && watched->isWidgetType() &&
      (watched == detailPanel_ || static_cast<QWidget*>(watched)->parentWidget() == detailPanel_)) {
    DetailDoubleClicked();
    return true;
  }
  return SchedView::eventFilter(watched, event);
}

void DaySchedView::DetailDoubleClicked() {
  if (SelectedRecord() >= 0) {
    EditSelected();
  } else {
    AddEntry(SelectedSlotTime());
  }
}

void DaySchedView::TogglePresets() {
  scheduler_.Options().usePresets = !scheduler_.Options().usePresets;
  const int32_t selected = SelectedRecord();
  Refresh(selected);
}

void DaySchedView::Closing() {
  WriteUsePresets(scheduler_.IniPath(), scheduler_.Options().usePresets);
}

void DaySchedView::EditNote() {
  const int32_t number = SelectedRecord();
  if (number < 0) return;
  SchedRecord entry;
  ClearAppError();
  if (!SchedRead(Table(), number, &entry)) {
    ShowError();
    return;
  }
  SchedNoteDialog note(this, entry.Note());
  if (RunSchedDialog(note) != 1) return;
  entry.SetNote(note.Note());
  ClearAppError();
  if (!SchedUpdate(Table(), number, entry)) ShowError();
  Refresh(number);
}

void DaySchedView::RepeatSelected() {
  const int32_t number = SelectedRecord();
  if (number < 0) return;
  SchedRecord entry;
  ClearAppError();
  if (!SchedRead(Table(), number, &entry)) {
    ShowError();
    return;
  }
  const int kind =
      RunRepeatDialogs(this, entry.Start(), scheduler_.CurrentDay(), CurrentRepeatRules());
  if (kind == 0) return;
  Prompter().Working(true, "Adding schedule items...");
  ClearAppError();
  const int ok = RepeatGenerate(Table(), number, entry, kind, CurrentRepeatRules());
  Prompter().Working(false);
  if (!ok) ShowError();
  Refresh(number);
}
