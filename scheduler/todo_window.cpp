#include "scheduler/todo_window.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/office/dpmain.h"
#include "data/office/name_picking.h"
#include "data/schedule/sched_calendar.h"
#include "data/schedule/sched_time_text.h"
#include "data/schedule/sched_update_memo.h"
#include "data/schedule/todo_copy.h"
#include "data/schedule/todo_marks.h"
#include "scheduler/dp_calendar.h"
#include "scheduler/edit_todo_dialog.h"
#include "scheduler/goto_date_dialog.h"
#include "scheduler/sched_dialogs.h"
#include "scheduler/sched_print.h"
#include "scheduler/sched_search.h"
#include "scheduler/scheduler.h"
#include "storage/errors.h"
#include "toolkit/control_id.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

// The check mark of a done item. The style decodes its images afresh each
// time it is asked, so it is made once, and let go as the application
// ends.
QIcon* g_doneMark = nullptr;

const QIcon& DoneMark(const QStyle& style) {
  if (!g_doneMark) {
    g_doneMark = new QIcon(style.standardIcon(QStyle::SP_DialogApplyButton));
    qAddPostRoutine([] {
      delete g_doneMark;
      g_doneMark = nullptr;
    });
  }
  return *g_doneMark;
}

struct CommandButton {
  int id;
  const char* label;
};
const CommandButton kCommands[] = {
    {kViewDay, "&Day"},
    {kViewWeek, "&Week"},
    {kViewMonth, "&Month"},
    {TodoWindow::kIdToday, "&Today"},
    {TodoWindow::kIdGoTo, "&Go to"},
    {TodoWindow::kIdName, "&Name"},
    {TodoWindow::kIdAdd, "&Add"},
    {TodoWindow::kIdEdit, "&Edit"},
    {TodoWindow::kIdDelete, "De&lete"},
    {TodoWindow::kIdCopy, "&Copy"},
    {TodoWindow::kIdSearch, "&Search"},
    {TodoWindow::kIdPrint, "&Print"},
    {TodoWindow::kIdClose, "Close"},
};

constexpr int kRecordRole = Qt::UserRole + 2;

QString FirstLine(const std::string& text) {
  return FromCp1252(text.substr(0, text.find_first_of("\r\n")));
}

QString Reading(const TodoListEntry& e) {
  QString reading =
      QString("Priority %1, %2").arg(FromCp1252(e.Key().Priority()), FirstLine(e.Text()));
  if (e.Key().Done()) reading += ", done";
  return reading;
}

QPushButton* SmallButton(const QString& text, int id, const QString& name, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setAutoDefault(false);
  b->setMaximumWidth(40);
  SetControlId(b, id);
  b->setAccessibleName(name);
  return b;
}

}  // namespace

// ---- The list's state and its one window ----

TodoList::TodoList(std::string iniPath, PasswordPrompt& passwords)
    : iniPath_(std::move(iniPath)), passwords_(passwords) {}

TodoList::~TodoList() {
  Retire();
  for (auto& old : retired_) delete old.data();
}

TodoWindow* TodoList::Window() const {
  return window_ && window_->IsOpen() ? window_ : nullptr;
}

void TodoList::Retire() {
  if (!window_) return;
  TodoWindow* old = window_;
  window_ = nullptr;
  old->CloseWindow();
  old->deleteLater();
  retired_.push_back(old);
}

bool TodoList::Open() {
  if (!started_) {
    started_ = true;
    options_ = ReadSchedOptions(iniPath_);
    if (owner_.name.empty()) owner_ = {CurrentUser().number, CurrentUser().name};
  }
  if (Window()) {
    window_->raise();
    window_->activateWindow();
    return true;
  }
  Retire();
  if (!CheckArea(owner_.name, kAreaTodo, passwords_)) return false;
  return Make(view_) != nullptr;
}

TodoWindow* TodoList::Make(int kind) {
  if (!InDateRange(ClockNow())) {
    Prompter().Inform("Date must be between 1980 and 2037.");
    return nullptr;
  }
  if (currentDay_ == 0) currentDay_ = Today();
  view_ = kind;
  auto* window = new TodoWindow(*this, kind);
  if (!window->Start()) {
    delete window;
    return nullptr;
  }
  window_ = window;
  return window;
}

