// The note editor (TAKE_NOTE) and its call timer (TIMER) on a real office:
// notes written, emptied and read back through the note table, the
// return-call stamp, the read-only mode, and the timer's count and paste.
#include "messaging/note_editor.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/messages/dpnote.h"
#include "messaging/call_timer.h"
#include "tests/messaging/messaging_office.h"
#include "tests/support/test_rows.h"

namespace {

QPlainTextEdit* NoteField(QWidget& d) {
  return FindControlAs<QPlainTextEdit>(&d, NoteEditorDialog::kIdText);
}

int32_t StoredNote(const std::string& text) {
  int32_t number = 0;
  if (!NoteNew(&number) || !NoteWrite(number, text)) return 0;
  return number;
}

std::string NoteText(int32_t number) {
  std::string text;
  NoteRead(number, &text);
  return text;
}

// OK stores what the note field holds: a new note for a message without
// one, the same note rewritten, no note once emptied; Cancel and the
// read-only mode store nothing. The note's text before ("": no note), the
// text typed over it ("-": nothing typed), OK or Cancel, the answer, the
// note's text after ("": number 0) and whether the note number stays.
struct NoteCase {
  const char* name;
  const char* before;
  int mode;
  const char* typed;
  bool ok;
  int result;
  const char* after;
  bool sameNumber;
};
constexpr NoteCase kNoteCases[] = {
    {"new note", "", kNoteEdit, "Call after 3.", true, 1, "Call after 3.", false},
    {"rewritten", "old", kNoteEdit, "new", true, 1, "new", true},
    {"emptied", "old", kNoteEdit, "", true, 1, "", false},
    {"empty stays none", "", kNoteEdit, "-", true, 1, "", true},
    {"cancelled", "old", kNoteEdit, "new", false, 0, "old", true},
    {"read-only", "old", kNoteReadOnly, "new", true, 1, "old", true},
    {"line breaks", "", kNoteEdit, "one\ntwo", true, 1, "one\rtwo", false},
};

}  // namespace

class NoteEditorTest : public QObject {
  Q_OBJECT

  std::unique_ptr<MessagingOffice> office;
  std::unique_ptr<MessagingScript> script;

 private slots:
  void init() {
    office = std::make_unique<MessagingOffice>();
    QVERIFY(office->ok);
    script = std::make_unique<MessagingScript>();
    // 3-15-27 9:05 in the morning, local time.
    office->now = FromLocal(2027, 3, 15, 9, 5, 0);
  }
  void cleanup() {
    script.reset();
    QCOMPARE(office->prompts.Unanswered(), 0);
    QVERIFY(office->checks.empty());
    office.reset();
  }

