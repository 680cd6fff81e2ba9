// The field kinds, typed into by real key events.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <memory>
#include <tuple>

#include "field_dialog.h"
#include "storage/check.h"
#include "toolkit/live_windows.h"
#include "toolkit/scripted_prompts.h"

class FieldControlsTest : public QObject {
  Q_OBJECT

  FieldRecord rec;
  std::unique_ptr<FieldDialog> dialog;
  std::unique_ptr<ScriptedPrompts> prompts;

  QLineEdit* Edit(int id) { return dialog->Control<QLineEdit>(id); }

  // Types into an empty field, leaves it, and answers the text it shows.
  QString Left(int id, const QString& typed) {
    Edit(id)->clear();
    TypeAndLeave(Edit(id), typed);
    return Edit(id)->text();
  }

  // Types a date and answers whether the dialog accepts it.
  bool DateAccepted(const QString& typed) {
    Edit(kIdDate)->clear();
    TypeAndLeave(Edit(kIdDate), typed);
    return dialog->TransferOut();
  }

 private slots:
  void init() {
    rec = FieldRecord{};
    prompts = std::make_unique<ScriptedPrompts>();
    dialog = std::make_unique<FieldDialog>(&rec);
    dialog->OpenModeless();
    QVERIFY(ShowActive(dialog.get()));
  }
  void cleanup() {
    dialog.reset();
    prompts.reset();
    QCOMPARE(LiveWindowCount(), 0);
  }

