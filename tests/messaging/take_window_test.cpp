// The Take window on a real office: what Send stores for a phone message
// and a memo (the text and its long-text note, From from Company, the tick
// boxes, Urgent, the attached note), the CC question, Send to folder, the
// window that hides and keeps its text, the unsent question before another
// kind, and the fields' refusals and names. The note editor (TAKE_NOTE)
// and its call timer (TIMER): notes written, emptied and read back through
// the note table, the return-call stamp, the read-only mode, and the
// timer's count and paste.
#include "messaging/take_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cstdio>

#include "data/local_time.h"
#include "data/office/flags.h"
#include "messaging/call_timer.h"
#include "messaging/folder_dialog.h"
#include "messaging/note_editor.h"
#include "messaging/take_windows.h"
#include "storage/records/message.h"
#include "tests/messaging/messaging_office.h"
#include "tests/support/lock_holder.h"
#include "tests/support/test_rows.h"

namespace msg = records::message;
namespace nm = records::name;

namespace {

// The name picker as the user would leave it: a name, its number and the
// tagged numbers.
class FakePicker : public NamePicker {
 public:
  bool PickName(uint8_t* nameRecord, int32_t* tagSet, int, const std::string&) override {
    ++picks;
    SetFieldText(nameRecord, nm::kName, name.c_str());
    SetFieldI32(nameRecord, nm::kNumber, number);
    for (int i = 0; i < kTagSetSize; ++i) tagSet[i] = i < int(tags.size()) ? tags[size_t(i)] : 0;
    return !name.empty();
  }
  std::string name;
  int32_t number = 0;
  std::vector<int32_t> tags;
  int picks = 0;
};

QPlainTextEdit* TextOf(TakeWindow& w) {
  return FindControlAs<QPlainTextEdit>(
      &w, w.Kind() == kTakePhone ? TakeWindow::kIdPhoneText : TakeWindow::kIdMemoText);
}

std::string TextField(const MessageRecord& r) {
  return FieldText(r.bytes, r.Kind() == 'P' ? msg::kPhoneText : msg::kMemoText);
}

struct LongTextCase {
  const char* name;
  char kind;
  int length;
  bool note;
};
constexpr LongTextCase kLongTextCases[] = {
    {"memo 416", kTakeMemo, 416, false},
    {"memo 417", kTakeMemo, 417, true},
    {"phone full", kTakePhone, kTakeTextLength, true},
};

// A memo to the name with the names tagged in the picker: whether the CC
// question is asked and how many copies are stored.
struct CcCase {
  const char *name, *to, *tagged;
  bool asked;
  int copies;
};
constexpr CcCase kCcCases[] = {
    {"everybody", "* - ALL", "", true, 4},
    {"one tagged name", "* - TAG", "BOB", false, 1},
    {"a group", "*SALES", "*SALES,ANNE,BOB", true, 2},
    {"one person", "ANNE", "", false, 1},
};

QPlainTextEdit* NoteField(QWidget& d) {
  return FindControlAs<QPlainTextEdit>(&d, NoteEditorDialog::kIdText);
}

int32_t StoredNote(const std::string& text) {
  int32_t number = 0;
  if (!NoteNew(&number) || !NoteWrite(number, text)) return 0;
  return number;
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

// The return-call log over a note of the length (0: no note) adds the
// text after it.
struct StampCase {
  const char* name;
  int length;
  const char* added;
};
constexpr StampCase kStampCases[] = {
    {"no note", 0, " 3-15-27  9:05am: "},
    {"26 free", 4021, "\n\n 3-15-27  9:05am: "},
    {"25 free", 4022, ""},
    {"full", 4047, ""},
};

// The timer started from the text typed shows after the seconds counted.
struct TimerCase {
  const char *name, *start;
  int seconds;
  const char* shown;
};
constexpr TimerCase kTimerCases[] = {
    {"across two hours", "1:59:58", 2, "2:00:00"},
    {"one and a half hours", "1.5", 1, "1:30:01"},
    {"from zero", "0:00:00", 61, "0:01:01"},
};

}  // namespace

class TakeWindowTest : public QObject, MessagingTest {
  Q_OBJECT

  FakePicker picker;
  std::vector<std::unique_ptr<TakeWindow>> windows;

