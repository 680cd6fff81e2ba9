#include "printing/schedule_print.h"

#include <QPen>
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <functional>
#include <optional>

#include "data/local_time.h"
#include "data/schedule/dpsched.h"
#include "data/schedule/dptodo.h"
#include "data/schedule/sched_calendar.h"
#include "data/schedule/sched_time_text.h"
#include "printing/template_font.h"
#include "printing/template_text.h"
#include "storage/errors.h"

namespace {

constexpr int kNormal = 400;
constexpr int kBold = 700;
constexpr char kOutOfRange[] = "Date must be between 1980 and 2037.";
constexpr char kItemTooLong[] = "Schedule item too long to print.";
constexpr char kTodoTooLong[] = "Todo item too long to print.";
constexpr uint8_t kTodoDone = 251;

std::string Format(const char* format, auto... values) {
  char text[160];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// "%s %d, %s": month name, day, year.
std::string LongDate(int32_t day) {
  const LocalTime l = ToLocal(day);
  return Format("%s %d, %d", MonthName(l.month), l.day, l.year);
}

// "%B %Y" in capitals.
std::string MonthYear(int32_t day) {
  const LocalTime l = ToLocal(day);
  return Upper(Format("%s %d", MonthName(l.month), l.year));
}

// The 1st of the month months away from the day's; none outside the years
// a page may show.
std::optional<int32_t> OtherMonth(int32_t day, int months, int firstYear) {
  const LocalTime l = ToLocal(day);
  int month = l.month + months, year = l.year;
  while (month > 12) month -= 12, ++year;
  while (month < 1) month += 12, --year;
  if (year > kLastYear || year < firstYear) return std::nullopt;
  return FromLocal(year, month, 1);
}

bool Fail(RegionFill& fill, const std::string& message) {
  *fill.message = message;
  return false;
}

std::string Owner(const ScheduleRequest& request, const char* what) {
  return Format(what, request.ownerName.c_str());
}

// "%d:%02d%c" with "A" or "P" (or "a", "p"), hour 1 to 12.
std::string ShortTime(int32_t time, bool lower) {
  const LocalTime l = ToLocal(time);
  const int hour = l.hour % 12 == 0 ? 12 : l.hour % 12;
  const char half = l.hour < 12 ? 'A' : 'P';
  return Format("%d:%02d%c", hour, l.minute, lower ? half + ('a' - 'A') : half);
}

// "%2d:%02d%c%s": the start and, with an end, "-%2d:%02d%c".
std::string DailyTime(const DayLine& line) {
  auto part = [](int32_t time) {
    const LocalTime l = ToLocal(time);
    const int hour = l.hour % 12 == 0 ? 12 : l.hour % 12;
    return Format("%2d:%02d%c", hour, l.minute, l.hour < 12 ? 'A' : 'P');
  };
  return part(line.time) + (line.end ? "-" + part(line.end) : std::string());
}

// A line's entry as stored (description and note), read for printing.
struct EntryText {
  std::string description;
  std::string note;
};

EntryText ReadEntry(SchedTable& sched, const DayLine& line) {
  EntryText text{line.description, ""};
  SchedRecord record;
  if (!line.IsSlot() && SchedRead(sched, line.key.RecordNumber(), &record)) {
    text.description = record.Description();
    text.note = record.Note();
  }
  return text;
}

// The mini calendar of a month: 7 columns and 6 rows, each day right-aligned
// and centred in its cell, today marked "*" on a day's page.
void MiniCalendar(RegionFill& fill, int32_t month, int32_t today, bool markToday) {
  const MonthCalendar calendar = CalendarOfMonth(month, today);
  const double width = static_cast<int>(fill.rect.width()) / 7;
  const double height = static_cast<int>(fill.rect.height()) / 6;
  const QFont font = HandlerFont(fill.size, kNormal, true, fill.unit);
  for (int cell = 0; cell < kCalendarCells; ++cell) {
    const CalendarCell& c = calendar.cells[static_cast<size_t>(cell)];
    if (c.day == 0) continue;
    const QRectF at(fill.rect.left() + (cell % 7) * width, fill.rect.top() + (cell / 7) * height,
                    width, height);
    const std::string text =
        markToday && c.mark == kMarkToday ? Format("*%d", c.day) : Format("%d", c.day);
    DrawLine(fill.painter, at, QString::fromStdString(text), font, Qt::AlignRight);
  }
}

RegionHandler Line(std::string text, int weight, bool italic = false,
                   Qt::Alignment align = Qt::AlignLeft) {
  return [text = std::move(text), weight, italic, align](RegionFill& fill) {
    DrawLine(fill.painter, fill.rect, PrintText(text),
             HandlerFont(fill.size, weight, italic, fill.unit), align);
    return true;
  };
}

RegionHandler Calendar(int32_t day, int months, int firstYear, int32_t today, bool markToday) {
  return [=](RegionFill& fill) {
    const std::optional<int32_t> month = OtherMonth(day, months, firstYear);
    if (!month) return Fail(fill, kOutOfRange);
    MiniCalendar(fill, *month, today, markToday);
    return true;
  };
}

RegionHandler MonthHeading(int32_t day, int months, int firstYear) {
  return [=](RegionFill& fill) {
    const std::optional<int32_t> month = OtherMonth(day, months, firstYear);
    if (!month) return Fail(fill, kOutOfRange);
    DrawLine(fill.painter, fill.rect, QString::fromStdString(MonthYear(*month)),
             HandlerFont(fill.size, kBold, false, fill.unit));
    return true;
  };
}

// Runs pages until no handler asks for another: the first on one template,
// the rest on the continuation template. A continuation page that takes
// nothing more would print for ever, so it stops the print.
PrintOutcome RunPages(PrintTarget& target, const ScheduleRequest& request, const char* first,
                      const char* continuation, const HandlerTable& handlers,
                      const std::function<size_t()>& progress) {
  PrintOutcome outcome;
  for (;;) {
    const size_t before = progress();
    const PageOutcome page = PrintTemplatePage(
        target, TemplatePath(request.dataDirectory, outcome.pages == 0 ? first : continuation),
        handlers);
    if (!AddPage(outcome, page) || !page.anotherPage) return outcome;
    if (progress() == before) {
      outcome.ok = false;
      outcome.message = std::string("The rest of the day does not fit on ") + continuation + ".";
      return outcome;
    }
    if (!StartNextPage(target, outcome)) return outcome;
  }
}

// ---- The day ----

struct TodoLine {
  std::string text;  // "%s-%s": priority and text
  bool done = false;
};

class DailyPrint {
 public:
  DailyPrint(const ScheduleRequest& request) : request_(request) {}

  bool Load(std::string* message) {
    SchedTable sched;
    if (!SchedOpen(sched)) return Failed(message);
    const int built =
        SchedBuildDayLines(sched, request_.day, request_.owner, &request_.presets, &lines_);
    if (built) {
      for (const DayLine& line : lines_) texts_.push_back(ReadEntry(sched, line));
    }
    SchedClose(sched);
    if (!built) return Failed(message);

    TodoTable todo;
    if (!TodoOpen(todo)) return Failed(message);
    std::vector<TodoListEntry> entries;
    const int day = DayOf(request_.day);
    int collected =
        TodoCollect(todo, day, request_.owner, day == request_.today, kMaxTodoItems, &entries);
    for (size_t i = 0; collected && i < entries.size(); ++i) {
      TodoRecord record;
      if (!TodoRead(todo, entries[i].RecordNumber(), &record)) continue;  // deleted meanwhile
      todos_.push_back({record.Priority() + "-" + record.Text(), record.Status() == kTodoDone});
    }
    TodoClose(todo);
    if (!collected) return Failed(message);
    return true;
  }

  HandlerTable Handlers() {
    const int32_t day = request_.day, today = request_.today;
    const LocalTime l = ToLocal(day);
    return {
        {"CRNTMTHDAYS", Calendar(day, 0, kFirstYear, today, true)},
        {"NEXTMTHDAYS", Calendar(day, 1, kFirstYear, today, true)},
        {"NAME", Line(Owner(request_, "%s's daily schedule"), kNormal)},
        {"DAY", Line(WeekdayName(l.weekday), kBold)},
        {"CRNTMTH", MonthHeading(day, 0, kFirstYear)},
        {"NEXTMTH", MonthHeading(day, 1, kFirstYear)},
        {"DATE", Line(LongDate(day), kNormal)},
        {"TIME", [this](RegionFill& f) { return Keep(f, &time_); }},
        {"SCHDITEMS", [this](RegionFill& f) { return Keep(f, &items_); }},
        {"TODAY", [this](RegionFill& f) { return Keep(f, &untimed_); }},
        {"TODO", [this](RegionFill& f) { return Todo(f); }},
    };
  }

  // How far the print has come, so a page that takes nothing is seen.
  size_t Progress() const { return nextLine_ + nextTodo_; }

  void StartPage() { time_.reset(), items_.reset(), untimed_.reset(); }

 private:
  struct Kept {
    QRectF rect;
    int size = 0;
  };

  static bool Failed(std::string* message) {
    *message = FormatAppError();
    return false;
  }

  // The three schedule regions are filled together, once all are known.
  bool Keep(RegionFill& fill, std::optional<Kept>* slot) {
    *slot = Kept{fill.rect, fill.size};
    if (!time_ || !items_ || !untimed_) return true;
    return Schedule(fill);
  }

  bool Schedule(RegionFill& fill) {
    QPainter& p = fill.painter;
    double untimedTop = untimed_->rect.top(), itemsTop = items_->rect.top();
    bool firstUntimed = true, firstItem = true;
    for (; nextLine_ < lines_.size(); ++nextLine_) {
      const DayLine& line = lines_[nextLine_];
      if (line.IsEndLine()) continue;
      const EntryText& entry = texts_[nextLine_];
      const bool untimed = IsUntimedLine(line);
      const Kept& region = untimed ? *untimed_ : *items_;
      const QFont bold = HandlerFont(region.size, kBold, false, fill.unit);
      const QFont normal = HandlerFont(region.size, kNormal, false, fill.unit);
      const QString text = line.IsSlot() ? QString(" ") : PrintText(entry.description);
      const QString note = entry.note.empty() ? QString() : PrintText("NOTE: " + entry.note);
      const double width = region.rect.width();
      double height = WrappedHeight(p, bold, width, text);
      if (!note.isEmpty()) height += WrappedHeight(p, normal, width, note);
      QFont timeFont;
      QString timeText;
      if (!untimed) {
        timeFont = HandlerFont(time_->size, kNormal, false, fill.unit);
        timeText = QString::fromStdString(DailyTime(line));
        height = std::max(height, WrappedHeight(p, timeFont, time_->rect.width(), timeText));
      }
      double& top = untimed ? untimedTop : itemsTop;
      bool& first = untimed ? firstUntimed : firstItem;
      if (top + height > region.rect.bottom()) {
        if (first) return Fail(fill, kItemTooLong);
        *fill.anotherPage = true;
        return true;
      }
      double y = top;
      y += DrawWrapped(p, bold, QRectF(region.rect.left(), y, width, height), text);
      if (!note.isEmpty())
        DrawWrapped(p, normal, QRectF(region.rect.left(), y, width, height), note);
      if (!untimed) {
        DrawLine(p,
                 QRectF(time_->rect.left(), top, time_->rect.width(),
                        WrappedHeight(p, timeFont, time_->rect.width(), "0")),
                 timeText, timeFont);
      }
      top += height;
      first = false;
    }
    return true;
  }

  bool Todo(RegionFill& fill) {
    QPainter& p = fill.painter;
    const double u = fill.unit;
    const QRectF& r = fill.rect;
    const QFont font = HandlerFont(fill.size, kNormal, false, u);
    const double textLeft = r.left() + 250 * u, width = r.right() - textLeft;
    const double lineHeight = WrappedHeight(p, font, width, "0");
    double top = r.top();
    bool first = true;
    for (; nextTodo_ < todos_.size(); ++nextTodo_) {
      const TodoLine& item = todos_[nextTodo_];
      const QString text = PrintText(item.text);
      const double height = std::max(WrappedHeight(p, font, width, text), 100 * u);
      if (top + height > r.bottom()) {
        if (first) return Fail(fill, kTodoTooLong);
        *fill.anotherPage = true;
        return true;
      }
      const QRectF box(r.left(), top + (lineHeight - 100 * u) / 2, 100 * u, 100 * u);
      TickBox(p, box, item.done, u);
      DrawWrapped(p, font, QRectF(textLeft, top, width, height), text);
      top += height + 40 * u;
      first = false;
    }
    // Room for the items written in by hand.
    for (double y = top; y + 300 * u <= r.bottom(); y += 300 * u) {
      TickBox(p, QRectF(r.left(), y + 150 * u, 100 * u, 100 * u), false, u);
      p.save();
      p.setPen(QPen(Qt::black, 4 * u));
      p.drawLine(QPointF(textLeft, y + 250 * u), QPointF(r.right(), y + 250 * u));
      p.restore();
    }
    return true;
  }

  static void TickBox(QPainter& p, const QRectF& box, bool done, double u) {
    p.save();
    p.setPen(QPen(Qt::black, 15 * u));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box);
    if (done) {
      p.drawLine(QPointF(box.left() + 20 * u, box.center().y()),
                 QPointF(box.left() + 45 * u, box.bottom() - 15 * u));
      p.drawLine(QPointF(box.left() + 45 * u, box.bottom() - 15 * u),
                 QPointF(box.right() - 10 * u, box.top() + 10 * u));
    }
    p.restore();
  }

  ScheduleRequest request_;
  std::vector<DayLine> lines_;
  std::vector<EntryText> texts_;
  std::vector<TodoLine> todos_;
  size_t nextLine_ = 0;
  size_t nextTodo_ = 0;
  std::optional<Kept> time_, items_, untimed_;
};

// ---- Items of a day in a week's or a month's cell ----

struct DayItem {
  bool timed = false;
  int32_t start = 0;
  int32_t end = 0;
  std::string description;
};

bool LoadDayItems(SchedTable& sched, int32_t day, int32_t owner, std::vector<DayItem>* items) {
  std::vector<DayLine> lines;
  if (!SchedBuildDayLines(sched, day, owner, nullptr, &lines)) return false;
  for (const DayLine& line : lines) {
    if (line.IsEndLine() || line.IsSlot()) continue;
    const EntryText text = ReadEntry(sched, line);
    items->push_back({!IsUntimedLine(line), line.time, line.end, text.description});
  }
  return true;
}

// The items of count days from first on, one list a day; the table is
// closed again whether or not every day could be read.
bool LoadDays(int32_t first, int count, int32_t owner, std::vector<DayItem>* days) {
  SchedTable sched;
  if (!SchedOpen(sched)) return false;
  bool read = true;
  for (int i = 0; read && i < count; ++i)
    read = LoadDayItems(sched, AddDays(first, i), owner, &days[i]);
  SchedClose(sched);
  return read;
}

// A week's day: untimed items in bold, timed ones after their time, their
// text 400 units in; what does not fit is left out.
bool WeekDayItems(RegionFill& fill, const std::vector<DayItem>& items) {
  QPainter& p = fill.painter;
  const double u = fill.unit, indent = 400 * u;
  const QFont bold = HandlerFont(fill.size, kBold, false, u);
  const QFont normal = HandlerFont(fill.size, kNormal, false, u);
  double top = fill.rect.top();
  for (const DayItem& item : items) {
    const QRectF& r = fill.rect;
    if (!item.timed) {
      const QString text = PrintText(item.description);
      const double h = WrappedHeight(p, bold, r.width(), text);
      if (top + h > r.bottom()) break;
      DrawWrapped(p, bold, QRectF(r.left(), top, r.width(), h), text);
      top += h;
      continue;
    }
    std::string text = item.description;
    if (item.end) text = "-" + ShortTime(item.end, false) + " " + text;
    const QString shown = PrintText(text);
    const double h = WrappedHeight(p, normal, r.width() - indent, shown);
    if (top + h > r.bottom()) break;
    DrawWrapped(p, normal, QRectF(r.left(), top, indent, h),
                QString::fromStdString(ShortTime(item.start, false)));
    DrawWrapped(p, normal, QRectF(r.left() + indent, top, r.width() - indent, h), shown);
    top += h;
  }
  return true;
}

// A month's cell: 7-point type whatever the label says; a timed item's time
// in bold, its text 300 units in; items stop at the cell's bottom.
bool MonthCellItems(RegionFill& fill, const std::vector<DayItem>& items) {
  QPainter& p = fill.painter;
  const double u = fill.unit, indent = 300 * u;
  const QFont bold = HandlerFont(7, kBold, false, u);
  const QFont normal = HandlerFont(7, kNormal, false, u);
  double top = fill.rect.top();
  const QRectF& r = fill.rect;
  for (const DayItem& item : items) {
    const QString text = PrintText(item.description);
    const double left = item.timed ? r.left() + indent : r.left();
    const double h = WrappedHeight(p, normal, r.right() - left, text);
    if (top + h > r.bottom()) break;
    if (item.timed) {
      DrawWrapped(p, bold, QRectF(r.left(), top, indent, h),
                  QString::fromStdString(ShortTime(item.start, true)));
    }
    DrawWrapped(p, normal, QRectF(left, top, r.right() - left, h), text);
    top += h;
  }
  return true;
}

}  // namespace

