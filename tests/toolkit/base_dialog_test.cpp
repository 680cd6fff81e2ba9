// The dialog base: bindings, transfers, the modified and read-only rules,
// confirm-discard and the ways a dialog opens and closes; the field kinds,
// typed into by real key events; and the message boxes and shared prompts:
// their captions and buttons, and the modeless boxes driven by real clicks.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>

#include "field_dialog.h"
#include "storage/check.h"
#include "storage/lockwait.h"
#include "toolkit/controls/edit_menu.h"
#include "toolkit/data_prompts.h"
#include "toolkit/live_windows.h"
#include "toolkit/modeless.h"
#include "toolkit/prompt_windows.h"
#include "toolkit/scripted_prompts.h"

namespace {

// A binding that notes when its transfers run.
class OrderProbe : public TEditControl {
 public:
  OrderProbe(int id, char* buf, size_t size, std::vector<int>* log)
      : TEditControl(id, buf, size), log_(log) {}
  void TransferIn() override {
    log_->push_back(Id());
    TEditControl::TransferIn();
  }
  bool TransferOut() override {
    log_->push_back(-Id());
    return TEditControl::TransferOut();
  }

 private:
  std::vector<int>* log_;
};

class ReadOnlyDialog : public FieldDialog {
 public:
  using FieldDialog::FieldDialog;
  bool MayEdit() const override { return false; }
};

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

class BaseDialogTest : public QObject {
  Q_OBJECT

  FieldRecord rec;
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<FieldDialog> dialog;

  // The dialog of the field tests, open and active from its first use.
  FieldDialog* Fields() {
    if (!dialog) {
      dialog = std::make_unique<FieldDialog>(&rec);
      dialog->OpenModeless();
      if (!ShowActive(dialog.get())) qWarning("the field dialog is not active");
    }
    return dialog.get();
  }
  QLineEdit* Edit(int id) { return Fields()->Control<QLineEdit>(id); }

  // Types into an empty field, leaves it, and answers the text it shows.
  QString Left(int id, const QString& typed) {
    Edit(id)->clear();
    TypeAndLeave(Edit(id), typed);
    return Edit(id)->text();
  }

 private slots:
  void init() {
    rec = FieldRecord{};
    prompts = std::make_unique<ScriptedPrompts>();
    SetCheckHandler([this](const char* module, unsigned line) {
      prompts->CheckFailed(QString::asprintf("Check failed: %s, line %u\n", module, line));
    });
  }
  void cleanup() {
    dialog.reset();
    SetCheckHandler(nullptr);
    prompts.reset();
    QCOMPARE(LiveWindowCount(), 0);
  }

  void transfersRunInBindingOrder() {
    TBaseDialog d(nullptr);
    FormBuilder form(&d);
    form.Edit("A", 201);
    form.Edit("B", 202);
    form.Edit("C", 203);
    char a[5] = "", b[5] = "", c[5] = "";
    std::vector<int> log;
    d.Bind<OrderProbe>(202, b, sizeof b, &log);
    d.Bind<OrderProbe>(201, a, sizeof a, &log);
    d.Bind<OrderProbe>(203, c, sizeof c, &log);
    d.TransferIn();
    QVERIFY(d.TransferOut());
    QCOMPARE(log, (std::vector<int>{202, 201, 203, -202, -201, -203}));
  }

  void aSecondBindingOfOneIdFailsTheConsistencyCheck() {
    FieldDialog d(&rec);
    unsigned before = CheckFailureCount();
    char other[8] = "";
    QVERIFY(d.Bind<TEditControl>(kIdCaller, other, sizeof other) == nullptr);
    QCOMPARE(CheckFailureCount(), before + 1);
    QCOMPARE(prompts->AskedList().back().kind, QString("Assert"));
    QVERIFY(prompts->AskedList().back().text.startsWith("Check failed: base_dialog.cpp, line "));
    // A binding to a control of another kind is refused the same way.
    uint8_t flag = 0;
    QVERIFY(d.Bind<TCheckBoxControl>(999, &flag) == nullptr);
    QCOMPARE(CheckFailureCount(), before + 2);
  }