  void Make(const MessagingOffice::Options& options = MessagingOffice::Options()) {
    Begin(options);
    office->now = FromLocal(2027, 3, 15, 9, 5, 0);
  }
  // A Take window of the kind, opened.
  TakeWindow& Take(char kind) {
    windows.push_back(std::make_unique<TakeWindow>(nullptr, kind, &picker));
    windows.back()->OpenModeless();
    return *windows.back();
  }
  void To(TakeWindow& w, const std::string& name, std::vector<int32_t> tags = {}) {
    picker.name = name;
    picker.number = name.empty() ? 0 : office->numbers[name];
    if (name == "* - ALL") picker.number = -1;
    picker.tags = std::move(tags);
    Press(&w, TakeWindow::kIdPick);
  }

 private slots:
  void init() {
    Make();
    picker = FakePicker();
  }
  void cleanup() {
    windows.clear();
    End(true);
  }

  // The record keeps 260 characters of a phone message and 416 of a memo;
  // one more and the whole text goes into the long-text note as well.
  void aLongTextGoesIntoTheLongTextNote_data() { AddRows(kLongTextCases); }
  void aLongTextGoesIntoTheLongTextNote() {
    const auto& [name, kind, length, note] = TestRow(kLongTextCases);
    TakeWindow& w = Take(kind);
    To(w, "ANNE");
    std::string text;
    for (int i = 0; i < length; ++i) text += char('a' + i % 26);
    TextOf(w)->setFocus();
    TextOf(w)->insertPlainText(QString::fromStdString(text));
    QVERIFY(w.Send());
    const std::vector<MessageRecord> stored = MessagingOffice::Messages();
    QCOMPARE(stored.size(), size_t(1));
    const size_t inRecord = kind == kTakePhone ? 260 : 416;
    QCOMPARE(TextField(stored[0]), text.substr(0, inRecord));
    QCOMPARE(stored[0].LongTextNote() != 0, note);
    QCOMPARE(NoteText(stored[0].LongTextNote()), note ? text : std::string());
    // The form is empty again.
    QCOMPARE(TextOf(w)->toPlainText(), QString());
    QCOMPARE(w.Modified(), 0u);
  }

  // Everything of the slip lands in its field: caller, company, phone
  // (reformatted), extension, By from the initials, the ticks as "><",
  // Urgent as flag 4; the recipient's flag file says urgent.
  void aPhoneMessageStoresItsSlip() {
    TakeWindow& w = Take(kTakePhone);
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(LineText(&w, TakeWindow::kIdBy), QString("RC"));
    To(w, "ANNE");
    Type(&w, TakeWindow::kIdPhoneFrom, "Joe");
    Type(&w, TakeWindow::kIdCompany, "Acme");
    // The phone number gets its hyphen when the field is left.
    FindControl(&w, TakeWindow::kIdPhone)->setFocus();
    Type(&w, TakeWindow::kIdPhone, "5551234");
    FindControl(&w, TakeWindow::kIdExt)->setFocus();
    Type(&w, TakeWindow::kIdExt, "12");
    for (int id : {TakeWindow::kIdCallBack, TakeWindow::kIdWillCall, TakeWindow::kIdUrgent})
      QTest::mouseClick(FindControlAs<QCheckBox>(&w, id), Qt::LeftButton);
    TypeKeys(&w, TakeWindow::kIdPhoneText, "Call back\ntoday");
    QVERIFY(w.Send());
    const MessageRecord r = MessagingOffice::Messages().at(0);
    QCOMPARE(r.Kind(), uint8_t('P'));
    QCOMPARE(r.To(), std::string("ANNE"));
    QCOMPARE(r.From(), std::string("Joe"));
    const std::pair<Field, std::string> slip[] = {
        {msg::kCompany, "Acme"},  {msg::kPhone, "555-1234"}, {msg::kExtension, "12"},
        {msg::kBy, "RC"},         {msg::kRush, ""},          {msg::kCallBack, "><"},
        {msg::kReturnedCall, ""}, {msg::kWillCall, "><"},    {msg::kPhoneText, "Call back\rtoday"}};
    for (const auto& [field, text] : slip) QCOMPARE(FieldText(r.bytes, field), text);
    QVERIFY(r.Flags() & msg::kFlagUrgent);
    QCOMPARE(r.Time(), FromLocal(2027, 3, 15, 9, 5, 0));
    QVERIFY(office->Flag("ANNE") & kFlagUrgentMessage);
    // The next slip starts clean, with the initials again.
    QVERIFY(!FindControlAs<QCheckBox>(&w, TakeWindow::kIdUrgent)->isChecked());
    QCOMPARE(LineText(&w, TakeWindow::kIdBy), QString("RC"));
    QCOMPARE(LineText(&w, TakeWindow::kIdTo), QString());
  }

