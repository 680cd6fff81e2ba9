// The scheduler's week and month layouts, going to a date, searching,
// copying an entry into other people's schedules, and the "&Calendar" menu
// (Export writes the schedule shown to the file chosen in the save dialog;
// Import adds a chosen file's events to it, tells what was added and
// refused, and lets the owner's workstation know), on a real office.
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <fstream>
#include <memory>

#include "data/schedule/sched_ical.h"
#include "scheduler/goto_date_dialog.h"
#include "scheduler/month_view.h"
#include "scheduler/plain_line.h"
#include "scheduler/sched_copy_dialog.h"
#include "scheduler/sched_search.h"
#include "scheduler/sched_view_ics.h"
#include "scheduler/week_view.h"
#include "tests/scheduler/sched_window_office.h"
#include "toolkit/scripted_desktop.h"
#include "toolkit/scripted_prompts.h"

using O = SchedOffice;

namespace {

constexpr char kTwoEvents[] =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//\r\n"
    "BEGIN:VEVENT\r\nUID:a@test\r\nSUMMARY:Dentist\r\n"
    "DTSTART;TZID=America/New_York:20270315T140000\r\n"
    "DTEND;TZID=America/New_York:20270315T150000\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:b@test\r\nSUMMARY:Moon landing\r\nDTSTART:19690720T201700Z\r\n"
    "END:VEVENT\r\nEND:VCALENDAR\r\n";

}  // namespace

class ViewsTest : public QObject, SchedWindowSet<> {
  Q_OBJECT

 private:
  std::unique_ptr<ScriptedDesktop> desktop;

  static int32_t At(int m, int d, int h = 0, int min = 0) { return O::At(2027, m, d, h, min); }
  // The schedule of "ANNE", "BOB" or "* COMMON" opened, BOB's after his
  // (empty) password.
  SchedView* OpenFor(const ScheduleOwner& owner) {
    if (owner.number == Bob()) passwords->answers.push_back("");
    scheduler = std::make_unique<Scheduler>(office->Ini(), *passwords);
    scheduler->SetOwner(owner);
    return scheduler->Open() ? scheduler->Window() : nullptr;
  }
  ScheduleOwner OwnerCalled(const QString& who) {
    if (who == "* COMMON") return {kCommonScheduleOwner, kCommonScheduleName};
    return {office->numbers[who.toStdString()], who.toStdString()};
  }
  static QAction* MenuAction(SchedView* view, const QString& text) {
    for (QAction* menu : view->findChild<QMenuBar*>()->actions()) {
      if (menu->text() != kCalendarMenu || !menu->menu()) continue;
      for (QAction* a : menu->menu()->actions())
        if (a->text() == text) return a;
    }
    return nullptr;
  }
  static QString Title(QWidget* view) {
    return FindControlAs<QLabel>(view, SchedView::kIdTitle)->text();
  }

 private slots:
  void init() {
    QVERIFY(MakeSet());
    desktop = std::make_unique<ScriptedDesktop>();
  }
  void cleanup() {
    DropSet();
    desktop.reset();
  }