void TodoList::SwitchView(int kind) {
  Retire();
  Make(kind);
}

void TodoList::KeepOpenPlacement() {
  if (TodoWindow* window = Window()) KeepPlacement(*window, placement_);
}

void TodoList::Close() {
  if (window_) window_->CloseWindow();
}

// ---- The window ----

TodoWindow::TodoWindow(TodoList& list, int kind)
    : TBaseDialog(nullptr), list_owner_(list), kind_(kind) {
  setProperty("helpAnchor", "todo");
  setObjectName(kind == kViewWeek ? "WEEK_VIEW" : kind == kViewMonth ? "MONTH_VIEW" : "DAY_TODO");
  setWindowTitle(QString("To-do list for:  %1").arg(FromCp1252(list.Owner().name)));
  layout_ = new QVBoxLayout(this);
  auto* commands = new QHBoxLayout;
  for (const auto& c : kCommands) {
    auto* b = new QPushButton(c.label, this);
    b->setAutoDefault(false);
    SetControlId(b, c.id);
    NameControl(b, c.label);
    commands->addWidget(b);
    buttons_[c.id] = b;
    const int id = c.id;
    connect(b, &QPushButton::clicked, this, [this, id] { Command(id); });
  }
  commands->addStretch();
  layout_->addLayout(commands);
  if (kind == kViewDay) {
    BuildDay();
  } else {
    BuildGrid();
  }
}

TodoWindow::~TodoWindow() {
  if (table_.open) TodoClose(table_);
}

QPushButton* TodoWindow::Button(int id) const {
  auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : it->second;
}

void TodoWindow::BuildDay() {
  auto* body = new QHBoxLayout;
  layout_->addLayout(body);
  auto* left = new QVBoxLayout;
  body->addLayout(left);
  monthTitle_ = new QLabel(this);
  SetControlId(monthTitle_, kIdMonthTitle);
  monthTitle_->setAlignment(Qt::AlignCenter);
  left->addWidget(monthTitle_);
  calendar_ = new DpCalendar(this);
  SetControlId(calendar_, kIdCalendar);
  calendar_->dayClicked = [this](int32_t day) { MoveTo(day); };
  calendar_->keyPressed = [this](int key) { NavigationKey(key); };
  left->addWidget(calendar_);
  auto* months = new QHBoxLayout;
  QPushButton* prev = SmallButton("<<", kIdPrevMonth, "Previous month", this);
  QPushButton* next = SmallButton(">>", kIdNextMonth, "Next month", this);
  months->addWidget(prev);
  months->addWidget(next);
  left->addLayout(months);
  connect(prev, &QPushButton::clicked, this, [this] { NavigationKey(Qt::Key_PageUp); });
  connect(next, &QPushButton::clicked, this, [this] { NavigationKey(Qt::Key_PageDown); });
  auto* detail = new QGridLayout;
  auto* label = new QLabel("Priority:", this);
  priority_ = new QLabel(this);
  SetControlId(priority_, kIdDetailPriority);
  priority_->setAccessibleName("Priority");
  label->setBuddy(priority_);
  detail->addWidget(label, 0, 0);
  detail->addWidget(priority_, 0, 1);
  text_ = new QLabel(this);
  SetControlId(text_, kIdDetailText);
  text_->setAccessibleName("Text");
  text_->setWordWrap(true);
  text_->setMaximumWidth(200);
  detail->addWidget(text_, 1, 0, 1, 2);
  left->addLayout(detail);
  left->addStretch();

  auto* right = new QVBoxLayout;
  body->addLayout(right, 1);
  auto* top = new QHBoxLayout;
  QPushButton* back = SmallButton("<", kIdBack, "Previous day", this);
  QPushButton* forward = SmallButton(">", kIdForward, "Next day", this);
  title_ = new QLabel(this);
  SetControlId(title_, kIdTitle);
  top->addWidget(back);
  top->addWidget(title_, 1, Qt::AlignCenter);
  top->addWidget(forward);
  right->addLayout(top);
  connect(back, &QPushButton::clicked, this, [this] { NavigationKey(Qt::Key_Left); });
  connect(forward, &QPushButton::clicked, this, [this] { NavigationKey(Qt::Key_Right); });
  list_ = new QTreeWidget(this);
  SetControlId(list_, kIdList);
  list_->setAccessibleName("Entries");
  list_->setColumnCount(1);
  list_->setHeaderLabels({"To-do items"});
  list_->setRootIsDecorated(false);
  // Every row is one line under its check mark: the list need not measure
  // each of its 256 rows to lay them out.
  list_->setUniformRowHeights(true);
  right->addWidget(list_, 1);
  connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
    if (filling_) return;
    ShowDetail();
    EnableItemCommands();
  });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { EditSelected(); });
  list_->installEventFilter(this);
  setMinimumSize(700, 460);
}