  void aMemoIsFromTheUserAndNeedsARecipient() {
    TakeWindow& w = Take(kTakeMemo);
    QCOMPARE(w.windowTitle(), QString("Take Memo"));
    QCOMPARE(LineText(&w, TakeWindow::kIdMemoFrom), QString("RECEPTION"));
    TypeKeys(&w, TakeWindow::kIdMemoText, "Lunch?");
    QVERIFY(!w.Send());
    QCOMPARE(Asked(*prompts), QStringList({"DESKpost|Please fill in To: field."}));
    QCOMPARE(TextOf(w)->toPlainText(), QString("Lunch?"));
    QVERIFY(MessagingOffice::Messages().empty());
    To(w, "BOB");
    QVERIFY(w.Send());
    const MessageRecord r = MessagingOffice::Messages().at(0);
    QCOMPARE(r.Kind(), uint8_t('M'));
    QCOMPARE(r.From(), std::string("RECEPTION"));
    QCOMPARE(TextField(r), std::string("Lunch?"));
    QVERIFY(office->Flag("BOB") & kFlagNewMessage);
  }

  // "Attach CC: list?" is asked for "* - ALL" and for two or more tagged
  // names, never for one; Yes gives every copy its CC list.
  void theCCQuestionIsAskedForSeveralRecipients_data() { AddRows(kCcCases); }
  void theCCQuestionIsAskedForSeveralRecipients() {
    const auto& [name, to, tagged, asked, copies] = TestRow(kCcCases);
    std::vector<int32_t> tags;
    for (const QString& tag : QString(tagged).split(',', Qt::SkipEmptyParts))
      tags.push_back(office->numbers[tag.toStdString()]);
    TakeWindow& w = Take(kTakeMemo);
    To(w, to, tags);
    TypeKeys(&w, TakeWindow::kIdMemoText, "All hands at 4.");
    if (asked) prompts->Answer(true);
    QVERIFY(w.Send());
    QCOMPARE(Asked(*prompts).contains("DESKpost|Attach CC: list?"), asked);
    const std::vector<MessageRecord> stored = MessagingOffice::Messages();
    QCOMPARE(int(stored.size()), copies);
    for (const MessageRecord& r : stored) {
      QCOMPARE(bool(r.Flags() & msg::kFlagCcList), asked);
      QCOMPARE(TextField(r), std::string("All hands at 4."));
    }
    // A group send shows its working notice and takes it down.
    QStringList working;
    for (const auto& q : prompts->AskedList())
      if (q.kind == "Working") working << q.caption + " " + q.text;
    QCOMPARE(working, *to == '*' ? QStringList({"on Sending messages...", "off "}) : QStringList());
    QCOMPARE(prompts->WorkingDepth(), 0);
  }