int32_t PrintWeekMonday(int32_t day) {
  const int weekday = ToLocal(day).weekday;
  return AddDays(DayOf(day), weekday == 0 ? 1 : 1 - weekday);
}

PrintOutcome PrintDailySchedule(PrintTarget& target, const ScheduleRequest& request) {
  DailyPrint print(request);
  PrintOutcome outcome;
  if (!print.Load(&outcome.message)) {
    outcome.ok = false;
    return outcome;
  }
  const HandlerTable handlers = print.Handlers();
  return RunPages(target, request, "daily.wmf", "daily2.wmf", handlers, [&print] {
    print.StartPage();
    return print.Progress();
  });
}

PrintOutcome PrintWeeklySchedule(PrintTarget& target, const ScheduleRequest& request, int32_t from,
                                 int32_t to) {
  PrintOutcome outcome;
  from = DayOf(from);
  to = DayOf(to);
  for (int32_t monday = PrintWeekMonday(from); monday <= to; monday = AddDays(monday, 7)) {
    if (outcome.pages > 0 && !StartNextPage(target, outcome)) return outcome;
    const int32_t sunday = AddDays(monday, 6);
    const int32_t firstShown = std::max(monday, from), lastShown = std::min(sunday, to);
    std::array<std::vector<DayItem>, 7> items;
    if (!LoadDays(monday, 7, request.owner, items.data())) {
      outcome.ok = false;
      outcome.message = FormatAppError();
      return outcome;
    }
    static constexpr const char* kDays[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
    HandlerTable handlers = {
        {"CRNTMTHDAYS", Calendar(firstShown, 0, kFirstYear, request.today, false)},
        {"NEXTMTHDAYS", Calendar(firstShown, 1, kFirstYear, request.today, false)},
        {"NAME", Line(Owner(request, "%s's weekly schedule"), kNormal)},
        {"DAYTODAY", Line(Format("%s - %s", WeekdayName(ToLocal(firstShown).weekday),
                                 WeekdayName(ToLocal(lastShown).weekday)),
                          kBold)},
        {"DATETODATE", Line(LongDate(firstShown) + " - " + LongDate(lastShown), kNormal)},
        {"CRNTMTH", MonthHeading(firstShown, 0, kFirstYear)},
        {"NEXTMTH", MonthHeading(firstShown, 1, kFirstYear)},
    };
    for (int i = 0; i < 7; ++i) {
      const int32_t day = AddDays(monday, i);
      handlers.push_back({kDays[i], Line(Format("%d", ToLocal(day).day), kNormal)});
      handlers.push_back({std::string(kDays[i]) + "SCHED", [&items, i](RegionFill& f) {
                            return WeekDayItems(f, items[static_cast<size_t>(i)]);
                          }});
    }
    const PageOutcome page =
        PrintTemplatePage(target, TemplatePath(request.dataDirectory, "weekly.wmf"), handlers);
    if (!AddPage(outcome, page)) return outcome;
  }
  return outcome;
}

PrintOutcome PrintMonthlySchedule(PrintTarget& target, const ScheduleRequest& request) {
  PrintOutcome outcome;
  const LocalTime l = ToLocal(request.day);
  const int32_t first = FromLocal(l.year, l.month, 1);
  const int firstCell = ToLocal(first).weekday;
  const int days = DaysInMonth(l.year, l.month);
  std::array<std::vector<DayItem>, 32> items;
  // items[d] holds day d of the month.
  if (!LoadDays(first, days, request.owner, items.data() + 1)) {
    outcome.ok = false;
    outcome.message = FormatAppError();
    return outcome;
  }
  HandlerTable handlers = {
      {"LASTMTHDAYS", Calendar(first, -1, kFirstYear + 1, request.today, false)},
      {"NEXTMTHDAYS", Calendar(first, 1, kFirstYear, request.today, false)},
      {"NAME", Line(Owner(request, "%s's monthly schedule"), kNormal)},
      {"MONTH", Line(MonthName(l.month), kBold)},
      {"YEAR", Line(Format("%d", l.year), kNormal)},
      {"LASTMTH", MonthHeading(first, -1, kFirstYear + 1)},
      {"NEXTMTH", MonthHeading(first, 1, kFirstYear)},
  };
  // Cell n is grid position n - 1; the 1st sits under its weekday.
  for (int n = 1; n <= 37; ++n) {
    const int day = n - 1 - firstCell + 1;
    const bool inMonth = day >= 1 && day <= days;
    handlers.push_back({Format("C%d", n), inMonth
                                              ? Line(Format("%d", day), kNormal, true)
                                              : RegionHandler([](RegionFill&) { return true; })});
    handlers.push_back({Format("SCH%d", n), [&items, day, inMonth](RegionFill& f) {
                          return inMonth ? MonthCellItems(f, items[static_cast<size_t>(day)])
                                         : true;
                        }});
  }
  const PageOutcome page =
      PrintTemplatePage(target, TemplatePath(request.dataDirectory, "monthly.wmf"), handlers);
  AddPage(outcome, page);
  return outcome;
}