  void transferInClearsTheModifiedFlag() {
    FieldDialog d(&rec);
    d.SetModified(1);
    std::strcpy(rec.phone, "555-1234");
    d.TransferIn();
    QCOMPARE(d.Modified(), 0u);
    QCOMPARE(FindControlAs<QLineEdit>(&d, kIdPhone)->text(), QString("555-1234"));
  }

  void aReadOnlyDialogUndoesAChangeAtOnce() {
    std::strcpy(rec.caller, "JONES");
    rec.rush = 1;
    ReadOnlyDialog d(&rec);
    d.OpenModeless();
    QVERIFY(ShowActive(&d));
    auto* caller = d.Control<QLineEdit>(kIdCaller);
    caller->setFocus();
    caller->end(false);
    QTest::keyClick(caller, Qt::Key_X);
    QCOMPARE(caller->text(), QString("JONES"));
    auto* rush = d.Control<QCheckBox>(kIdRush);
    QTest::mouseClick(rush, Qt::LeftButton, {}, QPoint(6, rush->height() / 2));
    QVERIFY(rush->isChecked());
    QCOMPARE(d.Modified(), 0u);
    // Typing after the undo is undone too.
    QTest::keyClick(caller, Qt::Key_Y);
    QCOMPARE(caller->text(), QString("JONES"));
  }

  void confirmDiscardAsksOnlyWhenSomethingChanged() {
    FieldDialog d(&rec);
    QVERIFY(d.ConfirmDiscard());
    QVERIFY(prompts->Questions().empty());

    d.SetModified(1);
    prompts->Answer(0);
    QVERIFY(!d.ConfirmDiscard());
    QCOMPARE(prompts->Questions().back().text, QString("Changes not saved, are you sure?"));
    QCOMPARE(prompts->Questions().back().caption, QString("DESKpost"));
    QCOMPARE(d.Modified(), 1u);

    prompts->Answer(1);
    QVERIFY(d.ConfirmDiscard("Memo not sent, are you sure?"));
    QCOMPARE(prompts->Questions().back().text, QString("Memo not sent, are you sure?"));
    QCOMPARE(d.Modified(), 0u);
    QCOMPARE(prompts->Unanswered(), 0);
  }

  void okStoresTheValuesAndClosesWithOneUnlessAFieldIsInvalid() {
    Edit(kIdDate)->setFocus();
    QTest::keyClicks(Edit(kIdDate), "2-30-99");
    QTest::mouseClick(Fields()->Control<QPushButton>(kIdOk), Qt::LeftButton);
    QVERIFY(Fields()->IsOpen());
    QCOMPARE(Fields()->FailedControlId(), int(kIdDate));
    Edit(kIdDate)->clear();
    Edit(kIdCaller)->setFocus();
    QTest::keyClicks(Edit(kIdCaller), "BAKER");
    QTest::mouseClick(Fields()->Control<QPushButton>(kIdOk), Qt::LeftButton);
    QCOMPARE(Fields()->Result(), 1);
    QVERIFY(!Fields()->IsOpen());
    QCOMPARE(std::string(rec.caller), std::string("BAKER"));
  }

  void aModelessDialogIsListedUntilItCloses() {
    FieldDialog d(&rec);
    d.OpenModeless();
    QVERIFY(ModelessWindows() == std::vector<QWidget*>{&d});
    QTest::mouseClick(d.Control<QPushButton>(kIdCancel), Qt::LeftButton);
    QCOMPARE(d.Result(), 0);
    QVERIFY(ModelessWindows().empty());
    QVERIFY(!d.isVisible());
    // While a message box is up every modeless dialog is disabled.
    FieldDialog a(&rec), b(&rec);
    a.OpenModeless();
    b.OpenModeless();
    {
      ModelessDisabled during;
      QVERIFY(!a.isEnabled() && !b.isEnabled());
    }
    QVERIFY(a.isEnabled() && b.isEnabled());
  }