  // Send to folder: the message is the user's own, in the chosen folder,
  // and nobody's flag file is raised. Without a caller's name it is from
  // the company: its first 20 characters, of the 29 the field holds.
  void sendToFolderFilesTheMessageWithoutAnAlert() {
    const int32_t me = office->numbers["RECEPTION"];
    const int32_t calls = MessagingOffice::AddFolder("Calls", me);
    QVERIFY(calls != 0);
    TakeWindow& w = Take(kTakePhone);
    Type(&w, TakeWindow::kIdCompany, "Northwind Trading Company Ltd");
    QCOMPARE(LineText(&w, TakeWindow::kIdCompany), QString("Northwind Trading Company Ltd"));
    TypeKeys(&w, TakeWindow::kIdPhoneText, "Quote for 40 chairs.");
    // Cancelled first: nothing stored, the form kept.
    dialogs->Cancel();
    QVERIFY(!w.SendToFolder());
    QVERIFY(MessagingOffice::Messages().empty());
    QCOMPARE(TextOf(w)->toPlainText(), QString("Quote for 40 chairs."));
    dialogs->Then([](TBaseDialog& d) {
      Press(&d, FolderDialog::kIdPersonal);
      Type(&d, FolderDialog::kIdSearch, "Calls");
      Press(&d, FolderDialog::kIdSelect);
    });
    QVERIFY(w.SendToFolder());
    const std::vector<MessageRecord> stored = MessagingOffice::Messages();
    QCOMPARE(stored.size(), size_t(1));
    QCOMPARE(stored[0].To(), std::string("RECEPTION"));
    QCOMPARE(stored[0].Folder(), calls);
    QCOMPARE(stored[0].From(), std::string("Northwind Trading Co"));
    for (const char* name : {"RECEPTION", "ANNE", "BOB", "CAROL"}) QCOMPARE(office->Flag(name), 0);
    QVERIFY(Asked(*prompts).isEmpty());
    QCOMPARE(TextOf(w)->toPlainText(), QString());
  }