  void theWeekLaysEntriesAtOneTimeSideBySideWithThePresetHours() {
    office->Add(O::Entry(Anne(), At(3, 15, 9), "Standup"));
    office->Add(O::Entry(Anne(), At(3, 15, 9), "Coffee"));
    office->Add(O::Entry(Anne(), At(3, 15, 9, 30), "Review"));
    office->Add(O::Entry(Anne(), At(3, 16, 9), "Dentist"));
    auto* week = OpenView<WeekSchedView>(kViewWeek);
    QVERIFY(week);
    QCOMPARE(week->objectName(), QString("WEEK_VIEW"));
    QCOMPARE(Title(week), QString("March 14 - March 20, 2027"));
    QTableView* grid = week->Grid();
    QCOMPARE(grid->accessibleName(), QString("Week"));
    QCOMPARE(GridHeading(grid, 2), QString("Mon 15"));
    QCOMPARE(GridColumn(grid, 0).mid(0, 5),
             QStringList({"8:00am", "9:00am", "", "9:30am", "10:00am"}));
    QCOMPARE(grid->model()->rowCount(), 12);
    QCOMPARE(GridColumn(grid, 2).mid(0, 4), QStringList({"", "Coffee", "Standup", "Review"}));
    QCOMPARE(GridColumn(grid, 3).mid(0, 3), QStringList({"", "Dentist", ""}));
    QCOMPARE(GridCell(grid, 1, 3, Qt::AccessibleTextRole), QString("Tue 16, 9:00am, Dentist"));

    // An empty cell starts an entry at its row's time on its day.
    week->SelectCell(4, 3);  // Wednesday 10:00
    QCOMPARE(scheduler->CurrentDay(), At(3, 17));
    QCOMPARE(week->SelectedSlotTime(), At(3, 17, 10));
    QVERIFY(!week->Button(SchedView::kIdDelete)->isEnabled());
    week->SelectCell(1, 1);  // Monday 9:00
    QVERIFY(week->Button(SchedView::kIdDelete)->isEnabled());
    // An entry is found again by its record, as after an edit.
    week->SelectCell(1, 2);  // Tuesday 9:00
    const int32_t dentist = week->SelectedRecord();
    week->SelectCell(4, 3);
    week->SelectRecord(dentist);
    QCOMPARE(grid->currentIndex(), grid->model()->index(1, 3));
    // A cell a screen reader selects becomes the current one.
    grid->clearSelection();
    grid->selectionModel()->select(grid->model()->index(2, 2), QItemSelectionModel::Select);
    QCOMPARE(grid->currentIndex(), grid->model()->index(2, 2));

    // ">" a week on; a day's heading opens that day.
    QTest::mouseClick(FindControlAs<QPushButton>(week, SchedView::kIdForward), Qt::LeftButton);
    QCOMPARE(Title(week), QString("March 21 - March 27, 2027"));
    week->HeadingClicked(3);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* day = qobject_cast<DaySchedView*>(scheduler->Window());
    QVERIFY(day);
    QCOMPARE(Title(day), QString("Tuesday, March 23, 2027"));
  }

  // The week's edges: Sunday and Saturday, and the untimed row that heads
  // the grid on its yellow ground; a preset hour's time is greyed.
  void theWeekShowsItsFirstAndLastDayAndTheUntimedRow() {
    office->Add(O::Entry(Anne(), At(3, 14), "Holiday"));
    office->Add(O::Entry(Anne(), At(3, 20, 9), "Market"));
    auto* week = OpenView<WeekSchedView>(kViewWeek);
    QVERIFY(week);
    QTableView* grid = week->Grid();
    QCOMPARE(GridCell(grid, 0, 1), QString("Holiday"));
    QCOMPARE(GridCell(grid, 0, 1, Qt::AccessibleTextRole), QString("Sun 14, no time, Holiday"));
    QCOMPARE(GridCell(grid, 0, 0), QString(""));
    QCOMPARE(grid->model()->index(0, 4).data(Qt::BackgroundRole).value<QBrush>().color(),
             QColor(255, 255, 128));
    QCOMPARE(GridCell(grid, 1, 0), QString("8:00am"));
    QCOMPARE(grid->model()->index(1, 0).data(Qt::BackgroundRole), QVariant());
    QCOMPARE(grid->model()->index(1, 0).data(Qt::ForegroundRole).value<QBrush>().color(),
             grid->palette().color(QPalette::Disabled, QPalette::Text));
    QCOMPARE(GridCell(grid, 2, 0), QString("9:00am"));
    QCOMPARE(grid->model()->index(2, 0).data(Qt::ForegroundRole), QVariant());
    QCOMPARE(GridCell(grid, 2, 7), QString("Market"));
    QCOMPARE(GridHeading(grid, 7), QString("Sat 20"));
  }