  void aModelessDialogThatDisablesItsOwnerBlocksItAndReportsOnClose() {
    QWidget owner;
    owner.show();
    auto* d = new FieldDialog(&rec, &owner);
    QSignalSpy spy(d, &TBaseDialog::OwnerCommand);
    d->OpenModelessDisablingOwner(4711);
    QCOMPARE(QApplication::activeModalWidget(), d);
    d->CloseWith(3);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][0].toInt(), 4711);
    QCOMPARE(spy[0][1].toInt(), 3);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    delete d;
  }

  void aWindowObjectStillAliveAtTheEndFailsTheCheck() {
    unsigned before = CheckFailureCount();
    {
      FieldDialog d(&rec);
      QVERIFY(LiveWindowCount() > 0);
      QVERIFY(!CheckNoLiveWindows());
    }
    QCOMPARE(CheckFailureCount(), before + 1);
    QVERIFY(CheckNoLiveWindows());
  }

  void theEditMenuFollowsTheSelectionAndTheClipboard() {
    FieldDialog d(&rec);
    auto* caller = d.Control<QLineEdit>(kIdCaller);
    // Undo, Cut, Copy, Paste, Delete and Select All, enabled or not.
    const auto enabled = [&] {
      auto menu = MakeEditMenu(caller);
      std::vector<bool> out;
      for (int id : {kCmdUndo, kCmdCut, kCmdCopy, kCmdPaste, kCmdDelete, kCmdSelectAll})
        out.push_back(EditMenuAction(menu.get(), id)->isEnabled());
      return out;
    };
    QApplication::clipboard()->clear();
    QCOMPARE(MakeEditMenu(caller)->title(), QString("Edit Control"));
    QCOMPARE(enabled(), (std::vector<bool>{0, 0, 0, 0, 0, 1}));
    caller->setText("JONES");
    caller->setSelection(0, 2);
    QApplication::clipboard()->setText("x");
    QCOMPARE(enabled(), (std::vector<bool>{0, 1, 1, 1, 1, 1}));
    auto menu = MakeEditMenu(caller);
    EditMenuAction(menu.get(), kCmdSelectAll)->trigger();
    QCOMPARE(caller->selectedText(), QString("JONES"));
    QCOMPARE(enabled(), (std::vector<bool>{0, 1, 1, 1, 1, 0}));
  }

  // ---- The field kinds ----

  // The rules themselves are field_rules_test's: here the field applies them.
  void phonesAndTimesAreNormalisedWhenTheFieldIsLeft() {
    QCOMPARE(Left(kIdPhone, "6175551234"), QString("617-555-1234"));
    QCOMPARE(Left(kIdTime, "130"), QString(" 1:30PM"));
  }

  void reformattingAPhoneDoesNotCountAsAChangeOfItsOwn() {
    TypeAndLeave(Edit(kIdPhone), "5551234");
    QCOMPARE(Fields()->Modified(), 1u);
    Fields()->SetModified(0);
    Edit(kIdPhone)->setFocus();
    QTest::keyClick(Edit(kIdPhone), Qt::Key_Tab);
    QCOMPARE(Fields()->Modified(), 0u);
  }

  // A date the rules refuse keeps OK's dialog open (see above).
  void aDateIsStoredAndShownAsMonthDayYear() {
    Left(kIdDate, "12-31-37");
    QVERIFY(Fields()->TransferOut());
    QCOMPARE(FormatDate(rec.date), std::string("12-31-37"));
    // A stored date shows as month-day-year.
    QVERIFY(ParseDate("7-04-99", &rec.date));
    Fields()->TransferIn();
    QCOMPARE(Edit(kIdDate)->text(), QString("7-04-99"));
  }

  void settingAValueDoesNotMarkModifiedButTheFirstKeystrokeDoes() {
    std::strcpy(rec.caller, "JONES");
    Fields()->TransferIn();
    QCOMPARE(Edit(kIdCaller)->text(), QString("JONES"));
    QCOMPARE(Fields()->Modified(), 0u);
    // A field not entered yet shows its text from the start.
    QCOMPARE(Edit(kIdCaller)->cursorPosition(), 0);
    auto* edit = static_cast<TEditControl*>(Fields()->Binding(kIdCaller));
    edit->SetTextQuietly("BROWN");
    edit->SetTextQuietly("BROWN");  // the same text again changes nothing either
    QCOMPARE(Fields()->Modified(), 0u);
    Edit(kIdCaller)->setFocus();
    QTest::keyClick(Edit(kIdCaller), Qt::Key_X);
    QCOMPARE(Fields()->Modified(), 1u);
  }

  void enteringAFieldPutsTheCaretAtTheStart() {
    std::strcpy(rec.caller, "JONES");
    Fields()->TransferIn();
    Edit(kIdPhone)->setFocus();
    QTest::keyClick(Edit(kIdPhone), Qt::Key_Backtab);
    QVERIFY(Edit(kIdCaller)->hasFocus());
    QCOMPARE(Edit(kIdCaller)->cursorPosition(), 0);
    QVERIFY(!Edit(kIdCaller)->hasSelectedText());
    // So does entering a wholly selected multi-line field.
    std::strcpy(rec.text, "one\rtwo\rthree");
    Fields()->TransferIn();
    auto* text = Fields()->Control<QPlainTextEdit>(kIdText);
    text->selectAll();
    Edit(kIdCaller)->setFocus();
    text->setFocus();
    QVERIFY(!text->textCursor().hasSelection());
    QCOMPARE(text->textCursor().position(), 0);
  }

  void textIsStoredAsWindows1252AndTruncatedToTheBuffer() {
    Edit(kIdCaller)->setFocus();
    TypeText(Edit(kIdCaller), QString::fromUtf8("Müller €"));
    QVERIFY(Fields()->TransferOut());
    QCOMPARE(std::string(rec.caller), std::string("M\xFCller \x80"));
    Edit(kIdCaller)->clear();
    QTest::keyClicks(Edit(kIdCaller), QString(30, 'a'));
    QCOMPARE(Edit(kIdCaller)->text().size(), 20);
    // A character without a Windows-1252 byte is refused.
    Edit(kIdCaller)->clear();
    TypeText(Edit(kIdCaller), QString::fromUtf8("A\u4e2dB"));
    QCOMPARE(Edit(kIdCaller)->text(), QString("AB"));
  }

  void allCapsTurnsTypedLettersIntoCapitals() {
    Fields()->Binding(kIdCaller)->SetUpperCase(true);
    Edit(kIdCaller)->setFocus();
    TypeText(Edit(kIdCaller), QString::fromUtf8("jones é"));
    QCOMPARE(Edit(kIdCaller)->text(), QString::fromUtf8("JONES É"));
  }

  void multiLineTextKeepsSingleCarriageReturns() {
    std::strcpy(rec.text, "first\rsecond");
    Fields()->TransferIn();
    auto* text = Fields()->Control<QPlainTextEdit>(kIdText);
    QCOMPARE(text->toPlainText(), QString("first\nsecond"));
    QCOMPARE(text->textCursor().position(), int(text->toPlainText().size()));
    text->setFocus();
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, "third");
    QVERIFY(Fields()->TransferOut());
    QCOMPARE(std::string(rec.text), std::string("first\rsecond\rthird"));
    QCOMPARE(Fields()->Modified(), 1u);
    // Pasted text without Windows-1252 bytes shows question marks.
    text->clear();
    text->insertPlainText(QString::fromUtf8("a\u4e2db"));
    QCOMPARE(text->toPlainText(), QString("a?b"));
  }

  void comboAndCheckBoxMarkModifiedOnlyWhenTheUserChooses() {
    rec.kind = 1;
    rec.rush = 7;
    Fields()->TransferIn();
    auto* combo = Fields()->Control<QComboBox>(kIdKind);
    auto* rush = Fields()->Control<QCheckBox>(kIdRush);
    QCOMPARE(combo->currentText(), QString("Memo"));
    QVERIFY(rush->isChecked());
    QCOMPARE(Fields()->Modified(), 0u);
    QTest::mouseClick(rush, Qt::LeftButton, {}, QPoint(6, rush->height() / 2));
    QCOMPARE(Fields()->Modified(), 1u);
    Fields()->SetModified(0);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(Fields()->Modified(), 1u);
    QVERIFY(Fields()->TransferOut());
    QCOMPARE(rec.kind, 2);
    QCOMPARE(rec.rush, uint8_t(0));
  }

  void typingInTheRecipientOpensThePickerWithTheTypedText() {
    Edit(kIdTo)->setFocus();
    QTest::keyClick(Edit(kIdTo), Qt::Key_S);
    QCOMPARE(Fields()->picker.starts.size(), size_t(1));
    QCOMPARE(Fields()->picker.starts[0], std::string("s"));
    QCOMPARE(Edit(kIdTo)->text(), QString("SMITH"));
    QVERIFY(!Edit(kIdTo)->hasFocus());
    QCOMPARE(Fields()->Modified(), 0u);
    QCOMPARE(FieldText(rec.to, records::name::kName), std::string("SMITH"));
  }

  void theCompanyFieldCompletesFromThePhoneList() {
    Edit(kIdCompany)->setFocus();
    QTest::keyClicks(Edit(kIdCompany), "ba");
    QVERIFY(Fields()->quick.open);
    QCOMPARE(Fields()->quick.shown, std::string("BAKER & SONS"));
    QTest::keyClick(Edit(kIdCompany), Qt::Key_R);
    QCOMPARE(Fields()->quick.shown, std::string("BARLOW LTD"));
    QTest::keyClick(Edit(kIdCompany), Qt::Key_X);
    QVERIFY(!Fields()->quick.open);
    QCOMPARE(Fields()->Modified(), 1u);
  }

  void aScheduleRecipientShowsEverybodyAsTheCommonSchedule() {
    TBaseDialog d(nullptr);
    FormBuilder form(&d);
    form.Edit("For:", 301);
    form.Edit("Next:", 302);
    uint8_t who[records::name::kRecordSize] = {};
    int32_t tags[100] = {};
    FakePicker picker;
    picker.answer = "* - ALL";
    d.Bind<TToControl>(301, who, tags, TToControl::kModeSchedule, &picker);
    d.OpenModeless();
    QVERIFY(ShowActive(&d));
    auto* to = d.findChildren<QLineEdit*>()[0];
    to->setFocus();
    QTest::keyClick(to, Qt::Key_Asterisk);
    QCOMPARE(picker.modes, std::vector<int>{TToControl::kModeSchedule});
    QCOMPARE(to->text(), QString("* COMMON"));
    QCOMPARE(to->cursorPosition(), int(to->text().size()));
  }

  void anOwnerDrawnButtonShowsItsUpAndDownBitmaps() {
    SetBitmapSource([](int id) {
      QPixmap p(16, 16);
      p.fill(id == 1 ? Qt::green : Qt::red);
      return p;
    });
    TBaseDialog d(nullptr);
    FormBuilder form(&d);
    BitmapButton* b = form.Bitmap("Alarm:", 401);
    QVERIFY(d.Bind<TOwnerDrawButton>(401, 1, 2));
    SetBitmapSource(nullptr);
    b->resize(16, 16);
    QCOMPARE(b->grab().toImage().pixelColor(8, 8), QColor(Qt::green));
    b->setDown(true);
    QCOMPARE(b->grab().toImage().pixelColor(8, 8), QColor(Qt::red));
  }

  // ---- The message boxes and shared prompts ----

  // No test runs a modal loop: modal boxes are built and looked at, or
  // answered by ScriptedPrompts.
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
    InstallWindowCheckHandler();
    bool ok = DP_CHECK(1 == 2);
    SetCheckHandler(nullptr);
    QVERIFY(!ok);
    QCOMPARE(prompts->AskedList().size(), size_t(1));
    QCOMPARE(prompts->AskedList()[0].caption, QString("Assert"));
    QVERIFY(prompts->AskedList()[0].text.startsWith("Check failed: base_dialog_test.cpp, line "));
    QVERIFY(prompts->AskedList()[0].text.endsWith("\n"));
  }

  void yesNoAllAndOptionPromptsAnswerTheButtonsIdAndClosingIsNo() {
    YesNoAllBox box("Replace file?", nullptr);
    QCOMPARE(box.windowTitle(), QString("Confirm"));
    QStringList texts;
    for (int id : {kIdYes, kIdNo, kIdYesToAll, kIdNoToAll}) texts << Button(&box, id)->text();
    QCOMPARE(texts, (QStringList{"&Yes", "&No", "Y&es to All", "N&o to All"}));
    box.show();
    QTest::mouseClick(Button(&box, kIdYesToAll), Qt::LeftButton);
    QCOMPARE(box.result(), kIdYesToAll);

    QCOMPARE(Prompter().YesNoAll("Replace file?"), kIdNo);
    QCOMPARE(prompts->Unanswered(), 1);
    // The option prompt answers one or two.
    OptionBox option("Print", "Print what?", "&Day", "&Week", nullptr);
    QCOMPARE(option.windowTitle(), QString("Print"));
    option.show();
    QTest::mouseClick(Button(&option, 602), Qt::LeftButton);
    QCOMPARE(option.result(), 2);
  }

  void pickListOkWithoutASelectionSaysSoAndAnAnswerGivenStands() {
    PickListBox box("Folders", {"Inbox", "Clients"}, 1, nullptr);
    box.show();
    QCOMPARE(box.List()->currentRow(), 1);
    box.List()->clearSelection();
    QTest::mouseClick(Button(&box, kIdOk), Qt::LeftButton);
    QVERIFY(box.isVisible());
    QCOMPARE(prompts->AskedList().back().text, QString("Nothing selected."));
    box.List()->setCurrentRow(0);
    QTest::mouseClick(Button(&box, kIdOk), Qt::LeftButton);
    QCOMPARE(box.result(), 1);  // row 0
    // A given row out of range starts at the first.
    PickListBox outside("Folders", {"Inbox", "Clients"}, 9, nullptr);
    QCOMPARE(outside.List()->currentRow(), 0);
    // Hiding the box on OK takes its activation away, and losing the
    // activation answers 0: the answer given first must stand.
    PickListBox later("Delete Repeating Item", {"Just this one", "All", "Later ones"}, 0, nullptr);
    later.show();
    later.List()->setCurrentRow(2);
    later.Ok();
    later.done(0);
    QCOMPARE(later.result(), 3);
    QCOMPARE(later.List()->accessibleName(), QString("Delete Repeating Item"));
  }

  void theProgressBoxCancels() {
    QtPromptService qt;
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
    WindowDataPrompts data;
    data.Inform("DESKpost", "Could not locate record: M\xFCller");
    QCOMPARE(prompts->AskedList().back().text,
             QString::fromUtf8("Could not locate record: Müller"));
    prompts->Answer(1);
    QVERIFY(data.AskRetryCancel("Error", "Timed out locking file."));
    QCOMPARE(prompts->AskedList().back().caption, QString("Error"));
    prompts->Answer(1);
    QVERIFY(data.NameError("Name not found."));
  }
};

QTEST_MAIN(BaseDialogTest)
#include "base_dialog_test.moc"