void TodoWindow::BuildGrid() {
  auto* top = new QHBoxLayout;
  const bool week = kind_ == kViewWeek;
  QPushButton* back = SmallButton("<", kIdBack, week ? "Previous week" : "Previous month", this);
  QPushButton* forward = SmallButton(">", kIdForward, week ? "Next week" : "Next month", this);
  title_ = new QLabel(this);
  SetControlId(title_, kIdTitle);
  top->addWidget(back);
  top->addWidget(title_, 1, Qt::AlignCenter);
  top->addWidget(forward);
  layout_->addLayout(top);
  connect(back, &QPushButton::clicked, this, [this, week] {
    const LocalTime t = ToLocal(list_owner_.CurrentDay());
    MoveTo(week ? AddDays(list_owner_.CurrentDay(), -7) : FromLocal(t.year, t.month - 1, 1));
  });
  connect(forward, &QPushButton::clicked, this, [this, week] {
    const LocalTime t = ToLocal(list_owner_.CurrentDay());
    MoveTo(week ? AddDays(list_owner_.CurrentDay(), 7) : FromLocal(t.year, t.month + 1, 1));
  });
  grid_ = new QTableWidget(week ? 0 : 6, 7, this);
  SetControlId(grid_, kIdList);
  grid_->setAccessibleName(week ? "Week" : "Month");
  grid_->verticalHeader()->hide();
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->horizontalHeader()->setDefaultSectionSize(week ? 120 : 110);
  // The days share a wider window's width; the minimum size keeps the width
  // above.
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  if (!week) {
    grid_->setHorizontalHeaderLabels({"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"});
    grid_->verticalHeader()->setDefaultSectionSize(84);
    grid_->setWordWrap(false);
    QFont small = grid_->font();
    small.setPointSize(7);
    grid_->setFont(small);
  }
  layout_->addWidget(grid_, 1);
  connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
    if (filling_ || row < 0 || column < 0) return;
    const int32_t day = DayOfColumn(kind_ == kViewWeek ? column : row * 7 + column);
    if (day != 0) list_owner_.SetCurrentDay(day);
    EnableItemCommands();
  });
  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { EditSelected(); });
  grid_->installEventFilter(this);
  connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (kind_ != kViewWeek) return;
    list_owner_.SetCurrentDay(DayOfColumn(column));
    list_owner_.SwitchView(kViewDay);
  });
  setMinimumSize(week ? 900 : 820, week ? 400 : 640);
}

bool TodoWindow::Start() {
  ClearAppError();
  if (!TodoOpen(table_)) {
    ShowError();
    return false;
  }
  PlaceWindow(*this, list_owner_.Placement());
  OpenModeless();
  if (!Reload()) {
    list_owner_.SetCurrentDay(Today());
    Reload();
  }
  return true;
}

void TodoWindow::CloseWindow() {
  if (!IsOpen()) return;
  KeepPlacement(*this, list_owner_.Placement());
  if (table_.open) TodoClose(table_);
  CloseWith(0);
}

void TodoWindow::reject() {
  CloseWindow();
}

void TodoWindow::changeEvent(QEvent* event) {
  TBaseDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && IsOpen() &&
      list_owner_.Options().autoRefresh && table_.open) {
    const int32_t selected = SelectedRecord();
    if (Reload() && selected >= 0) SelectRecord(selected);
  }
}

int32_t TodoWindow::DayOfColumn(int column) const {
  return column >= 0 && size_t(column) < days_.size() ? days_[size_t(column)] : 0;
}