  void aWeekLeavingTheYearsIsNotShown() {
    auto* week = OpenView<WeekSchedView>(kViewWeek);
    QVERIFY(week);
    // The week of 1 January 1980 begins on 30 December 1979.
    QVERIFY(!week->MoveTo(O::At(1980, 1, 2)));
    QCOMPARE(scheduler->CurrentDay(), At(3, 15));
    QCOMPARE(Title(week), QString("March 14 - March 20, 2027"));
  }

  void theMonthShowsFiveEntriesADayAndShadesOtherMonths() {
    for (int i = 0; i < 6; ++i)
      office->Add(O::Entry(Anne(), At(3, 18, 9 + i), "Item " + std::to_string(i)));
    office->Add(O::Entry(Anne(), At(3, 19), "Holiday"));
    auto* month = OpenView<MonthSchedView>(kViewMonth);
    QVERIFY(month);
    QCOMPARE(Title(month), QString("March, 2027"));
    const MonthCalendar& cal = month->Month().calendar;
    QCOMPARE(
        month->CellText(cal.CellOf(18)),
        QString("18 \n9:00a Item 0\n10:00a Item 1\n11:00a Item 2\n12:00p Item 3\n1:00p Item 4"));
    QCOMPARE(month->CellText(cal.CellOf(19)), QString("19 \nHoliday"));
    QCOMPARE(month->CellText(cal.CellOf(15)), QString("15* "));
    QCOMPARE(month->Grid()->item(0, 0)->background().color(), QColor(224, 224, 224));
    QCOMPARE(month->Grid()->item(2, 1)->foreground().color(), QColor(255, 0, 0));
    QVERIFY(!month->Button(SchedView::kIdCopy)->isVisible());
    // A screen reader hears a cell as its date and its entries.
    QTableWidget* grid = FindControlAs<QTableWidget>(month, MonthSchedView::kIdGrid);
    QCOMPARE(grid, month->Grid());
    QCOMPARE(grid->accessibleName(), QString("Month"));
    QCOMPARE(grid->item(2, 5)->data(Qt::AccessibleTextRole).toString(),
             QString("Friday, March 19, 2027; Holiday"));
    QCOMPARE(grid->item(2, 1)->data(Qt::AccessibleTextRole).toString(),
             QString("Monday, March 15, 2027, today"));
    // Choosing a cell makes its day current; a blank cell leaves it.
    grid->setCurrentCell(3, 2);
    QCOMPARE(scheduler->CurrentDay(), At(3, 23));
    grid->setCurrentCell(0, 0);
    QCOMPARE(scheduler->CurrentDay(), At(3, 23));
    auto* back = FindControlAs<QPushButton>(month, SchedView::kIdBack);
    auto* forward = FindControlAs<QPushButton>(month, SchedView::kIdForward);
    QCOMPARE(back->accessibleName(), QString("Previous month"));
    QCOMPARE(forward->accessibleName(), QString("Next month"));
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(Title(month), QString("February, 2027"));
    QTest::mouseClick(forward, Qt::LeftButton);
    QTest::mouseClick(forward, Qt::LeftButton);
    QCOMPARE(Title(month), QString("April, 2027"));
  }

