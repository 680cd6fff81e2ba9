// The Take window on a real office: what Send stores for a phone message
// and a memo (the text and its long-text note, From from Company, the tick
// boxes, Urgent, the attached note), the CC question, Send to folder, the
// window that hides and keeps its text, the unsent question before another
// kind, and the fields' refusals and names.
#include "messaging/take_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdio>
#include <memory>

#include "data/local_time.h"
#include "data/messages/dpnote.h"
#include "data/office/flags.h"
#include "messaging/folder_dialog.h"
#include "messaging/note_editor.h"
#include "messaging/take_windows.h"
#include "storage/records/message.h"
#include "tests/messaging/messaging_office.h"
#include "tests/support/lock_holder.h"

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

QString FieldOf(TakeWindow& w, int id) {
  return FindControlAs<QLineEdit>(&w, id)->text();
}

std::string NoteText(int32_t number) {
  std::string text;
  if (number != 0) NoteRead(number, &text);
  return text;
}

std::string TextField(const MessageRecord& r) {
  return FieldText(r.bytes, r.Kind() == 'P' ? msg::kPhoneText : msg::kMemoText);
}

}  // namespace

class TakeWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<MessagingOffice> office;
  std::unique_ptr<MessagingScript> script;
  FakePicker picker;

  void Make(const MessagingOffice::Options& options = MessagingOffice::Options()) {
    script.reset();
    office.reset();
    office = std::make_unique<MessagingOffice>(options);
    QVERIFY(office->ok);
    office->now = FromLocal(2027, 3, 15, 9, 5, 0);
    script = std::make_unique<MessagingScript>();
  }
  void To(TakeWindow& w, const std::string& name, std::vector<int32_t> tags = {}) {
    picker.name = name;
    picker.number = name.empty() ? 0 : office->numbers[name];
    if (name == "* - ALL") picker.number = -1;
    picker.tags = std::move(tags);
    MessagingScript::Press(w, TakeWindow::kIdPick);
  }

 private slots:
  void init() {
    Make();
    picker = FakePicker();
  }
  void cleanup() {
    script.reset();
    QCOMPARE(office->prompts.Unanswered(), 0);
    QVERIFY(office->checks.empty());
    office.reset();
  }

  // The record keeps 260 characters of a phone message and 416 of a memo;
  // one more and the whole text goes into the long-text note as well.
  void aLongTextGoesIntoTheLongTextNote_data() {
    QTest::addColumn<char>("kind");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("note");
    QTest::newRow("phone 260") << kTakePhone << 260 << false;
    QTest::newRow("phone 261") << kTakePhone << 261 << true;
    QTest::newRow("memo 416") << kTakeMemo << 416 << false;
    QTest::newRow("memo 417") << kTakeMemo << 417 << true;
    QTest::newRow("phone full") << kTakePhone << kTakeTextLength << true;
  }
  void aLongTextGoesIntoTheLongTextNote() {
    QFETCH(char, kind);
    QFETCH(int, length);
    QFETCH(bool, note);
    TakeWindow w(nullptr, kind, &picker);
    w.OpenModeless();
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

  // A phone message without a caller's name is from the company: its first
  // 20 characters.
  void aBlankFromIsTakenFromTheCompany() {
    const char* cases[][3] = {{"", "Northwind Trading Company Ltd", "Northwind Trading Co"},
                              {"   ", "Acme", "Acme"},
                              {"Joe Bloggs", "Acme", "Joe Bloggs"}};
    TakeWindow w(nullptr, kTakePhone, &picker);
    w.OpenModeless();
    for (const auto& [from, company, stored] : cases) {
      To(w, "ANNE");
      MessagingScript::Type(w, TakeWindow::kIdPhoneFrom, from);
      MessagingScript::Type(w, TakeWindow::kIdCompany, company);
      QCOMPARE(FieldOf(w, TakeWindow::kIdCompany), QString(company));
      QVERIFY(w.Send());
      QCOMPARE(MessagingOffice::Messages().back().From(), std::string(stored));
    }
  }

  // Everything of the slip lands in its field: caller, company, phone
  // (reformatted), extension, By from the initials, the ticks as "><",
  // Urgent as flag 4; the recipient's flag file says urgent.
  void aPhoneMessageStoresItsSlip() {
    TakeWindow w(nullptr, kTakePhone, &picker);
    w.OpenModeless();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(FieldOf(w, TakeWindow::kIdBy), QString("RC"));
    To(w, "ANNE");
    MessagingScript::Type(w, TakeWindow::kIdPhoneFrom, "Joe");
    MessagingScript::Type(w, TakeWindow::kIdCompany, "Acme");
    // The phone number gets its hyphen when the field is left.
    FindControl(&w, TakeWindow::kIdPhone)->setFocus();
    MessagingScript::Type(w, TakeWindow::kIdPhone, "5551234");
    FindControl(&w, TakeWindow::kIdExt)->setFocus();
    MessagingScript::Type(w, TakeWindow::kIdExt, "12");
    for (int id : {TakeWindow::kIdCallBack, TakeWindow::kIdWillCall, TakeWindow::kIdUrgent})
      QTest::mouseClick(FindControlAs<QCheckBox>(&w, id), Qt::LeftButton);
    TextOf(w)->setFocus();
    QTest::keyClicks(TextOf(w), "Call back");
    QTest::keyClick(TextOf(w), Qt::Key_Return);
    QTest::keyClicks(TextOf(w), "today");
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
    QCOMPARE(FieldOf(w, TakeWindow::kIdBy), QString("RC"));
    QCOMPARE(FieldOf(w, TakeWindow::kIdTo), QString());
  }

  void aMemoIsFromTheUserAndNeedsARecipient() {
    TakeWindow w(nullptr, kTakeMemo, &picker);
    w.OpenModeless();
    QCOMPARE(w.windowTitle(), QString("Take Memo"));
    QCOMPARE(FieldOf(w, TakeWindow::kIdMemoFrom), QString("RECEPTION"));
    TextOf(w)->setFocus();
    QTest::keyClicks(TextOf(w), "Lunch?");
    QVERIFY(!w.Send());
    QCOMPARE(Asked(office->prompts), QStringList({"DESKpost|Please fill in To: field."}));
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
  void theCCQuestionIsAskedForSeveralRecipients_data() {
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("tagged");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("copies");
    QTest::newRow("everybody") << "* - ALL" << QStringList() << true << 4;
    QTest::newRow("one tagged name") << "* - TAG" << QStringList{"BOB"} << false << 1;
    QTest::newRow("two tagged names") << "* - TAG" << QStringList{"BOB", "CAROL"} << true << 2;
    QTest::newRow("a group") << "*SALES" << QStringList{"*SALES", "ANNE", "BOB"} << true << 2;
    QTest::newRow("one person") << "ANNE" << QStringList() << false << 1;
  }
  void theCCQuestionIsAskedForSeveralRecipients() {
    QFETCH(QString, to);
    QFETCH(QStringList, tagged);
    QFETCH(bool, asked);
    QFETCH(int, copies);
    std::vector<int32_t> tags;
    for (const QString& name : tagged) tags.push_back(office->numbers[name.toStdString()]);
    TakeWindow w(nullptr, kTakeMemo, &picker);
    w.OpenModeless();
    To(w, to.toStdString(), tags);
    TextOf(w)->setFocus();
    QTest::keyClicks(TextOf(w), "All hands at 4.");
    if (asked) office->prompts.Answer(true);
    QVERIFY(w.Send());
    QCOMPARE(Asked(office->prompts).contains("DESKpost|Attach CC: list?"), asked);
    const std::vector<MessageRecord> stored = MessagingOffice::Messages();
    QCOMPARE(int(stored.size()), copies);
    for (const MessageRecord& r : stored) {
      QCOMPARE(bool(r.Flags() & msg::kFlagCcList), asked);
      QCOMPARE(TextField(r), std::string("All hands at 4."));
    }
    // A group send shows its working notice and takes it down.
    QStringList working;
    for (const auto& q : office->prompts.AskedList())
      if (q.kind == "Working") working << q.caption + " " + q.text;
    QCOMPARE(working,
             to.startsWith('*') ? QStringList({"on Sending messages...", "off "}) : QStringList());
    QCOMPARE(office->prompts.WorkingDepth(), 0);
  }

  // Send to folder: the message is the user's own, in the chosen folder,
  // and nobody's flag file is raised.
  void sendToFolderFilesTheMessageWithoutAnAlert() {
    const int32_t me = office->numbers["RECEPTION"];
    const int32_t calls = MessagingOffice::AddFolder("Calls", me);
    QVERIFY(calls != 0);
    TakeWindow w(nullptr, kTakePhone, &picker);
    w.OpenModeless();
    MessagingScript::Type(w, TakeWindow::kIdCompany, "Acme");
    TextOf(w)->setFocus();
    QTest::keyClicks(TextOf(w), "Quote for 40 chairs.");
    // Cancelled first: nothing stored, the form kept.
    script->Cancel();
    QVERIFY(!w.SendToFolder());
    QVERIFY(MessagingOffice::Messages().empty());
    QCOMPARE(TextOf(w)->toPlainText(), QString("Quote for 40 chairs."));
    script->Then([](TBaseDialog& d) {
      MessagingScript::Press(d, FolderDialog::kIdPersonal);
      MessagingScript::Type(d, FolderDialog::kIdSearch, "Calls");
      MessagingScript::Press(d, FolderDialog::kIdSelect);
    });
    QVERIFY(w.SendToFolder());
    const std::vector<MessageRecord> stored = MessagingOffice::Messages();
    QCOMPARE(stored.size(), size_t(1));
    QCOMPARE(stored[0].To(), std::string("RECEPTION"));
    QCOMPARE(stored[0].Folder(), calls);
    QCOMPARE(stored[0].From(), std::string("Acme"));
    for (const char* name : {"RECEPTION", "ANNE", "BOB", "CAROL"}) QCOMPARE(office->Flag(name), 0);
    QVERIFY(Asked(office->prompts).isEmpty());
    QCOMPARE(TextOf(w)->toPlainText(), QString());
  }

  // Another workstation holds the message table's append lock: the wait
  // ends in "Timed out locking file.", Cancel shows the failure and keeps
  // the slip, and once the lock is gone the same slip goes out.
  void aSendThatCannotStoreKeepsTheSlip() {
    FastTicks fast;
    TakeWindow w(nullptr, kTakePhone, &picker);
    w.OpenModeless();
    To(w, "ANNE");
    TextOf(w)->setFocus();
    QTest::keyClicks(TextOf(w), "Call back before noon.");
    {
      LockHolder other(office->dir.File("MESSAGE.DAT"), 0);
      QVERIFY(other.Held());
      office->prompts.Answer(false);
      QVERIFY(!w.Send());
    }
    const QStringList asked = Asked(office->prompts);
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0], QString("Error|Timed out locking file."));
    QVERIFY(asked[1].startsWith("DESKpost|"));
    QVERIFY(MessagingOffice::Messages().empty());
    QCOMPARE(TextOf(w)->toPlainText(), QString("Call back before noon."));
    QCOMPARE(FieldOf(w, TakeWindow::kIdTo), QString("ANNE"));
    QVERIFY(w.Send());
    QCOMPARE(TextField(MessagingOffice::Messages().at(0)), std::string("Call back before noon."));
  }

  // A phone message works with the phone list open: when it cannot be
  // opened the failure is shown and the window does not stay.
  void aPhoneMessageWithoutItsPhoneListDoesNotOpen() {
    for (const char* file : {"PHONE.DAT", "PHONE.X1"}) std::remove(office->dir.File(file).c_str());
    TakeWindow w(nullptr, kTakePhone, &picker);
    w.OpenModeless();
    QVERIFY(!w.IsOpen());
    QVERIFY(!w.isVisible());
    const QStringList asked = Asked(office->prompts);
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].startsWith("DESKpost|"));
    QVERIFY(asked[0].endsWith("PHONE.DAT"));
    // A memo needs no phone list.
    TakeWindow memo(nullptr, kTakeMemo, &picker);
    memo.OpenModeless();
    QVERIFY(memo.isVisible());
  }

  // The attached note shows in the title, travels with the message, and
  // goes with the next Clear.
  void anAttachedNoteShowsInTheTitleAndIsSent() {
    TakeWindow w(nullptr, kTakePhone, &picker);
    w.OpenModeless();
    QCOMPARE(w.windowTitle(), QString("Take Message"));
    script->Then([](TBaseDialog& d) {
      auto* note = FindControlAs<QPlainTextEdit>(&d, NoteEditorDialog::kIdText);
      note->setFocus();
      QTest::keyClicks(note, "Prefers mornings.");
      MessagingScript::Press(d, kIdOk);
    });
    MessagingScript::Press(w, TakeWindow::kIdNote);
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
    TakeWindow w(nullptr, kTakePhone, &picker);
    w.OpenModeless();
    for (int id : {TakeWindow::kIdPhoneText, TakeWindow::kIdCompany, TakeWindow::kIdPhoneFrom}) {
      TypeCharacters(FindControl(&w, id), QString::fromUtf8("a\u2192b\u00e9"));
      const QString text =
          id == TakeWindow::kIdPhoneText ? TextOf(w)->toPlainText() : FieldOf(w, id);
      QCOMPARE(text, QString::fromUtf8("ab\u00e9"));
      QCOMPARE(Asked(office->prompts),
               QStringList({QString::fromUtf8("|The character \"\u2192\" cannot be stored.")}));
      office->prompts.Clear();
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
    TextOf(*w)->setFocus();
    QTest::keyClicks(TextOf(*w), "Ring Joe.");
    MessagingScript::Press(*w, kIdCancel);
    QVERIFY(!w->isVisible());
    takes.Open();
    QCOMPARE(takes.Current(), w);
    QVERIFY(w->isVisible());
    QCOMPARE(TextOf(*w)->toPlainText(), QString("Ring Joe."));
    // The memo button, No: the phone message stays, in front.
    office->prompts.Answer(false);
    MessagingScript::Press(*w, TakeWindow::kIdKindMemo);
    QCoreApplication::processEvents();
    QCOMPARE(takes.Current(), w);
    QCOMPARE(TextOf(*w)->toPlainText(), QString("Ring Joe."));
    // Again from the main window's kind command, Yes: a memo.
    office->prompts.Answer(true);
    takes.Open(kTakeMemo);
    QVERIFY(takes.Current() && takes.Current()->Kind() == kTakeMemo);
    QCOMPARE(Asked(office->prompts),
             QStringList({"DESKpost|Phone message not sent, are you sure?",
                          "DESKpost|Phone message not sent, are you sure?"}));
    office->prompts.Clear();
    // Only a recipient chosen: not changed, so no question to leave it.
    To(*takes.Current(), "ANNE");
    takes.Open(kTakePhone);
    QCOMPARE(takes.Current()->Kind(), kTakePhone);
    // A changed memo asks with its own words when the program closes.
    takes.Open(kTakeMemo);
    TextOf(*takes.Current())->setFocus();
    QTest::keyClicks(TextOf(*takes.Current()), "x");
    office->prompts.Answer(false);
    QVERIFY(!takes.Close());
    QVERIFY(takes.Current()->isVisible());
    office->prompts.Answer(true);
    QVERIFY(takes.Close());
    QVERIFY(takes.Current() == nullptr);
    QVERIFY(takes.Close());
    QCOMPARE(Asked(office->prompts), QStringList({"DESKpost|Memo not sent, are you sure?",
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
    MessagingScript::Press(*takes.Current(), kIdCancel);
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
};

QTEST_MAIN(TakeWindowTest)
#include "take_window_test.moc"