  void phonesAndTimesAreNormalisedWhenTheFieldIsLeft_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    // The rules themselves are field_rules_test's: here the field applies them.
    for (auto [id, typed, shown] : std::initializer_list<std::tuple<int, const char*, const char*>>{
             {kIdPhone, "6175551234", "617-555-1234"},
             {kIdPhone, "555 1234", "555 1234"},
             {kIdTime, "130", " 1:30PM"},
             {kIdTime, "1:2:3", "1:2:3"}})
      QTest::newRow(typed) << id << QString(typed) << QString(shown);
  }
  void phonesAndTimesAreNormalisedWhenTheFieldIsLeft() {
    QFETCH(int, id);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QCOMPARE(Left(id, typed), shown);
  }

  void reformattingAPhoneDoesNotCountAsAChangeOfItsOwn() {
    dialog->TransferIn();
    TypeAndLeave(Edit(kIdPhone), "5551234");
    QCOMPARE(dialog->Modified(), 1u);
    dialog->SetModified(0);
    Edit(kIdPhone)->setFocus();
    QTest::keyClick(Edit(kIdPhone), Qt::Key_Tab);
    QCOMPARE(dialog->Modified(), 0u);
  }

  void datesOutsideTheTwoDigitYearsOrTheMonthAreRefused() {
    QVERIFY(!DateAccepted("2-30-99"));
    QCOMPARE(dialog->FailedControlId(), int(kIdDate));
    QVERIFY(DateAccepted("12-31-37"));
    QCOMPARE(FormatDate(rec.date), std::string("12-31-37"));
    QVERIFY(!DateAccepted("1-1-38"));
    QVERIFY(DateAccepted(""));
    QCOMPARE(rec.date, 0);
    // A stored date shows as month-day-year.
    QVERIFY(ParseDate("7-04-99", &rec.date));
    dialog->TransferIn();
    QCOMPARE(Edit(kIdDate)->text(), QString("7-04-99"));
  }

  void settingAValueDoesNotMarkModifiedButTheFirstKeystrokeDoes() {
    std::strcpy(rec.caller, "JONES");
    dialog->TransferIn();
    QCOMPARE(Edit(kIdCaller)->text(), QString("JONES"));
    QCOMPARE(dialog->Modified(), 0u);
    // A field not entered yet shows its text from the start.
    QCOMPARE(Edit(kIdCaller)->cursorPosition(), 0);
    auto* edit = static_cast<TEditControl*>(dialog->Binding(kIdCaller));
    edit->SetTextQuietly("BROWN");
    edit->SetTextQuietly("BROWN");  // the same text again changes nothing either
    QCOMPARE(dialog->Modified(), 0u);
    Edit(kIdCaller)->setFocus();
    QTest::keyClick(Edit(kIdCaller), Qt::Key_X);
    QCOMPARE(dialog->Modified(), 1u);
  }

  void enteringAFieldPutsTheCaretAtTheStart() {
    std::strcpy(rec.caller, "JONES");
    dialog->TransferIn();
    Edit(kIdPhone)->setFocus();
    QTest::keyClick(Edit(kIdPhone), Qt::Key_Backtab);
    QVERIFY(Edit(kIdCaller)->hasFocus());
    QCOMPARE(Edit(kIdCaller)->cursorPosition(), 0);
    QVERIFY(!Edit(kIdCaller)->hasSelectedText());
    // So does entering a wholly selected multi-line field.
    std::strcpy(rec.text, "one\rtwo\rthree");
    dialog->TransferIn();
    auto* text = dialog->Control<QPlainTextEdit>(kIdText);
    text->selectAll();
    Edit(kIdCaller)->setFocus();
    text->setFocus();
    QVERIFY(!text->textCursor().hasSelection());
    QCOMPARE(text->textCursor().position(), 0);
  }

  void textIsStoredAsWindows1252AndTruncatedToTheBuffer() {
    Edit(kIdCaller)->setFocus();
    TypeText(Edit(kIdCaller), QString::fromUtf8("Müller €"));
    QVERIFY(dialog->TransferOut());
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
    dialog->Binding(kIdCaller)->SetUpperCase(true);
    Edit(kIdCaller)->setFocus();
    TypeText(Edit(kIdCaller), QString::fromUtf8("jones é"));
    QCOMPARE(Edit(kIdCaller)->text(), QString::fromUtf8("JONES É"));
  }

  void multiLineTextKeepsSingleCarriageReturns() {
    std::strcpy(rec.text, "first\rsecond");
    dialog->TransferIn();
    auto* text = dialog->Control<QPlainTextEdit>(kIdText);
    QCOMPARE(text->toPlainText(), QString("first\nsecond"));
    QCOMPARE(text->textCursor().position(), int(text->toPlainText().size()));
    text->setFocus();
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, "third");
    QVERIFY(dialog->TransferOut());
    QCOMPARE(std::string(rec.text), std::string("first\rsecond\rthird"));
    QCOMPARE(dialog->Modified(), 1u);
    // Pasted text without Windows-1252 bytes shows question marks.
    text->clear();
    text->insertPlainText(QString::fromUtf8("a\u4e2db"));
    QCOMPARE(text->toPlainText(), QString("a?b"));
  }

  void comboAndCheckBoxMarkModifiedOnlyWhenTheUserChooses() {
    rec.kind = 1;
    rec.rush = 7;
    dialog->TransferIn();
    auto* combo = dialog->Control<QComboBox>(kIdKind);
    auto* rush = dialog->Control<QCheckBox>(kIdRush);
    QCOMPARE(combo->currentText(), QString("Memo"));
    QVERIFY(rush->isChecked());
    QCOMPARE(dialog->Modified(), 0u);
    QTest::mouseClick(rush, Qt::LeftButton, {}, QPoint(6, rush->height() / 2));
    QCOMPARE(dialog->Modified(), 1u);
    dialog->SetModified(0);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(dialog->Modified(), 1u);
    QVERIFY(dialog->TransferOut());
    QCOMPARE(rec.kind, 2);
    QCOMPARE(rec.rush, uint8_t(0));
  }

  void typingInTheRecipientOpensThePickerWithTheTypedText() {
    dialog->TransferIn();
    Edit(kIdTo)->setFocus();
    QTest::keyClick(Edit(kIdTo), Qt::Key_S);
    QCOMPARE(dialog->picker.starts.size(), size_t(1));
    QCOMPARE(dialog->picker.starts[0], std::string("s"));
    QCOMPARE(Edit(kIdTo)->text(), QString("SMITH"));
    QVERIFY(!Edit(kIdTo)->hasFocus());
    QCOMPARE(dialog->Modified(), 0u);
    QCOMPARE(FieldText(rec.to, records::name::kName), std::string("SMITH"));
  }

  void theCompanyFieldCompletesFromThePhoneList() {
    dialog->TransferIn();
    Edit(kIdCompany)->setFocus();
    QTest::keyClicks(Edit(kIdCompany), "ba");
    QVERIFY(dialog->quick.open);
    QCOMPARE(dialog->quick.shown, std::string("BAKER & SONS"));
    QTest::keyClick(Edit(kIdCompany), Qt::Key_R);
    QCOMPARE(dialog->quick.shown, std::string("BARLOW LTD"));
    QTest::keyClick(Edit(kIdCompany), Qt::Key_X);
    QVERIFY(!dialog->quick.open);
    QCOMPARE(dialog->Modified(), 1u);
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
};

QTEST_MAIN(FieldControlsTest)
#include "field_controls_test.moc"