  // A cell's lines are painted one under another; a line too wide for the
  // cell ends in an ellipsis inside it rather than at the cell's edge.
  void theMonthPaintsEachLineAndElidesALongOne() {
    office->Add(O::Entry(Anne(), At(3, 18, 9), std::string(60, 'W')));
    office->Add(O::Entry(Anne(), At(3, 18, 10), "Tea"));
    auto* month = OpenView<MonthSchedView>(kViewMonth);
    QVERIFY(month);
    QTableWidget* grid = month->Grid();
    const int cell = month->Month().calendar.CellOf(18);
    const QRect r = grid->visualRect(grid->model()->index(cell / 7, cell % 7));
    const QImage image = grid->viewport()->grab().toImage();
    // The cell's navy ink, told from its white ground and grey grid lines.
    const auto inked = [&image](int x, int y) {
      const QColor c = image.pixelColor(x, y);
      return c.blue() > c.red() + 40;
    };
    // Each line's first inked row and its last inked column.
    QList<QPoint> lines;
    bool inLine = false;
    for (int y = r.top(); y < r.bottom(); ++y) {
      int last = -1;
      for (int x = r.left(); x <= r.right(); ++x)
        if (inked(x, y)) last = x;
      if (last >= 0 && !inLine) lines.push_back(QPoint(last, y));
      if (last >= 0) lines.back().rx() = std::max(lines.back().x(), last);
      inLine = last >= 0;
    }
    // "18 ", the long entry, "10:00a Tea": their digits' tops a line apart.
    QCOMPARE(lines.size(), 3);
    const int height = QFontMetrics(grid->font()).height();
    QCOMPARE(lines[1].y() - lines[0].y(), height);
    QCOMPARE(lines[2].y() - lines[1].y(), height);
    QVERIFY(lines[1].x() <= r.right() - 2);
    QVERIFY(lines[1].x() > r.right() - 20);
    QVERIFY(lines[2].x() < lines[1].x() - 10);
  }

  // The cells' line painter keeps the font's glyphs between lines: a line in
  // another font is drawn in that font, as a fresh painter draws it, and a
  // line the font has no glyph for is drawn as the painter's text.
  void theLinePainterDrawsInTheFontItIsGivenAndLeavesMissingGlyphsToText() {
    const auto drawn = [](PlainLinePainter& lines, const QFont& font, const QString& text,
                          bool asText = false) {
      QImage image(240, 60, QImage::Format_RGB32);
      image.fill(Qt::white);
      QPainter painter(&image);
      const QFontMetrics metrics(font);
      const QPoint baseline(2, 4 + metrics.ascent());
      if (asText) {
        painter.setFont(font);
        painter.drawText(baseline, text);
      } else {
        lines.Draw(&painter, font, metrics, text, baseline, 230);
      }
      return image;
    };
    QFont small, large;
    small.setPointSize(7);
    large.setPointSize(20);
    PlainLinePainter lines, fresh;
    const QImage first = drawn(lines, small, "Hg");
    const QImage second = drawn(lines, large, "Hg");
    QVERIFY(first != second);
    QCOMPARE(second, drawn(fresh, large, "Hg"));
    QCOMPARE(drawn(lines, small, "Hg"), first);
    const QString lacking = QString("A") + QChar(0xE000) + "B";
    QCOMPARE(drawn(lines, small, lacking), drawn(fresh, small, lacking, true));
  }

  // Widened, each grid's columns fill it to the right edge; the week's
  // time heading still narrows the weekend.
  void theGridsFillAWiderWindow() {
    for (int kind : {kViewWeek, kViewMonth}) {
      QTableView* grid = kind == kViewWeek ? OpenView<WeekSchedView>(kind)->Grid()
                                           : OpenView<MonthSchedView>(kind)->Grid();
      const auto [columns, viewport] = ColumnsAgainstViewport(grid);
      QCOMPARE(columns, viewport);
      if (kind != kViewWeek) continue;
      const int before = grid->columnWidth(2);
      qobject_cast<WeekSchedView*>(grid->window())->HeadingClicked(0);
      QCoreApplication::processEvents();
      QCOMPARE(grid->columnWidth(1), 25);
      QVERIFY(grid->columnWidth(2) > before);
    }
  }