  // Another workstation holds the message table's append lock: the wait
  // ends in "Timed out locking file.", Cancel shows the failure and keeps
  // the slip, and once the lock is gone the same slip goes out.
  void aSendThatCannotStoreKeepsTheSlip() {
    FastTicks fast;
    TakeWindow& w = Take(kTakePhone);
    To(w, "ANNE");
    TypeKeys(&w, TakeWindow::kIdPhoneText, "Call back before noon.");
    {
      LockHolder other(office->dir.File("MESSAGE.DAT"), 0);
      QVERIFY(other.Held());
      prompts->Answer(false);
      QVERIFY(!w.Send());
    }
    const QStringList asked = Asked(*prompts);
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0], QString("Error|Timed out locking file."));
    QVERIFY(asked[1].startsWith("DESKpost|"));
    QVERIFY(MessagingOffice::Messages().empty());
    QCOMPARE(TextOf(w)->toPlainText(), QString("Call back before noon."));
    QCOMPARE(LineText(&w, TakeWindow::kIdTo), QString("ANNE"));
    QVERIFY(w.Send());
    QCOMPARE(TextField(MessagingOffice::Messages().at(0)), std::string("Call back before noon."));
  }

  // A phone message works with the phone list open: when it cannot be
  // opened the failure is shown and the window does not stay.
  void aPhoneMessageWithoutItsPhoneListDoesNotOpen() {
    for (const char* file : {"PHONE.DAT", "PHONE.X1"}) std::remove(office->dir.File(file).c_str());
    TakeWindow& w = Take(kTakePhone);
    QVERIFY(!w.IsOpen());
    QVERIFY(!w.isVisible());
    const QStringList asked = Asked(*prompts);
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].startsWith("DESKpost|"));
    QVERIFY(asked[0].endsWith("PHONE.DAT"));
    // A memo needs no phone list.
    TakeWindow& memo = Take(kTakeMemo);
    QVERIFY(memo.isVisible());
  }

  // The attached note shows in the title, travels with the message, and
  // goes with the next Clear.
  void anAttachedNoteShowsInTheTitleAndIsSent() {
    TakeWindow& w = Take(kTakePhone);
    QCOMPARE(w.windowTitle(), QString("Take Message"));
    dialogs->Then([](TBaseDialog& d) {
      TypeKeys(&d, NoteEditorDialog::kIdText, "Prefers mornings.");
      Press(&d, kIdOk);
    });
    Press(&w, TakeWindow::kIdNote);
    QCOMPARE(w.windowTitle(), QString("Take Message *** NOTE ATTACHED ***"));
    To(w, "ANNE");
    QVERIFY(w.Send());
    const MessageRecord r = MessagingOffice::Messages().at(0);
    QCOMPARE(NoteText(FieldI32(r.bytes, msg::kAttachedNote)), std::string("Prefers mornings."));
    QCOMPARE(w.windowTitle(), QString("Take Message"));
  }

  // A character Windows-1252 has no byte for is refused as it is typed,
  // with a notice; the rest of the typing stays.
  void aCharacterWithoutAWindows1252ByteIsRefusedAtTheField() {
    TakeWindow& w = Take(kTakePhone);
    for (int id : {TakeWindow::kIdPhoneText, TakeWindow::kIdCompany, TakeWindow::kIdPhoneFrom}) {
      TypeCharacters(FindControl(&w, id), QString::fromUtf8("a\u2192b\u00e9"));
      const QString text =
          id == TakeWindow::kIdPhoneText ? TextOf(w)->toPlainText() : LineText(&w, id);
      QCOMPARE(text, QString::fromUtf8("ab\u00e9"));
      QCOMPARE(Asked(*prompts),
               QStringList({QString::fromUtf8("|The character \"\u2192\" cannot be stored.")}));
      prompts->Clear();
    }
  }

  // The window that is closed keeps its text and shows it again on
  // "&Take"; another kind first asks the unsent question of the kind open,
  // and No keeps that window.
  void aClosedTakeWindowKeepsItsTextAndAnotherKindAsksFirst() {
    TakeWindows takes(nullptr, &picker);
    takes.Open();
    TakeWindow* w = takes.Current();
    QVERIFY(w && w->isVisible());
    QCOMPARE(w->Kind(), kTakePhone);
    TypeKeys(w, TakeWindow::kIdPhoneText, "Ring Joe.");
    Press(w, kIdCancel);
    QVERIFY(!w->isVisible());
    takes.Open();
    QCOMPARE(takes.Current(), w);
    QVERIFY(w->isVisible());
    QCOMPARE(TextOf(*w)->toPlainText(), QString("Ring Joe."));
    // The memo button, No: the phone message stays, in front.
    prompts->Answer(false);
    Press(w, TakeWindow::kIdKindMemo);
    QCoreApplication::processEvents();
    QCOMPARE(takes.Current(), w);
    QCOMPARE(TextOf(*w)->toPlainText(), QString("Ring Joe."));
    // Again from the main window's kind command, Yes: a memo.
    prompts->Answer(true);
    takes.Open(kTakeMemo);
    QVERIFY(takes.Current() && takes.Current()->Kind() == kTakeMemo);
    QCOMPARE(Asked(*prompts), QStringList({"DESKpost|Phone message not sent, are you sure?",
                                           "DESKpost|Phone message not sent, are you sure?"}));
    prompts->Clear();
    // Only a recipient chosen: not changed, so no question to leave it.
    To(*takes.Current(), "ANNE");
    takes.Open(kTakePhone);
    QCOMPARE(takes.Current()->Kind(), kTakePhone);
    // A changed memo asks with its own words when the program closes.
    takes.Open(kTakeMemo);
    TypeKeys(takes.Current(), TakeWindow::kIdMemoText, "x");
    prompts->Answer(false);
    QVERIFY(!takes.Close());
    QVERIFY(takes.Current()->isVisible());
    prompts->Answer(true);
    QVERIFY(takes.Close());
    QVERIFY(takes.Current() == nullptr);
    QVERIFY(takes.Close());
    QCOMPARE(Asked(*prompts), QStringList({"DESKpost|Memo not sent, are you sure?",
                                           "DESKpost|Memo not sent, are you sure?"}));
  }

  void theDefaultMessageTypeDecidesTheKindOfTake() {
    for (char kind : {kTakePhone, kTakeMemo, kTakeEmail}) {
      MessagingOffice::Options options;
      options.defaultKind = uint8_t(kind == kTakePhone ? 0 : kind == kTakeMemo ? 1 : 2);
      Make(options);
      TakeWindows takes(nullptr, &picker);
      takes.Open();
      QCOMPARE(takes.Window()->Kind(), kind);
    }
  }

  // The time field follows the main window's timer while the window shows.
  void theTimeFieldShowsTheDateAndTimeFromTheTimer() {
    TakeWindows takes(nullptr, &picker);
    takes.Open();
    auto* time = FindControlAs<QLabel>(takes.Current(), TakeWindow::kIdTime);
    QCOMPARE(time->text(), QString("3-15-27   9:05am"));
    office->now = FromLocal(2027, 3, 15, 13, 7, 0);
    takes.RefreshTime();
    QCOMPARE(time->text(), QString("3-15-27   1:07pm"));
    Press(takes.Current(), kIdCancel);
    office->now = FromLocal(2027, 3, 16, 8, 0, 0);
    takes.RefreshTime();
    QCOMPARE(time->text(), QString("3-15-27   1:07pm"));
  }

  // Screen readers find every control by a name.
  void everyControlHasAName() {
    const std::tuple<char, int, const char*> names[] = {
        {kTakePhone, TakeWindow::kIdTo, "To:"},
        {kTakePhone, TakeWindow::kIdPhoneFrom, "From:"},
        {kTakePhone, TakeWindow::kIdCompany, "Company:"},
        {kTakePhone, TakeWindow::kIdPhone, "Phone:"},
        {kTakePhone, TakeWindow::kIdExt, "Ext:"},
        {kTakePhone, TakeWindow::kIdBy, "By:"},
        {kTakePhone, TakeWindow::kIdPhoneText, "Message"},
        {kTakePhone, TakeWindow::kIdTime, "Date and time"},
        {kTakeMemo, TakeWindow::kIdMemoFrom, "From:"},
        {kTakeMemo, TakeWindow::kIdMemoText, "Message"}};
    for (const auto& [kind, id, name] : names) {
      TakeWindow w(nullptr, kind, &picker);
      QCOMPARE(FindControl(&w, id)->accessibleName(), QString(name));
      QVERIFY(FindControl(&w, TakeWindow::kIdKindEmail)->isEnabled());
    }
  }

  // ---- The note editor and its call timer ----

  void okStoresTheTextAndCancelKeepsTheNote_data() { AddRows(kNoteCases); }
  void okStoresTheTextAndCancelKeepsTheNote() {
    const NoteCase& c = TestRow(kNoteCases);
    const QString before(c.before), typed(c.typed), after(c.after);
    const int32_t original = before.isEmpty() ? 0 : StoredNote(before.toStdString());
    int32_t number = original;
    QString shown;
    dialogs->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Note"));
      QCOMPARE(NoteField(d)->accessibleName(), QString("Note"));
      QVERIFY(!FindControl(&d, NoteEditorDialog::kIdTimer)->isVisibleTo(&d));
      shown = NoteField(d)->toPlainText();
      if (typed != "-") {
        NoteField(d)->selectAll();
        QTest::keyClick(NoteField(d), Qt::Key_Delete);
        TypeKeys(&d, NoteEditorDialog::kIdText, typed);
      }
      Press(&d, c.ok ? kIdOk : kIdCancel);
    });
    QCOMPARE(EditNote(nullptr, &number, c.mode), c.result);
    QCOMPARE(shown, before);
    QCOMPARE(QString::fromStdString(NoteText(number)), after);
    // An emptied note is gone: number 0 unless there was none to begin with.
    QCOMPARE(number == original, c.sameNumber);
    if (after.isEmpty()) QCOMPARE(number == 0, true);
  }

  // The return-call log: its caption, the "&Timer" button, and the stamp of
  // the current date and time after two line breaks, added only while more
  // than 25 of the 4047 characters are free.
  void theReturnCallLogStampsTheTimeWhileThereIsRoom_data() { AddRows(kStampCases); }
  void theReturnCallLogStampsTheTimeWhileThereIsRoom() {
    const auto& [name, length, addedText] = TestRow(kStampCases);
    const QString added(addedText);
    const std::string before(size_t(length), 'x');
    int32_t number = length ? StoredNote(before) : 0;
    QString shown;
    dialogs->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("RETURN CALL LOG"));
      QVERIFY(FindControl(&d, NoteEditorDialog::kIdTimer)->isVisibleTo(&d));
      shown = NoteField(d)->toPlainText();
      // The caret waits at the end, after the stamp.
      QCOMPARE(NoteField(d)->textCursor().position(), int(shown.size()));
      Press(&d, kIdOk);
    });
    QCOMPARE(EditNote(nullptr, &number, kNoteReturnCall), 1);
    QString expected = QString::fromStdString(before) + added;
    QCOMPARE(shown, expected);
    QVERIFY(number != 0);
    QCOMPARE(QString::fromStdString(NoteText(number)), expected.replace('\n', '\r'));
  }

  void aNoteThatCannotBeReadOpensNoEditor() {
    // A note number whose parts are not there: the reading fails and the
    // editor does not open.
    int32_t number = 987654;
    QCOMPARE(EditNote(nullptr, &number, kNoteEdit), 0);
    QCOMPARE(number, 987654);
    QVERIFY(dialogs->opened.empty());
    QCOMPARE(Asked(*prompts), QStringList({"DESKpost|Could not locate record: NOTE"}));
  }

  void theTimeSpentFieldReadsHoursOrClockTimes() {
    struct {
      const char* text;
      bool valid;
      int seconds;
    } const cases[] = {{"0.25", true, 900},    {"1.5h", true, 5400},    {"abc", true, 0},
                       {"-1", false, 0},       {"1:59:58", true, 7198}, {"1:30", true, 5400},
                       {"::5", true, 5},       {"1:3a", false, 0},      {"1:2:3:4", false, 0},
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
  void theCallTimerCountsOnFromTheFieldAndPastesIntoTheNote_data() { AddRows(kTimerCases); }
  void theCallTimerCountsOnFromTheFieldAndPastesIntoTheNote() {
    const auto& [name, start, seconds, shownText] = TestRow(kTimerCases);
    const QString shown(shownText);
    int32_t number = 0;
    QStringList seen;
    dialogs->Then([&](TBaseDialog& d) {
      auto& editor = static_cast<NoteEditorDialog&>(d);
      Press(&d, NoteEditorDialog::kIdTimer);
      CallTimerDialog* timer = editor.Timer();
      QVERIFY(timer && timer->IsOpen());
      QCOMPARE(timer->windowTitle(), QString("Call Timer"));
      auto* field = FindControlAs<QLineEdit>(timer, CallTimerDialog::kIdTime);
      QCOMPARE(field->text(), QString("0:00:00"));
      QCOMPARE(field->accessibleName(), QString("Time spent"));
      Type(timer, CallTimerDialog::kIdTime, start);
      Press(timer, CallTimerDialog::kIdStartStop);
      QVERIFY(timer->Running());
      auto* button = FindControlAs<QPushButton>(timer, CallTimerDialog::kIdStartStop);
      QCOMPARE(button->text(), QString("&Stop"));
      for (int i = 0; i < seconds; ++i) timer->Second();
      seen << field->text();
      Press(timer, CallTimerDialog::kIdPaste);
      QVERIFY(!timer->Running());
      QVERIFY(!timer->IsOpen());
      seen << NoteField(d)->toPlainText();
      Press(&d, kIdOk);
    });
    QCOMPARE(EditNote(nullptr, &number, kNoteReturnCall), 1);
    QCOMPARE(seen.value(0), shown);
    QCOMPARE(seen.value(1), " 3-15-27  9:05am:  Time spent = " + shown);
  }

  void anInvalidTimeIsRefusedAndTheTimerStaysStopped() {
    int32_t number = 0;
    QStringList asked;
    dialogs->Then([&](TBaseDialog& d) {
      auto& editor = static_cast<NoteEditorDialog&>(d);
      editor.OpenTimer();
      CallTimerDialog* timer = editor.Timer();
      Type(timer, CallTimerDialog::kIdTime, "1:x");
      Press(timer, CallTimerDialog::kIdStartStop);
      QVERIFY(!timer->Running());
      Press(timer, CallTimerDialog::kIdPaste);
      // Paste refuses it too and the timer window stays.
      QVERIFY(timer->IsOpen());
      asked = Asked(*prompts);
      // A second "&Timer" brings the same window forward.
      editor.OpenTimer();
      QCOMPARE(editor.Timer(), timer);
      Press(timer, CallTimerDialog::kIdClose);
      QVERIFY(!timer->IsOpen());
      Press(&d, kIdCancel);
    });
    QCOMPARE(EditNote(nullptr, &number, kNoteReturnCall), 0);
    QCOMPARE(asked, QStringList({"DESKpost|Invalid Time spent value.",
                                 "DESKpost|Invalid Time spent value."}));
    QCOMPARE(number, 0);
  }
};

QTEST_MAIN(TakeWindowTest)
#include "take_window_test.moc"
