// The repeat dialogs as the entry dialog runs them: each kind's rule as
// its dialog sets it and the entries that come of it, the dialogs' checks,
// what they preselect, a full day stopping the generation, a change of a
// repeated entry asking once, and deleting repeated entries.
#include "scheduler/repeat_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "data/schedule/sched_repeat.h"
#include "scheduler/edit_sched_dialog.h"
#include "scheduler/sched_search.h"
#include "tests/scheduler/sched_window_office.h"
#include "toolkit/scripted_prompts.h"

using E = EditSchedDialog;
using Step = DialogSteps::Step;

namespace {

constexpr auto* Click = &DialogSteps::Press;
void Tick(QWidget& d, int id, bool on) {
  auto* box = FindControlAs<QCheckBox>(&d, id);
  if (box->isChecked() != on) DialogSteps::Press(d, id);
}

}  // namespace

class RepeatDialogsTest : public QObject, SchedWindowSet<> {
  Q_OBJECT

 private:
  DaySchedView* view = nullptr;

  // Every date of ANNE's entries with the description, in key order.
  QStringList Dates(const std::string& text = "") {
    std::vector<SchedMatch> matches;
    SchedSearch(view->Table(), Anne(), text, nullptr, &matches);
    QStringList out;
    for (const auto& m : matches) out << QString::fromStdString(m.row).section('\t', 0, 0);
    return out;
  }
  // A new entry "Stand-up" at 9:00 on the current day, repeated by the
  // steps given for the repeat dialogs (the yearly one opens first).
  void AddRepeated(std::vector<Step> repeatSteps) {
    dialogs->Then([](TBaseDialog& d) {
      DialogSteps::Type(d, E::kIdDescription, "Stand-up");
      DialogSteps::Type(d, E::kIdStart, "9");
      Click(d, E::kIdRepeat);
      QVERIFY(FindControlAs<QCheckBox>(&d, E::kIdRepeat)->isChecked());
      Click(d, kIdOk);
    });
    for (auto& s : repeatSteps) dialogs->Then(std::move(s));
    view->Command(SchedView::kIdAdd);
  }
  // The same, every day from today until the date.
  void AddDailyUntil(const QString& until) {
    AddRepeated({[](TBaseDialog& d) { Click(d, kRepeatDaily); },
                 [until](TBaseDialog& d) {
                   DialogSteps::Type(d, RepeatDialog::kIdUntil, until);
                   Click(d, kIdOk);
                 }});
  }

 private slots:
  void init() {
    QVERIFY(MakeSet());
    CurrentRepeatRules() = RepeatRules();
    QVERIFY(view = OpenView());
  }
  void cleanup() { DropSet(); }

