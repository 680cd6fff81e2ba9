// The scheduler's and the to-do list's Print on a real office with the
// delivered page templates, read back from the PDF the print job wrote;
// the keys and clicks of the views that reach the entry dialog; and the
// windows' placement carried from one window to the next.
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "printing/scripted_print_dialogs.h"
#include "scheduler/edit_sched_dialog.h"
#include "scheduler/month_view.h"
#include "scheduler/sched_print.h"
#include "scheduler/todo_window.h"
#include "scheduler/week_view.h"
#include "tests/printing/text_pieces.h"
#include "tests/scheduler/sched_window_office.h"
#include "tests/support/pdf_text.h"
#include "tests/support/todo_item.h"
#include "toolkit/scripted_prompts.h"

namespace {

// The prompts, and which page the pick list offered first.
class PrintPrompts : public ScriptedPrompts {
 public:
  int PickList(const QString& caption, const QStringList& items, int first) override {
    offered = first;
    return ScriptedPrompts::PickList(caption, items, first);
  }
  int offered = -1;
};

int PageOf(int view) {
  return view == kViewWeek ? 1 : view == kViewMonth ? 2 : 0;
}

}  // namespace

class SchedPrintWindowTest : public QObject, SchedWindowSet<PrintPrompts> {
  Q_OBJECT

  std::unique_ptr<ScriptedPrintDialogs> printDialogs;
  std::string pdf;

  static int32_t At(int d, int h = 0, int m = 0) { return SchedOffice::At(2027, 3, d, h, m); }
  SchedView* Open(int kind) { return OpenView<SchedView>(kind); }

 private slots:
  void init() {
    QVERIFY(MakeSet());
    // The workstation's working day, which the printed day shows.
    office->WriteIni("PresetStart=7\nPresetEnd=9\n");
    for (const char* name : {"daily.wmf", "daily2.wmf", "weekly.wmf", "monthly.wmf"})
      std::filesystem::copy_file(std::string(TEMPLATE_DIR) + name, office->dir.File(name));
    // Printer setup chose a PDF file: every print of the run goes there.
    printDialogs = std::make_unique<ScriptedPrintDialogs>();
    pdf = office->config.File("print.pdf");
    printDialogs->AnswerSetup(QString::fromStdString(pdf));
    QVERIFY(PrinterSetup(nullptr));
    office->Add(SchedOffice::Entry(Anne(), At(15, 9), "Budget review", At(15, 10, 30)));
    office->Add(SchedOffice::Entry(Anne(), At(24, 14), "Dentist"));
    TodoTable todo;
    TodoRecord item = TodoItem(Anne(), At(15), "1", "Order printer paper");
    QVERIFY(TodoOpen(todo) && TodoAdd(todo, item));
    TodoClose(todo);
  }
  void cleanup() {
    FreePrinterSettings();
    printDialogs.reset();
    DropSet();
  }