bool TodoWindow::Reload() {
  if (kind_ == kViewWeek) return LoadWeek();
  if (kind_ == kViewMonth) return LoadMonth();
  return LoadDay();
}

bool TodoWindow::LoadDay() {
  const int32_t day = list_owner_.CurrentDay();
  if (!MonthInRange(day)) return false;
  std::vector<TodoListEntry> items;
  std::vector<bool> marked;
  const int32_t owner = list_owner_.Owner().number;
  ClearAppError();
  if (!TodoCollect(table_, day, owner, day == Today(), kMaxTodoItems, &items) ||
      !TodoMarkMonth(table_, owner, day, &marked)) {
    ShowError();
    return false;
  }
  items_.assign(1, std::move(items));
  days_.assign(1, day);
  MonthCalendar calendar = CalendarOfMonth(day, Today());
  for (int d = 1; d <= 31; ++d) {
    const int cell = calendar.CellOf(d);
    if (cell >= 0 && marked[size_t(d)] && calendar.cells[size_t(cell)].mark != kMarkToday)
      calendar.cells[size_t(cell)].mark = kMarkEntries;
  }
  const QIcon& done = DoneMark(*style());
  QPixmap empty(16, 16);
  empty.fill(Qt::transparent);
  const QIcon blank(empty);
  filling_ = true;
  list_->clear();
  // The rows go in together: one insertion for the list to take in.
  QList<QTreeWidgetItem*> rows;
  rows.reserve(qsizetype(items_[0].size()));
  for (const TodoListEntry& e : items_[0]) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString("%1\t%2").arg(FromCp1252(e.Key().Priority()), FirstLine(e.Text())));
    item->setData(0, kRecordRole, e.RecordNumber());
    item->setData(0, Qt::AccessibleTextRole, Reading(e));
    // Open items keep the check mark's room, so the texts line up.
    item->setIcon(0, e.Key().Done() ? done : blank);
    rows.append(item);
  }
  list_->addTopLevelItems(rows);
  filling_ = false;
  calendar_->Show(calendar, day);
  title_->setText(QString::fromStdString(DayTitle(day)));
  monthTitle_->setText(QString::fromStdString(MonthTitle(day)));
  if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
  ShowDetail();
  EnableItemCommands();
  return true;
}

bool TodoWindow::LoadWeek() {
  const int32_t day = list_owner_.CurrentDay();
  if (!WeekInRange(day)) return false;
  const int32_t first = WeekStart(day);
  const int32_t today = Today();
  std::vector<std::vector<TodoListEntry>> columns(7);
  std::vector<int32_t> days(7);
  ClearAppError();
  for (int d = 0; d < 7; ++d) {
    days[size_t(d)] = AddDays(first, d);
    if (!TodoCollect(table_, days[size_t(d)], list_owner_.Owner().number, days[size_t(d)] == today,
                     kMaxTodoItems, &columns[size_t(d)])) {
      ShowError();
      return false;
    }
  }
  items_ = std::move(columns);
  days_ = std::move(days);
  size_t rows = 0;
  for (const auto& c : items_) rows = std::max(rows, c.size());
  const QIcon& done = DoneMark(*style());
  filling_ = true;
  grid_->clearContents();
  grid_->setRowCount(int(rows));
  QStringList headings;
  for (int d = 0; d < 7; ++d) {
    const LocalTime t = ToLocal(days_[size_t(d)]);
    headings << QString("%1 %2").arg(QString::fromStdString(WeekdayAbbrev(d))).arg(t.day);
  }
  grid_->setHorizontalHeaderLabels(headings);
  for (int d = 0; d < 7; ++d) {
    for (size_t r = 0; r < rows; ++r) {
      auto* cell = new QTableWidgetItem;
      if (r < items_[size_t(d)].size()) {
        const TodoListEntry& e = items_[size_t(d)][r];
        cell->setText(QString("%1-%2").arg(FromCp1252(e.Key().Priority()), FirstLine(e.Text())));
        cell->setData(Qt::AccessibleTextRole, headings[d] + ", " + Reading(e));
        if (e.Key().Done()) cell->setIcon(done);
      } else {
        cell->setData(Qt::AccessibleTextRole, headings[d] + ", empty");
      }
      grid_->setItem(int(r), d, cell);
    }
  }
  filling_ = false;
  const LocalTime a = ToLocal(days_[0]);
  const LocalTime b = ToLocal(days_[6]);
  char text[64];
  std::snprintf(text, sizeof text, "%s %d - %s %d, %4d", MonthName(a.month), a.day,
                MonthName(b.month), b.day, b.year);
  title_->setText(text);
  SelectCell(0, ToLocal(day).weekday);
  return true;
}