  void okStoresTheTextAndCancelKeepsTheNote_data() { AddRows(kNoteCases); }
  void okStoresTheTextAndCancelKeepsTheNote() {
    const NoteCase& c = TestRow(kNoteCases);
    const QString before(c.before), typed(c.typed), after(c.after);
    const bool sameNumber = c.sameNumber;
    const int32_t original = before.isEmpty() ? 0 : StoredNote(before.toStdString());
    int32_t number = original;
    QString shown;
    script->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Note"));
      QVERIFY(!FindControl(&d, NoteEditorDialog::kIdTimer)->isVisibleTo(&d));
      shown = NoteField(d)->toPlainText();
      if (typed != "-") {
        NoteField(d)->setFocus();
        NoteField(d)->selectAll();
        QTest::keyClick(NoteField(d), Qt::Key_Delete);
        for (const QString& part : typed.split('\n')) {
          if (part != typed.split('\n').first()) QTest::keyClick(NoteField(d), Qt::Key_Return);
          QTest::keyClicks(NoteField(d), part);
        }
      }
      MessagingScript::Press(d, c.ok ? kIdOk : kIdCancel);
    });
    QCOMPARE(EditNote(nullptr, &number, c.mode), c.result);
    QCOMPARE(shown, before);
    QCOMPARE(QString::fromStdString(NoteText(number)), after);
    if (after.isEmpty()) QCOMPARE(number, sameNumber ? original : 0);
    if (!after.isEmpty()) QCOMPARE(number == original, sameNumber);
  }

  // The return-call log: its caption, the "&Timer" button, and the stamp of
  // the current date and time after two line breaks, added only while more
  // than 25 of the 4047 characters are free.
  void theReturnCallLogStampsTheTimeWhileThereIsRoom_data() {
    QTest::addColumn<int>("length");  // of the note's text before, 0: no note
    QTest::addColumn<QString>("added");
    const QString stamp = " 3-15-27  9:05am: ";
    QTest::newRow("no note") << 0 << stamp;
    QTest::newRow("some text") << 5 << "\n\n" + stamp;
    QTest::newRow("26 free") << 4021 << "\n\n" + stamp;
    QTest::newRow("25 free") << 4022 << "";
    QTest::newRow("full") << 4047 << "";
  }
  void theReturnCallLogStampsTheTimeWhileThereIsRoom() {
    QFETCH(int, length);
    QFETCH(QString, added);
    const std::string before(size_t(length), 'x');
    int32_t number = length ? StoredNote(before) : 0;
    QString shown;
    script->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("RETURN CALL LOG"));
      QVERIFY(FindControl(&d, NoteEditorDialog::kIdTimer)->isVisibleTo(&d));
      shown = NoteField(d)->toPlainText();
      // The caret waits at the end, after the stamp.
      QCOMPARE(NoteField(d)->textCursor().position(), int(shown.size()));
      MessagingScript::Press(d, kIdOk);
    });
    QCOMPARE(EditNote(nullptr, &number, kNoteReturnCall), 1);
    QCOMPARE(shown, QString::fromStdString(before) + added);
    QVERIFY(number != 0);
    QString expected = QString::fromStdString(before) + added;
    QCOMPARE(QString::fromStdString(NoteText(number)), expected.replace('\n', '\r'));
  }

  void aNoteThatCannotBeReadOpensNoEditor() {
    // A note number whose parts are not there: the reading fails and the
    // editor does not open.
    int32_t number = 987654;
    QCOMPARE(EditNote(nullptr, &number, kNoteEdit), 0);
    QCOMPARE(number, 987654);
    QVERIFY(script->opened.empty());
    QCOMPARE(Asked(office->prompts), QStringList({"DESKpost|Could not locate record: NOTE"}));
  }

  void theTimeSpentFieldReadsHoursOrClockTimes() {
    struct {
      const char* text;
      bool valid;
      int seconds;
    } const cases[] = {{"1.5", true, 5400},     {"0.25", true, 900},  {"2", true, 7200},
                       {"1.5h", true, 5400},    {"abc", true, 0},     {"-1", false, 0},
                       {"1:59:58", true, 7198}, {"1:30", true, 5400}, {"::5", true, 5},
                       {"1:3a", false, 0},      {"1: 30", false, 0},  {"1:2:3:4", false, 0},
                       {"999999:00", false, 0}};
    for (const auto& c : cases) {
      int32_t parsed = -7;
      QVERIFY2(ParseTimeSpent(c.text, &parsed) == c.valid, c.text);
      if (c.valid) QVERIFY2(parsed == c.seconds, c.text);
    }
  }

  // The timer opened from the return-call log: started from an edited
  // value it counts on across the hour, and Paste puts the time spent into
  // the note at the caret and closes the timer.
  void theCallTimerCountsOnFromTheFieldAndPastesIntoTheNote_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("seconds");  // ticks after Start
    QTest::addColumn<QString>("shown");
    QTest::newRow("across two hours") << "1:59:58" << 2 << "2:00:00";
    QTest::newRow("one and a half hours") << "1.5" << 1 << "1:30:01";
    QTest::newRow("from zero") << "0:00:00" << 61 << "0:01:01";
  }
  void theCallTimerCountsOnFromTheFieldAndPastesIntoTheNote() {
    QFETCH(QString, start);
    QFETCH(int, seconds);
    QFETCH(QString, shown);
    int32_t number = 0;
    QStringList seen;
    script->Then([&](TBaseDialog& d) {
      auto& editor = static_cast<NoteEditorDialog&>(d);
      MessagingScript::Press(d, NoteEditorDialog::kIdTimer);
      CallTimerDialog* timer = editor.Timer();
      QVERIFY(timer && timer->IsOpen());
      QCOMPARE(timer->windowTitle(), QString("Call Timer"));
      auto* field = FindControlAs<QLineEdit>(timer, CallTimerDialog::kIdTime);
      QCOMPARE(field->text(), QString("0:00:00"));
      QCOMPARE(field->accessibleName(), QString("Time spent"));
      MessagingScript::Type(*timer, CallTimerDialog::kIdTime, start);
      MessagingScript::Press(*timer, CallTimerDialog::kIdStartStop);
      QVERIFY(timer->Running());
      auto* button = FindControlAs<QPushButton>(timer, CallTimerDialog::kIdStartStop);
      QCOMPARE(button->text(), QString("&Stop"));
      for (int i = 0; i < seconds; ++i) timer->Second();
      seen << field->text();
      MessagingScript::Press(*timer, CallTimerDialog::kIdPaste);
      QVERIFY(!timer->Running());
      QVERIFY(!timer->IsOpen());
      seen << NoteField(d)->toPlainText();
      MessagingScript::Press(d, kIdOk);
    });
    QCOMPARE(EditNote(nullptr, &number, kNoteReturnCall), 1);
    QCOMPARE(seen.value(0), shown);
    QCOMPARE(seen.value(1), " 3-15-27  9:05am:  Time spent = " + shown);
  }

  void anInvalidTimeIsRefusedAndTheTimerStaysStopped() {
    int32_t number = 0;
    QStringList asked;
    script->Then([&](TBaseDialog& d) {
      auto& editor = static_cast<NoteEditorDialog&>(d);
      editor.OpenTimer();
      CallTimerDialog* timer = editor.Timer();
      MessagingScript::Type(*timer, CallTimerDialog::kIdTime, "1:x");
      MessagingScript::Press(*timer, CallTimerDialog::kIdStartStop);
      QVERIFY(!timer->Running());
      MessagingScript::Press(*timer, CallTimerDialog::kIdPaste);
      // Paste refuses it too and the timer window stays.
      QVERIFY(timer->IsOpen());
      asked = Asked(office->prompts);
      // A second "&Timer" brings the same window forward.
      editor.OpenTimer();
      QCOMPARE(editor.Timer(), timer);
      MessagingScript::Press(*timer, CallTimerDialog::kIdClose);
      QVERIFY(!timer->IsOpen());
      MessagingScript::Press(d, kIdCancel);
    });
    QCOMPARE(EditNote(nullptr, &number, kNoteReturnCall), 0);
    QCOMPARE(asked, QStringList({"DESKpost|Invalid Time spent value.",
                                 "DESKpost|Invalid Time spent value."}));
    QCOMPARE(number, 0);
  }

  void theNoteFieldIsNamedForScreenReaders() {
    NoteEditorDialog dialog(nullptr, 0, kNoteEdit);
    QCOMPARE(NoteField(dialog)->accessibleName(), QString("Note"));
  }
};

QTEST_MAIN(NoteEditorTest)
#include "note_editor_test.moc"
