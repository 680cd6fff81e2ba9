// The message boxes and shared prompts: their captions and buttons, and the
// modeless boxes driven by real clicks. No test runs a modal loop: modal
// boxes are built and looked at, or answered by ScriptedPrompts.
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

#include "field_dialog.h"
#include "storage/check.h"
#include "storage/lockwait.h"
#include "toolkit/data_prompts.h"
#include "toolkit/live_windows.h"
#include "toolkit/modeless.h"
#include "toolkit/prompt_windows.h"
#include "toolkit/scripted_prompts.h"

namespace {

// Ticks that move only when the test says so.
class ManualTicks : public TickSource {
 public:
  ManualTicks() { SetTickSource(this); }
  ~ManualTicks() override { SetTickSource(nullptr); }
  int32_t Now() override { return now; }
  void Pause() override {}
  int32_t now = 1000;
};

QPushButton* Button(QWidget* box, int id) {
  return FindControlAs<QPushButton>(box, id);
}

}  // namespace

class PromptsTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { QCOMPARE(LiveWindowCount(), 0); }

  void eachKindOfBoxHasItsCaptionButtonsAndIcon() {
    // Questions are Yes/No under DESKpost with No the default.
    auto box = MakeMessageBox(BoxKind::Question, "Delete entry?");
    QCOMPARE(box->windowTitle(), QString("DESKpost"));
    QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
    QCOMPARE(box->icon(), QMessageBox::Warning);
    auto info = MakeMessageBox(BoxKind::Information, "Entry added.");
    QCOMPARE(info->windowTitle(), QString("DESKpost"));
    QCOMPARE(info->icon(), QMessageBox::Information);
    QCOMPARE(info->standardButtons(), QMessageBox::Ok);
    auto lock = MakeMessageBox(BoxKind::RetryCancel, "Timed out locking file.");
    QCOMPARE(lock->windowTitle(), QString("Error"));
    QCOMPARE(lock->standardButtons(), QMessageBox::Retry | QMessageBox::Cancel);
    auto check = MakeMessageBox(BoxKind::Assert, "Check failed: x.cpp, line 3\n");
    QCOMPARE(check->windowTitle(), QString("Assert"));
  }

  void aFailedCheckIsShownUnderAssertAndExecutionContinues() {
    ScriptedPrompts prompts;
    InstallWindowCheckHandler();
    bool ok = DP_CHECK(1 == 2);
    SetCheckHandler(nullptr);
    QVERIFY(!ok);
    QCOMPARE(prompts.AskedList().size(), size_t(1));
    QCOMPARE(prompts.AskedList()[0].caption, QString("Assert"));
    QVERIFY(prompts.AskedList()[0].text.startsWith("Check failed: prompts_test.cpp, line "));
    QVERIFY(prompts.AskedList()[0].text.endsWith("\n"));
  }

  void yesNoAllAnswersTheButtonsIdAndClosingIsNo() {
    YesNoAllBox box("Replace file?", nullptr);
    QCOMPARE(box.windowTitle(), QString("Confirm"));
    QCOMPARE(Button(&box, kIdYes)->text(), QString("&Yes"));
    QCOMPARE(Button(&box, kIdNo)->text(), QString("&No"));
    QCOMPARE(Button(&box, kIdYesToAll)->text(), QString("Y&es to All"));
    QCOMPARE(Button(&box, kIdNoToAll)->text(), QString("N&o to All"));
    box.show();
    QTest::mouseClick(Button(&box, kIdYesToAll), Qt::LeftButton);
    QCOMPARE(box.result(), kIdYesToAll);

    ScriptedPrompts prompts;
    QCOMPARE(Prompter().YesNoAll("Replace file?"), kIdNo);
    QCOMPARE(prompts.Unanswered(), 1);
  }

  void optionPromptAnswersOneOrTwo() {
    OptionBox box("Print", "Print what?", "&Day", "&Week", nullptr);
    QCOMPARE(box.windowTitle(), QString("Print"));
    box.show();
    QTest::mouseClick(Button(&box, 602), Qt::LeftButton);
    QCOMPARE(box.result(), 2);
  }

  void pickListOkWithoutASelectionSaysSoAndStaysOpen() {
    ScriptedPrompts prompts;
    PickListBox box("Folders", {"Inbox", "Clients"}, 1, nullptr);
    box.show();
    QCOMPARE(box.List()->currentRow(), 1);
    box.List()->clearSelection();
    QTest::mouseClick(Button(&box, kIdOk), Qt::LeftButton);
    QVERIFY(box.isVisible());
    QCOMPARE(prompts.AskedList().back().text, QString("Nothing selected."));
    box.List()->setCurrentRow(0);
    QTest::mouseClick(Button(&box, kIdOk), Qt::LeftButton);
    QCOMPARE(box.result(), 1);  // row 0
    // A given row out of range starts at the first.
    PickListBox outside("Folders", {"Inbox", "Clients"}, 9, nullptr);
    QCOMPARE(outside.List()->currentRow(), 0);
  }

  void aPickListAnswerStandsWhenClosingTakesTheActivation() {
    // Hiding the box on OK takes its activation away, and losing the
    // activation answers 0: the answer given first must stand.
    PickListBox box("Delete Repeating Item", {"Just this one", "All", "Later ones"}, 0, nullptr);
    box.show();
    box.List()->setCurrentRow(2);
    box.Ok();
    box.done(0);
    QCOMPARE(box.result(), 3);
    QCOMPARE(box.List()->accessibleName(), QString("Delete Repeating Item"));
  }

  void theProgressBoxCancels() {
    QtPromptService qt;
    FieldRecord rec;
    FieldDialog other(&rec);
    other.OpenModeless();
    QCOMPARE(qt.Progress({"Printing", "Page", 1, 10, true, false}), 1);
    ProgressBox* box = qt.ProgressWindow();
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), QString("Printing"));
    QCOMPARE(box->Line(), QString("Page...10%"));
    QVERIFY(!other.isEnabled());
    QTest::mouseClick(Button(box, kIdCancel), Qt::LeftButton);
    QCOMPARE(qt.Progress({"Printing", "Page", 2, 10, true, false}), 0);
    QVERIFY(qt.ProgressWindow() == nullptr);
    QVERIFY(other.isEnabled());
  }

  void theProgressBoxRedrawsOnlyWhenTheWholePercentChanges() {
    QtPromptService qt;
    QCOMPARE(qt.Progress({"Progress...", "Export", 10, 1000, false, false}), 1);
    int first = qt.ProgressWindow()->Redraws();
    qt.Progress({"Progress...", "Export", 15, 1000, false, false});
    qt.Progress({"Progress...", "Export", 19, 1000, false, false});
    QCOMPARE(qt.ProgressWindow()->Redraws(), first);
    qt.Progress({"Progress...", "Export", 20, 1000, false, false});
    QCOMPARE(qt.ProgressWindow()->Redraws(), first + 1);
    QCOMPARE(qt.ProgressWindow()->Line(), QString("Export...2%"));
    // Cancel is ignored when the caller does not allow it.
    QTest::mouseClick(Button(qt.ProgressWindow(), kIdCancel), Qt::LeftButton);
    QCOMPARE(qt.Progress({"Progress...", "Export", 30, 1000, false, false}), 1);
    QCOMPARE(qt.Progress({"Progress...", "Export", 1000, 1000, false, true}), 0);
    QVERIFY(qt.ProgressWindow() == nullptr);
  }

  void workingNoticesNest() {
    QtPromptService qt;
    qt.Working(true, "Sorting...");
    QVERIFY(qt.WorkingWindow());
    qt.Working(true, "Sorting...");
    qt.Working(false);
    QVERIFY(qt.WorkingWindow());
    qt.Working(false);
    QVERIFY(qt.WorkingWindow() == nullptr);
    qt.Working(false);
    QCOMPARE(qt.WorkingDepth(), 0);
  }

  void theSearchingBlockStepsEveryTwoTicksToAndFro() {
    ManualTicks ticks;
    QtPromptService qt;
    QCOMPARE(qt.Searching(false), 1);
    SearchingBox* box = qt.SearchingWindow();
    QCOMPARE(box->windowTitle(), QString("Searching..."));
    QCOMPARE(box->Position(), 0);
    ticks.now += 1;
    qt.Searching(false);
    QCOMPARE(box->Position(), 0);
    for (int i = 0; i < 27; ++i) {
      ticks.now += 2;
      qt.Searching(false);
    }
    QCOMPARE(box->Position(), 27);
    ticks.now += 2;
    qt.Searching(false);
    QCOMPARE(box->Position(), 26);
    QTest::mouseClick(Button(box, kIdCancel), Qt::LeftButton);
    QCOMPARE(qt.Searching(false), 0);
    QVERIFY(qt.SearchingWindow() == nullptr);
  }

  // A search calls in for every entry it reads: the boxes look at waiting
  // input when they open and then once a tick, not at every call.
  void theBoxesLookAtWaitingInputOncePerTick() {
    ManualTicks ticks;
    QtPromptService qt;
    struct Receiver : QObject {
      int seen = 0;
      bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        ++seen;
        return true;
      }
    } receiver;
    const std::function<int(bool)> boxes[] = {
        [&](bool finished) { return qt.Searching(finished); },
        [&](bool finished) {
          return qt.Progress({"Progress...", "Export", 1, 1000, true, finished});
        },
    };
    for (const auto& call : boxes) {
      receiver.seen = 0;
      QCOMPARE(call(false), 1);
      QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
      for (int i = 0; i < 100; ++i) call(false);
      QCOMPARE(receiver.seen, 0);
      ticks.now += 1;
      QCOMPARE(call(false), 1);
      QCOMPARE(receiver.seen, 1);
      QCOMPARE(call(true), 0);
    }
  }

  void theFlashNoticeGoesAtAClickInIt() {
    QtPromptService qt;
    qt.Flash("Entry added.");
    FlashBox* flash = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* f = qobject_cast<FlashBox*>(w); f && f->isVisible()) flash = f;
    }
    QVERIFY(flash);
    QPointer<FlashBox> alive(flash);
    QTest::mouseClick(flash, Qt::LeftButton);
    QVERIFY(!flash->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(alive.isNull());
  }

  void theDataLayersBoxesGoThroughThePromptService() {
    ScriptedPrompts prompts;
    WindowDataPrompts data;
    data.Inform("DESKpost", "Could not locate record: M\xFCller");
    QCOMPARE(prompts.AskedList().back().text, QString::fromUtf8("Could not locate record: Müller"));
    prompts.Answer(1);
    QVERIFY(data.AskRetryCancel("Error", "Timed out locking file."));
    QCOMPARE(prompts.AskedList().back().caption, QString("Error"));
    prompts.Answer(1);
    QVERIFY(data.NameError("Name not found."));
  }
};

QTEST_MAIN(PromptsTest)
#include "prompts_test.moc"