bool TodoWindow::LoadMonth() {
  const int32_t day = list_owner_.CurrentDay();
  if (!MonthInRange(day)) return false;
  const int32_t today = Today();
  const MonthCalendar calendar = CalendarOfMonth(day, today);
  std::vector<std::vector<TodoListEntry>> cells(kCalendarCells);
  std::vector<int32_t> days(kCalendarCells);
  ClearAppError();
  for (int c = 0; c < kCalendarCells; ++c) {
    days[size_t(c)] = calendar.DayOfCell(c);
    if (days[size_t(c)] == 0) continue;
    if (!TodoCollect(table_, days[size_t(c)], list_owner_.Owner().number, days[size_t(c)] == today,
                     kMonthEntriesPerDay, &cells[size_t(c)])) {
      ShowError();
      return false;
    }
  }
  items_ = std::move(cells);
  days_ = std::move(days);
  filling_ = true;
  grid_->clearContents();
  for (int c = 0; c < kCalendarCells; ++c) {
    const CalendarCell& cc = calendar.cells[size_t(c)];
    auto* item = new QTableWidgetItem;
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (cc.day == 0) {
      item->setFlags(Qt::NoItemFlags);
      if (!list_owner_.Options().noShading) item->setBackground(QColor(224, 224, 224));
    } else {
      QString text =
          cc.mark == kMarkToday ? QString("%1* ").arg(cc.day) : QString("%1 ").arg(cc.day);
      const LocalTime t = ToLocal(days_[size_t(c)]);
      QString reading = QString("%1, %2 %3, %4")
                            .arg(WeekdayName(t.weekday), MonthName(t.month))
                            .arg(t.day)
                            .arg(t.year);
      for (const TodoListEntry& e : items_[size_t(c)]) {
        text += "\n" + FirstLine(e.Text());
        reading += "; " + Reading(e);
      }
      item->setText(text);
      item->setData(Qt::AccessibleTextRole, reading);
      item->setForeground(cc.mark == kMarkToday ? QColor(255, 0, 0) : QColor(0, 0, 128));
    }
    grid_->setItem(c / 7, c % 7, item);
  }
  filling_ = false;
  title_->setText(QString::fromStdString(MonthTitle(day)));
  const int cell = calendar.CellOf(ToLocal(day).day);
  if (cell >= 0) grid_->setCurrentCell(cell / 7, cell % 7);
  EnableItemCommands();
  return true;
}

bool TodoWindow::MoveTo(int32_t day) {
  const int32_t old = list_owner_.CurrentDay();
  list_owner_.SetCurrentDay(DayOf(day));
  if (Reload()) return true;
  list_owner_.SetCurrentDay(old);
  Reload();
  return false;
}

void TodoWindow::NavigationKey(int key) {
  const int32_t day = list_owner_.CurrentDay();
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

int32_t TodoWindow::SelectedRecord() const {
  if (kind_ == kViewDay) {
    QTreeWidgetItem* item = list_->currentItem();
    return item ? item->data(0, kRecordRole).toInt() : -1;
  }
  if (kind_ == kViewMonth) return -1;
  const int row = grid_->currentRow();
  const int column = grid_->currentColumn();
  if (row < 0 || column < 0 || column >= 7) return -1;
  const auto& items = items_[size_t(column)];
  return size_t(row) < items.size() ? items[size_t(row)].RecordNumber() : -1;
}

void TodoWindow::SelectRecord(int32_t recordNumber) {
  if (kind_ == kViewDay) {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
      if (list_->topLevelItem(i)->data(0, kRecordRole).toInt() == recordNumber) {
        list_->setCurrentItem(list_->topLevelItem(i));
        return;
      }
    }
    return;
  }
  if (kind_ != kViewWeek) return;
  for (int d = 0; d < 7; ++d)
    for (size_t r = 0; r < items_[size_t(d)].size(); ++r)
      if (items_[size_t(d)][r].RecordNumber() == recordNumber) SelectCell(int(r), d);
}

