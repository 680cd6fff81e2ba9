// The dialog base: bindings, transfers, the modified and read-only rules,
// confirm-discard and the ways a dialog opens and closes.
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "field_dialog.h"
#include "storage/check.h"
#include "toolkit/controls/edit_menu.h"
#include "toolkit/live_windows.h"
#include "toolkit/modeless.h"
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

}  // namespace

class BaseDialogTest : public QObject {
  Q_OBJECT

  FieldRecord rec;
  std::unique_ptr<ScriptedPrompts> prompts;

 private slots:
  void init() {
    rec = FieldRecord{};
    prompts = std::make_unique<ScriptedPrompts>();
    SetCheckHandler([this](const char* module, unsigned line) {
      prompts->CheckFailed(QString::asprintf("Check failed: %s, line %u\n", module, line));
    });
  }
  void cleanup() {
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
    FieldDialog d(&rec);
    d.OpenModeless();
    QVERIFY(ShowActive(&d));
    auto* date = d.Control<QLineEdit>(kIdDate);
    date->setFocus();
    QTest::keyClicks(date, "2-30-99");
    QTest::mouseClick(d.Control<QPushButton>(kIdOk), Qt::LeftButton);
    QVERIFY(d.IsOpen());
    QCOMPARE(d.FailedControlId(), int(kIdDate));
    date->clear();
    auto* caller = d.Control<QLineEdit>(kIdCaller);
    caller->setFocus();
    QTest::keyClicks(caller, "BAKER");
    QTest::mouseClick(d.Control<QPushButton>(kIdOk), Qt::LeftButton);
    QCOMPARE(d.Result(), 1);
    QVERIFY(!d.IsOpen());
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
      QVERIFY(!a.isEnabled());
      QVERIFY(!b.isEnabled());
    }
    QVERIFY(a.isEnabled());
    QVERIFY(b.isEnabled());
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
    QApplication::clipboard()->clear();
    auto empty = MakeEditMenu(caller);
    QCOMPARE(empty->title(), QString("Edit Control"));
    QVERIFY(!EditMenuAction(empty.get(), kCmdCut)->isEnabled());
    QVERIFY(!EditMenuAction(empty.get(), kCmdCopy)->isEnabled());
    QVERIFY(!EditMenuAction(empty.get(), kCmdDelete)->isEnabled());
    QVERIFY(!EditMenuAction(empty.get(), kCmdUndo)->isEnabled());
    QVERIFY(!EditMenuAction(empty.get(), kCmdPaste)->isEnabled());

    caller->setText("JONES");
    caller->setSelection(0, 2);
    QApplication::clipboard()->setText("x");
    auto some = MakeEditMenu(caller);
    QVERIFY(EditMenuAction(some.get(), kCmdCut)->isEnabled());
    QVERIFY(EditMenuAction(some.get(), kCmdPaste)->isEnabled());
    QVERIFY(EditMenuAction(some.get(), kCmdSelectAll)->isEnabled());
    EditMenuAction(some.get(), kCmdSelectAll)->trigger();
    QCOMPARE(caller->selectedText(), QString("JONES"));
    auto all = MakeEditMenu(caller);
    QVERIFY(!EditMenuAction(all.get(), kCmdSelectAll)->isEnabled());
  }
};

QTEST_MAIN(BaseDialogTest)
#include "base_dialog_test.moc"