  void eachKindsDialogSetsItsRuleAndTheEntriesFollow_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("dates");
    QTest::newRow("daily every second day")
        << kRepeatDaily << QStringList({"3-15-27", "3-17-27", "3-19-27", "3-21-27"});
    QTest::newRow("monthly the fifth with March ticked")
        << kRepeatMonthly << QStringList({"3-05-27", "3-15-27"});
    QTest::newRow("weekly the fourth and the last Monday")
        << kRepeatWeekly
        << QStringList({"3-15-27", "3-22-27", "3-29-27", "4-26-27", "5-24-27", "5-31-27"});
    QTest::newRow("yearly the last Monday of May")
        << kRepeatYearly << QStringList({"3-15-27", "5-31-27", "5-29-28", "5-28-29"});
  }
  void eachKindsDialogSetsItsRuleAndTheEntriesFollow() {
    QFETCH(int, kind);
    QFETCH(QStringList, dates);
    std::vector<Step> steps;
    // The yearly dialog opens first; another kind's button opens that one.
    if (kind != kRepeatYearly) steps.push_back([kind](TBaseDialog& d) { Click(d, kind); });
    if (kind == kRepeatDaily) {
      steps.push_back([](TBaseDialog& d) {
        QCOMPARE(d.windowTitle(), QString("Repeat Daily"));
        DialogSteps::Type(d, RepeatDailyDialog::kIdEvery, "2");
        DialogSteps::Type(d, RepeatDialog::kIdUntil, "3-21-27");
        Click(d, kIdOk);
      });
    } else if (kind == kRepeatMonthly) {
      steps.push_back([](TBaseDialog& d) {
        QVERIFY(FindControlAs<QCheckBox>(&d, RepeatMonthlyDialog::kIdFirstMonth + 2)->isChecked());
        DialogSteps::Type(d, RepeatMonthlyDialog::kIdDay, "5");
        DialogSteps::Type(d, RepeatDialog::kIdUntil, "12-31-27");
        Click(d, kIdOk);
      });
    } else if (kind == kRepeatWeekly) {
      steps.push_back([](TBaseDialog& d) {
        auto* words = FindControlAs<QLabel>(&d, RepeatWeeklyDialog::kIdOccurrenceWords);
        QCOMPARE(words->text(), QString("3rd"));
        Tick(d, RepeatWeeklyDialog::kIdFirstOccurrence + 2, false);
        Tick(d, RepeatWeeklyDialog::kIdFirstOccurrence + 3, true);
        Tick(d, RepeatWeeklyDialog::kIdFirstOccurrence + 4, true);
        QCOMPARE(words->text(), QString("4th and Last"));
        QCOMPARE(FindControlAs<QLabel>(&d, RepeatWeeklyDialog::kIdWeekdayWords)->text(),
                 QString("Monday"));
        DialogSteps::Type(d, RepeatDialog::kIdUntil, "5-31-27");
        Click(d, kIdOk);
      });
    } else {
      steps.push_back([](TBaseDialog& d) {
        QCOMPARE(d.windowTitle(), QString("Repeat Yearly"));
        Click(d, RepeatYearlyDialog::kIdByDay);
        FindControlAs<QComboBox>(&d, RepeatYearlyDialog::kIdOccurrence)->setCurrentIndex(4);
        FindControlAs<QComboBox>(&d, RepeatYearlyDialog::kIdWeekday)->setCurrentIndex(1);
        FindControlAs<QComboBox>(&d, RepeatYearlyDialog::kIdMonth)->setCurrentIndex(4);
        DialogSteps::Type(d, RepeatDialog::kIdUntil, "12-31-29");
        Click(d, kIdOk);
      });
    }
    AddRepeated(std::move(steps));
    QVERIFY(dialogs->stillOpen.empty());
    QCOMPARE(Dates(), dates);
  }

  void theDialogsRefuseBadNumbersAndDatesAndStayOpen() {
    const struct {
      int kind, field;
      const char *typed, *until, *told;
    } cases[] = {
        {kRepeatDaily, RepeatDailyDialog::kIdEvery, "0", "3-21-27",
         "Day must be between 1 and 999"},
        {kRepeatDaily, RepeatDailyDialog::kIdEvery, "1", "1-1-38", "Invalid date."},  // past 2037
        {kRepeatMonthly, RepeatMonthlyDialog::kIdDay, "32", "12-31-27",
         "Day must be between 1 and 31"}};
    for (const auto& c : cases) {
      bool stayed = false;
      prompts->Clear();
      dialogs->Then([&](TBaseDialog& d) {
        Click(d, E::kIdRepeat);
        QVERIFY(!FindControlAs<QCheckBox>(&d, E::kIdRepeat)->isChecked());
        d.CloseWith(0);
      });
      dialogs->Then([&](TBaseDialog& d) { Click(d, c.kind); });
      dialogs->Then([&](TBaseDialog& d) {
        DialogSteps::Type(d, c.field, c.typed);
        DialogSteps::Type(d, RepeatDialog::kIdUntil, c.until);
        Click(d, kIdOk);
        stayed = d.IsOpen();
      });
      view->Command(SchedView::kIdAdd);
      QVERIFY(stayed);
      QVERIFY2(Asked(c.told), c.told);
    }
  }

  // Its until date is a year and a day on.
  void theWeeklyDialogPreselectsTheOccurrenceOfTheDay() {
    for (const auto& [day, words] :
         {std::pair<int, const char*>{7, "1st"}, {28, "4th"}, {29, "Last"}}) {
      RepeatRules rules;
      RepeatWeeklyDialog dialog(nullptr, 0, SchedOffice::At(2027, 3, day), rules);
      dialog.OpenModeless();
      QCOMPARE(FindControlAs<QLabel>(&dialog, RepeatWeeklyDialog::kIdOccurrenceWords)->text(),
               QString(words));
      QCOMPARE(FindControlAs<QLineEdit>(&dialog, RepeatDialog::kIdUntil)->text(),
               QString("3-%1-28").arg(day, 2, 10, QChar('0')));
      dialog.CloseWith(0);
    }
  }

  void aFullDayStopsTheGenerationQuietly() {
    for (int i = 0; i < 40; ++i)
      office->Add(SchedOffice::Entry(Anne(), SchedOffice::At(2027, 3, 17, 6) + 60 * i, "Filler"));
    AddDailyUntil("3-20-27");
    QCOMPARE(Dates("Stand-up"), QStringList({"3-15-27", "3-16-27"}));
    QVERIFY(prompts->Questions().empty());
  }

  void aChangeOfARepeatedEntryAsksOnceAndCarriesToTheGroup() {
    AddDailyUntil("3-18-27");
    QCOMPARE(Dates("Stand-up").size(), 4);
    prompts->Answer(true);
    dialogs->Then([](TBaseDialog& d) {
      DialogSteps::Type(d, E::kIdDescription, "Stand-up at ten");
      DialogSteps::Type(d, E::kIdStart, "10");
      Click(d, kIdOk);
    });
    view->Command(SchedView::kIdEdit);
    int asked = 0;
    for (const auto& q : prompts->Questions()) asked += q.text == "Change repeating items?";
    QCOMPARE(asked, 1);
    QCOMPARE(Dates("Stand-up at ten").size(), 4);
    // A change of the date alone asks nothing and moves that entry alone.
    prompts->Clear();
    dialogs->Then([](TBaseDialog& d) {
      DialogSteps::Type(d, E::kIdDate, "3-25-27");
      Click(d, kIdOk);
    });
    view->Command(SchedView::kIdEdit);
    QVERIFY(prompts->Questions().empty());
    QCOMPARE(Dates("Stand-up at ten"), QStringList({"3-16-27", "3-17-27", "3-18-27", "3-25-27"}));
  }

  void deletingARepeatedEntryOffersThisOneAllOrFromHereOn_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("just this one") << 0 << QStringList({"3-15-27", "3-16-27", "3-18-27"});
    QTest::newRow("all") << 1 << QStringList();
    QTest::newRow("this one and later ones") << 2 << QStringList({"3-15-27", "3-16-27"});
    QTest::newRow("cancelled") << -1 << QStringList({"3-15-27", "3-16-27", "3-17-27", "3-18-27"});
  }
  void deletingARepeatedEntryOffersThisOneAllOrFromHereOn() {
    QFETCH(int, choice);
    QFETCH(QStringList, left);
    AddDailyUntil("3-18-27");
    view->MoveTo(SchedOffice::At(2027, 3, 17));
    prompts->Answer(choice);
    prompts->Answer(true);
    view->Command(SchedView::kIdDelete);
    QCOMPARE(prompts->Questions()[0].caption, QString("Delete Repeating Item"));
    QCOMPARE(Dates("Stand-up"), left);
  }

  void withoutTheDeleteRightNothingIsDeleted() {
    office->WriteIni("SchedDelete=0\n");
    QVERIFY(view = OpenView());
    office->Add(SchedOffice::Entry(Anne(), SchedOffice::At(2027, 3, 15, 9), "Dentist"));
    view->Reload();
    view->Command(SchedView::kIdDelete);
    QVERIFY(Asked("You do not have access rights for this action."));
    QCOMPARE(Dates("Dentist").size(), 1);
  }
};

QTEST_MAIN(RepeatDialogsTest)
#include "repeat_dialogs_test.moc"