  void printsThePageChosenWithTheLayoutShownOfferedFirst_data() {
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("to");  // the weekly print's last date, "" to keep it
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("absent");
    // The day shows the workstation's preset hours (7 to 9, not 8 to 17)
    // beside the entry and the day's to-do list.
    QTest::newRow("day") << kViewDay << 0 << "" << 1
                         << QStringList{"ANNE's daily schedule", "Budget review", "7:00A",
                                        "9:00A-10:30A", "1-Order printer paper"}
                         << QStringList{"5:00P", "Dentist"};
    QTest::newRow("day from the month")
        << kViewMonth << 0 << "" << 1 << QStringList{"ANNE's daily schedule"}
        << QStringList{"monthly"};
    QTest::newRow("week") << kViewWeek << 1 << "" << 1
                          << QStringList{"ANNE's weekly schedule", "Budget"}
                          << QStringList{"Dentist"};
    QTest::newRow("two weeks") << kViewWeek << 1 << "3-28-27" << 2
                               << QStringList{"Budget", "Dentist"} << QStringList{};
    QTest::newRow("month") << kViewMonth << 2 << "" << 1
                           << QStringList{"ANNE's monthly schedule", "Budget", "Dentist"}
                           << QStringList{"daily"};
  }
  void printsThePageChosenWithTheLayoutShownOfferedFirst() {
    QFETCH(int, view);
    QFETCH(int, choice);
    QFETCH(QString, to);
    QFETCH(int, pages);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, absent);
    SchedView* window = Open(view);
    QVERIFY(window);
    QVERIFY(window->Button(SchedView::kIdPrint)->isEnabled());
    prompts->Answer(choice);
    if (choice == 1) {
      dialogs->Then([to](TBaseDialog& d) {
        QCOMPARE(d.objectName(), QString("GET_DATES"));
        // The range starts as the printed day's Monday to the Sunday after.
        QCOMPARE(FindControlAs<QLineEdit>(&d, PrintDatesDialog::kIdFrom)->text(),
                 QString("3-15-27"));
        QCOMPARE(FindControlAs<QLineEdit>(&d, PrintDatesDialog::kIdTo)->text(), QString("3-21-27"));
        if (!to.isEmpty()) DialogSteps::Type(d, PrintDatesDialog::kIdTo, to);
        DialogSteps::Press(d, kIdOk);
      });
    }
    window->Command(SchedView::kIdPrint);
    QCOMPARE(prompts->offered, PageOf(view));
    QCOMPARE(prompts->Questions().size(), size_t(1));  // the pick list alone
    QCOMPARE(int(PdfPages(pdf).size()), pages);
    const std::string text = PdfText(pdf);
    for (const QString& s : shown) QVERIFY2(Has(text, s.toStdString()), qPrintable(s));
    for (const QString& s : absent) QVERIFY2(!Has(text, s.toStdString()), qPrintable(s));
  }

  void aCancelledOrFailedPrintWritesNothingAndSaysWhy() {
    const struct {
      int choice;
      const char *to, *said;
    } cases[] = {{-1, "", ""},  // the pick list cancelled
                 {1, "", ""},   // the dates cancelled
                 {1, "3-1-27", "The last date must not be before the first."},
                 {2, "", "Could not open page template DIRmonthly.wmf."}};
    std::filesystem::remove(office->dir.File("monthly.wmf"));
    SchedView* window = Open(kViewDay);
    QVERIFY(window);
    for (const auto& c : cases) {
      prompts->Clear();
      prompts->Answer(c.choice);
      if (*c.to) {
        dialogs->Then([&c](TBaseDialog& d) {
          DialogSteps::Type(d, PrintDatesDialog::kIdTo, c.to);
          DialogSteps::Press(d, kIdOk);
        });
      }
      window->Command(SchedView::kIdPrint);
      const QString said = QString(c.said).replace("DIR", QString::fromStdString(DataDirectory()));
      if (said.isEmpty())
        QCOMPARE(prompts->Questions().size(), size_t(1));
      else
        QVERIFY2(Asked(said), qPrintable(said));
      QVERIFY(!std::filesystem::exists(pdf) || !Has(PdfText(pdf), "schedule"));
    }
  }

  void theToDoListPrintsItsOwnersDay() {
    TodoList list(office->Ini(), *passwords);
    list.SetCurrentDay(At(15));
    QVERIFY(list.Open());
    QVERIFY(list.Window()->Button(TodoWindow::kIdPrint)->isEnabled());
    list.Window()->Command(TodoWindow::kIdPrint);
    QVERIFY(prompts->Questions().empty());  // no pick list: the day page
    QCOMPARE(Missing(PdfText(pdf), {"ANNE's daily schedule", "1-Order printer paper", "7:00A"}),
             std::string());
    list.Close();
  }

  // ---- Keys and clicks that reach the entry dialog ----

  void insertAndDeleteWorkInTheWeekGrid() {
    office->Add(SchedOffice::Entry(Anne(), At(16, 11), "Lunch"));
    auto* week = qobject_cast<WeekSchedView*>(Open(kViewWeek));
    QVERIFY(week);
    const int row = GridColumn(week->Grid(), 3).indexOf("Lunch");
    QVERIFY(row >= 0);
    // An empty cell: Delete does nothing, as its button is off.
    week->SelectCell(row, 1);
    QTest::keyClick(week->Grid(), Qt::Key_Delete);
    QVERIFY(prompts->Questions().empty());
    week->SelectCell(row, 2);
    QString date;
    dialogs->Then([&date](TBaseDialog& d) {
      date = FindControlAs<QLineEdit>(&d, EditSchedDialog::kIdDate)->text();
    });
    QTest::keyClick(week->Grid(), Qt::Key_Insert);
    QCOMPARE(dialogs->opened, std::vector<QString>{"Schedule Entry"});
    QCOMPARE(date, QString("3-16-27"));
    prompts->Answer(true);
    QTest::keyClick(week->Grid(), Qt::Key_Delete);
    QVERIFY(Asked("Are you sure?"));
    QCOMPARE(office->Day(Anne(), At(16)), std::vector<std::string>{});
  }

  void theSpaceBarMarksTheToDoItemDoneThroughTheList() {
    TodoList list(office->Ini(), *passwords);
    list.SetCurrentDay(At(15));
    QVERIFY(list.Open());
    TodoWindow* window = list.Window();
    QCOMPARE(window->Items().size(), size_t(1));
    window->List()->setFocus();
    QTest::keyClick(window->List(), Qt::Key_Space);
    QVERIFY(window->Items()[0].Key().Done());
    QTest::keyClick(window->List(), Qt::Key_Space);
    QVERIFY(!window->Items()[0].Key().Done());
    list.Close();
  }

  void aDoubleClickInTheDetailPanelEditsOrAddsAtTheSlot() {
    auto* day = qobject_cast<DaySchedView*>(Open(kViewDay));
    QVERIFY(day);
    // The day's lines with the presets 7 to 9: 7:00 slot, 8:00 slot, the
    // entry at 9:00 and its end line.
    scheduler->Options().usePresets = true;
    day->Reload();
    QString start, description;
    auto read = [&](TBaseDialog& d) {
      start = FindControlAs<QLineEdit>(&d, EditSchedDialog::kIdStart)->text();
      description = FindControlAs<QLineEdit>(&d, EditSchedDialog::kIdDescription)->text();
    };
    QLabel* field = FindControlAs<QLabel>(day, DaySchedView::kIdDetailDescription);
    day->SelectLine(2);
    dialogs->Then(read);
    QTest::mouseDClick(field, Qt::LeftButton);
    QCOMPARE(description, QString("Budget review"));
    QCOMPARE(start, QString(" 9:00AM"));
    day->SelectLine(1);
    dialogs->Then(read);
    QTest::mouseDClick(day->DetailPanel(), Qt::LeftButton);
    QCOMPARE(description, QString());
    QCOMPARE(start, QString(" 8:00AM"));
    QCOMPARE(dialogs->opened.size(), size_t(2));
  }

  // ---- Placement ----

  void everyWindowOpensWhereTheLastOneClosed() {
    const QRect kept(60, 70, 800, 600);
    std::vector<QRect> told;
    scheduler = std::make_unique<Scheduler>(office->Ini(), *passwords);
    scheduler->Placement().rect = kept;
    scheduler->Placement().kept = [&told](const QRect& r, bool, bool, int) { told.push_back(r); };
    QVERIFY(scheduler->Open());
    QCOMPARE(scheduler->Window()->geometry(), kept);
    scheduler->Window()->setGeometry(QRect(90, 80, 900, 640));
    // The other layout opens where this one was.
    scheduler->SwitchView(kViewWeek);
    QCOMPARE(scheduler->Window()->geometry(), QRect(90, 80, 900, 640));
    scheduler->Close();
    QCOMPARE(told.size(), size_t(2));
    QCOMPARE(told.back(), QRect(90, 80, 900, 640));
    scheduler.reset();

    TodoList list(office->Ini(), *passwords);
    list.Placement().rect = kept;
    list.Placement().maximised = true;
    QVERIFY(list.Open());
    QVERIFY(list.Window()->isMaximized());
    list.Close();
  }
};

QTEST_MAIN(SchedPrintWindowTest)
#include "sched_print_window_test.moc"