void TodoWindow::SelectCell(int row, int column) {
  if (!grid_) return;
  if (row < grid_->rowCount()) grid_->setCurrentCell(row, column);
  const int32_t day = DayOfColumn(kind_ == kViewWeek ? column : row * 7 + column);
  if (day != 0) list_owner_.SetCurrentDay(day);
  EnableItemCommands();
}

void TodoWindow::ShowDetail() {
  if (!list_) return;
  const int32_t number = SelectedRecord();
  TodoRecord item;
  bool shown = false;
  if (number >= 0) {
    const AppError kept = CurrentAppError();
    shown = TodoRead(table_, number, &item) == 1;
    if (!shown) DbClearError();
    RestoreAppError(kept);
  }
  priority_->setText(shown ? FromCp1252(item.Priority()) : QString());
  QString text = shown ? FromCp1252(item.Text()) : QString();
  text.replace("\r\n", "\n").replace('\r', '\n');
  text_->setText(text);
}

void TodoWindow::EnableItemCommands() {
  const bool item = SelectedRecord() >= 0;
  for (int id : {kIdDelete, kIdCopy}) buttons_[id]->setEnabled(item);
  buttons_[kIdEdit]->setEnabled(item || kind_ != kViewDay);
}

void TodoWindow::Command(int id) {
  switch (id) {
    case kViewDay:
    case kViewWeek:
    case kViewMonth:
      list_owner_.SwitchView(id);
      return;
    case kIdToday:
      MoveTo(Today());
      return;
    case kIdGoTo:
      GoToDate();
      return;
    case kIdName:
      ChooseOwner();
      return;
    case kIdAdd:
      AddItem();
      return;
    case kIdEdit:
      EditSelected();
      return;
    case kIdDelete:
      DeleteSelected();
      return;
    case kIdTag:
      ToggleDone();
      return;
    case kIdCopy:
      CopySelected();
      return;
    case kIdSearch:
      Search();
      return;
    case kIdPrint:
      Print();
      return;
    case kIdClose:
      CloseWindow();
      return;
    default:
      return;
  }
}

void TodoWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Insert:
      AddItem();
      return;
    case Qt::Key_Delete:
      DeleteSelected();
      return;
    case Qt::Key_Space:
      ToggleDone();
      return;
    default:
      TBaseDialog::keyPressEvent(event);
  }
}

bool TodoWindow::eventFilter(QObject* watched, QEvent* event) {
  // The list and the grids would take Space (and Insert and Delete) for
  // themselves: the window's keys come first.
  if (event->type() == QEvent::KeyPress && (watched == list_ || watched == grid_)) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool ours =
        key->key() == Qt::Key_Insert || key->key() == Qt::Key_Delete || key->key() == Qt::Key_Space;
    if (ours && !(key->modifiers() & ~Qt::KeypadModifier)) {
      keyPressEvent(key);
      return true;
    }
  }
  return TBaseDialog::eventFilter(watched, event);
}

void TodoWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.setObjectName("Todo");
  const struct {
    const char* text;
    int id;
  } entries[] = {
      {"&Tag/Untag", kIdTag}, {"&Delete", kIdDelete}, {"&Copy", kIdCopy}, {"&Edit", kIdEdit}};
  const bool item = SelectedRecord() >= 0;
  for (const auto& e : entries) {
    QAction* action = menu.addAction(e.text);
    action->setEnabled(item);
    const int id = e.id;
    connect(action, &QAction::triggered, this, [this, id] { Command(id); });
  }
  menu.exec(event->globalPos());
}

void TodoWindow::AddItem() {
  EditTodoDialog dialog(this, table_, -1, list_owner_.Owner().number, list_owner_.CurrentDay());
  if (RunSchedDialog(dialog) != 1) return;
  Reload();
  // Found again by its priority and text.
  for (const auto& column : items_)
    for (const TodoListEntry& e : column)
      if (e.Key().Priority() == dialog.Saved().Priority() &&
          e.Key().UniqueId() == dialog.Saved().UniqueId())
        SelectRecord(e.RecordNumber());
}