  void goToTakesAReadableDateOnly() {
    auto* day = OpenView<DaySchedView>(kViewDay);
    QVERIFY(day);
    dialogs->Then([](TBaseDialog& d) {
      QCOMPARE(FindControlAs<QLineEdit>(&d, GotoDateDialog::kIdDate)->text(), QString("3-15-27"));
      DialogSteps::Type(d, GotoDateDialog::kIdDate, "2-30-27");
      DialogSteps::Press(d, kIdOk);
      QVERIFY(d.IsOpen());
      DialogSteps::Type(d, GotoDateDialog::kIdDate, "7-4-27");
      DialogSteps::Press(d, kIdOk);
    });
    day->Command(SchedView::kIdGoTo);
    QVERIFY(Asked("Invalid date"));
    QCOMPARE(Title(day), QString("Sunday, July 4, 2027"));
    dialogs->Then([](TBaseDialog& d) { DialogSteps::Press(d, GotoDateDialog::kIdToday); });
    day->Command(SchedView::kIdGoTo);
    QCOMPARE(Title(day), QString("Monday, March 15, 2027"));
  }

  void searchFindsNotesWithoutRegardToCaseAndGoesToTheMatch() {
    SchedRecord r = O::Entry(Anne(), At(6, 2, 14), "Lunch");
    r.SetNote("Bring the BUDGET figures");
    const int32_t lunch = office->Add(r);
    office->Add(O::Entry(Anne(), At(3, 20, 8), "Budget review"));
    office->Add(O::Entry(Bob(), At(3, 20, 8), "Budget of Bob"));
    auto* day = OpenView<DaySchedView>(kViewDay);
    QVERIFY(day);
    std::vector<SchedMatch> found;
    dialogs->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Search Schedule"));
      DialogSteps::Type(d, SchedSearchDialog::kIdText, "budget  ");
      DialogSteps::Press(d, SchedSearchDialog::kIdFind);
      found = static_cast<SchedSearchDialog&>(d).Matches();
      auto* list = FindControlAs<QTreeWidget>(&d, SchedSearchDialog::kIdResults);
      list->setCurrentItem(list->topLevelItem(1));
      DialogSteps::Press(d, SchedSearchDialog::kIdGoTo);
    });
    day->Command(SchedView::kIdSearch);
    QCOMPARE(found.size(), size_t(2));
    QCOMPARE(QString::fromStdString(found[0].row), QString("3-20-27\t8:00am\tBudget review"));
    QCOMPARE(QString::fromStdString(found[1].row), QString("6-02-27\t2:00pm\tLunch"));
    QCOMPARE(Title(day), QString("Wednesday, June 2, 2027"));
    QCOMPARE(day->SelectedRecord(), lunch);

    dialogs->Then([](TBaseDialog& d) {
      DialogSteps::Type(d, SchedSearchDialog::kIdText, "zebra");
      DialogSteps::Press(d, SchedSearchDialog::kIdFind);
      DialogSteps::Press(d, SchedSearchDialog::kIdGoTo);
      QVERIFY(d.IsOpen());
    });
    day->Command(SchedView::kIdSearch);
    QVERIFY(Asked("No matches found."));
    QVERIFY(Asked("No entry selected."));
  }

  void aCopyGoesToTheChosenPersonWithTheMemoAndWithoutItsGroup() {
    SchedRecord r = O::Entry(Anne(), At(3, 15, 9), "Standup");
    r.SetRepeatGroup(77);
    const int32_t number = office->Add(r);
    auto* day = OpenView<DaySchedView>(kViewDay);
    QVERIFY(day);
    day->SelectRecord(number);
    bool repeatsOffered = false;
    dialogs->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Copy to:"));
      repeatsOffered = FindControlAs<QCheckBox>(&d, SchedCopyDialog::kIdCopyRepeats)->isEnabled();
      DialogSteps::Press(d, kIdOk);  // nobody chosen yet
      QVERIFY(d.IsOpen());
      // Typing into the recipient field opens the name picker.
      QTest::keyClicks(FindControlAs<QLineEdit>(&d, SchedCopyDialog::kIdTo), "B");
      DialogSteps::Press(d, kIdOk);
    });
    dialogs->PickName("BOB");
    day->Command(SchedView::kIdCopy);
    QVERIFY(repeatsOffered);
    QVERIFY(Asked("Please select recipient(s)"));
    QCOMPARE(office->Day(Bob(), At(3, 15)), std::vector<std::string>{"Standup"});
    QCOMPARE(office->MemosTo("BOB").size(), size_t(1));
    SchedTable handle;
    QVERIFY(SchedOpen(handle));
    SchedKey key;
    QVERIFY(SchedFindFirst(handle, At(3, 15), Bob(), &key));
    QCOMPARE(key.RepeatGroup(), 0);
    SchedClose(handle);
  }

  void exportWritesTheScheduleShownAndCancelWritesNothing() {
    const struct {
      const char* owner;
      const char* suggested;
    } cases[] = {{"ANNE", "ANNE.ics"}, {"BOB", "BOB.ics"}, {"* COMMON", "COMMON.ics"}};
    for (const auto& c : cases) {
      const ScheduleOwner who = OwnerCalled(c.owner);
      office->Add(O::Entry(who.number, At(3, 15, 10), std::string("Planning ") + c.owner));
      office->Add(O::Entry(office->numbers["CAROL"], At(3, 15, 11), "Not shown"));
      SchedView* view = OpenFor(who);
      QVERIFY(view);
      const QString path = QString::fromStdString(office->dir.File("out.ics"));
      desktop->Answer(path);
      MenuAction(view, kCalendarExport)->trigger();
      QCOMPARE(desktop->Requests().back().kind, QString("Save"));
      QCOMPARE(desktop->Requests().back().detail, QString(c.suggested));
      const std::string text = ReadWholeFile(path.toStdString());
      QVERIFY2(text.find(std::string("SUMMARY:Planning ") + c.owner) != std::string::npos, c.owner);
      QVERIFY(text.find("Not shown") == std::string::npos);
      QCOMPARE(prompts->AskedList().back().text, QString("1 entry exported."));
    }
    // Cancel in either file dialog does nothing; a file gone is named.
    SchedView* view = scheduler->Window();
    prompts->Clear();
    MenuAction(view, kCalendarExport)->trigger();
    MenuAction(view, kCalendarImport)->trigger();
    QCOMPARE(desktop->Requests().size(), size_t(5));
    QCOMPARE(desktop->Requests()[4].kind, QString("Open"));
    QVERIFY(prompts->AskedList().empty());
    const std::string gone = office->dir.File("gone.ics");
    desktop->Answer(QString::fromStdString(gone));
    MenuAction(view, kCalendarImport)->trigger();
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QVERIFY(prompts->Questions()[0].text.contains(QString::fromStdString(gone)));
  }

  void importAddsTheEventsAndSaysWhatWasRefused_data() {
    QTest::addColumn<QString>("owner");
    QTest::addColumn<bool>("flagged");
    QTest::newRow("her own") << "ANNE" << false;
    QTest::newRow("a colleague's") << "BOB" << true;
    QTest::newRow("the office's") << "* COMMON" << false;
  }
  void importAddsTheEventsAndSaysWhatWasRefused() {
    QFETCH(QString, owner);
    QFETCH(bool, flagged);
    const ScheduleOwner who = OwnerCalled(owner);
    const std::string path = office->dir.File("in.ics");
    std::ofstream(path, std::ios::binary) << kTwoEvents;
    SchedView* view = OpenFor(who);
    QVERIFY(view);
    desktop->Answer(QString::fromStdString(path));
    MenuAction(view, kCalendarImport)->trigger();
    QCOMPARE(prompts->Questions().back().text,
             QString("1 entry added from 2 events.\n1 refused:\n"
                     "  Moon landing (7-20-69): year outside 1980 to 2037\n"));
    QCOMPARE(office->Day(who.number, At(3, 15)), std::vector<std::string>{"Dentist"});
    if (who.number > 0)
      QCOMPARE((office->Flag(owner.toStdString()) & kFlagScheduleChanged) != 0, flagged);
    QCOMPARE(prompts->WorkingDepth(), 0);
  }
};

QTEST_MAIN(ViewsTest)
#include "views_test.moc"