void TodoWindow::EditSelected() {
  if (kind_ == kViewMonth) {
    list_owner_.SwitchView(kViewDay);
    return;
  }
  const int32_t number = SelectedRecord();
  if (number < 0) {
    if (kind_ == kViewWeek) AddItem();
    return;
  }
  EditTodoDialog dialog(this, table_, number, list_owner_.Owner().number, list_owner_.CurrentDay());
  if (!dialog.Ready() || RunSchedDialog(dialog) != 1) return;
  Reload();
  for (const auto& column : items_)
    for (const TodoListEntry& e : column)
      if (e.Key().UniqueId() == dialog.Saved().UniqueId()) SelectRecord(e.RecordNumber());
}

void TodoWindow::DeleteSelected() {
  if (!list_owner_.Options().todoDelete) {
    Prompter().Inform(kNoAccessRights);
    return;
  }
  const int32_t number = SelectedRecord();
  if (number < 0) return;
  if (!Prompter().AskYesNo("Are you sure?")) return;
  ClearAppError();
  if (!TodoRemove(table_, number)) ShowError();
  Reload();
}

void TodoWindow::ToggleDone() {
  if (kind_ == kViewMonth) return;
  const int32_t number = SelectedRecord();
  if (number < 0) return;
  ClearAppError();
  if (!TodoToggleDone(table_, number, list_owner_.CurrentDay())) {
    ShowError();
    return;
  }
  Reload();
  SelectRecord(number);
}

void TodoWindow::CopySelected() {
  const int32_t number = SelectedRecord();
  if (number < 0) return;
  TodoRecord item;
  ClearAppError();
  if (!TodoRead(table_, number, &item)) {
    ShowError();
    return;
  }
  int32_t tags[kTagSetSize] = {};
  NamePickRequest request;
  request.mode = kPickEverything;
  request.tagSet = tags;
  request.startEmpty = true;
  if (SelectName(this, request, list_owner_.Passwords()) == 0) return;
  const std::string recipient = request.slot.Name();
  if (recipient.empty()) return;
  Prompter().Working(true, "Copying todo items...");
  const int ok =
      TodoCopyToRecipients(table_, item, list_owner_.Owner().number, recipient, TagSetNumbers(tags),
                           [](const std::string& t) { Prompter().Inform(FromCp1252(t)); });
  Prompter().Working(false);
  if (!ok) ShowError();
}

void TodoWindow::ChooseOwner() {
  NamePickRequest request;
  request.mode = kPickOwner;
  request.passwordArea = kAreaTodo;
  request.startEmpty = true;
  if (SelectName(this, request, list_owner_.Passwords()) == 0) return;
  if (request.slot.Name().empty()) return;
  list_owner_.SetOwner({request.slot.Number(), request.slot.Name()});
  setWindowTitle(QString("To-do list for:  %1").arg(FromCp1252(list_owner_.Owner().name)));
  Reload();
}

void TodoWindow::GoToDate() {
  GotoDateDialog dialog(this, list_owner_.CurrentDay());
  if (RunSchedDialog(dialog) == 1) MoveTo(dialog.Day());
}

void TodoWindow::Search() {
  TodoTable& table = table_;
  const int32_t owner = list_owner_.Owner().number;
  SchedSearchDialog dialog(
      this, "Search To-do", {"Date", "Priority", "Item"},
      [&table, owner](const std::string& text, const std::function<bool()>& keepGoing,
                      std::vector<SchedMatch>* matches) {
        std::vector<TodoMatch> found;
        const int ok = TodoSearch(table, owner, text, keepGoing, &found);
        for (const TodoMatch& m : found) matches->push_back({m.recordNumber, m.shownDay, m.row});
        return ok;
      });
  if (RunSchedDialog(dialog) != 1) return;
  if (MoveTo(dialog.ChosenDay())) SelectRecord(dialog.ChosenRecord());
}

void TodoWindow::Print() {
  SchedPrintRequest request;
  request.owner = list_owner_.Owner().number;
  request.ownerName = list_owner_.Owner().name;
  request.day = list_owner_.CurrentDay();
  request.presets = list_owner_.Options().presets;
  PrintSchedulePage(this, request, SchedPage::kDaily);
}
